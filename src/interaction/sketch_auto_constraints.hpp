// The constraints a drawing gesture already implies: snaps that joined a new line to existing
// geometry or aligned it, and the structure of the rectangles and polygons the tools build.
// Nothing is inferred from geometry alone.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "geometry/vec2.hpp"
#include "interaction/snap_hit.hpp"
#include "sketch/sketch_constraint.hpp"

namespace brontile::SketchAutoConstraints {

// For a new line `id` drawn from `from` to `to`: horizontal or vertical when the end snapped that
// way, then a coincidence for each end that snapped to another entity's start or end (a hit
// without a role, or naming the line itself, adds nothing). The points are the gesture's; only
// the hits decide. Each constraint has a fresh id and no value.
[[nodiscard]] std::vector<SketchConstraint> forLine(const SketchEntityID& id, const Vec2& from,
                                                    const Vec2& to,
                                                    const std::optional<SnapHit>& fromHit,
                                                    const std::optional<SnapHit>& toHit);

// Where a new segment of a chain of lines meets the chain: the segment before it, and the chain's
// first segment when the new one comes back to its start.
struct ChainJoints {
    std::optional<SketchEntityID> previous;
    std::optional<SketchEntityID> closesOn;
};

// For segment `id` of a chain, as forLine, except that a segment following another has its start
// joined to that one's end instead of to whatever the start snapped to, and a segment closing the
// chain has its end joined to the first segment's start. No coincidence comes twice.
[[nodiscard]] std::vector<SketchConstraint> forChainSegment(const SketchEntityID& id,
                                                            const ChainJoints& joints,
                                                            const std::optional<SnapHit>& fromHit,
                                                            const std::optional<SnapHit>& toHit);

// For the four edges of a rectangle in drawing order: horizontal, vertical, horizontal,
// vertical, then each edge's end coincident with the next edge's start, the last closing on the
// first. Empty unless there are exactly four ids.
[[nodiscard]] std::vector<SketchConstraint> forRectangle(std::span<const SketchEntityID> ids);

// For a polygon's edges in order around it: each edge's end coincident with the next edge's
// start, the last closing on the first. Empty for fewer than three ids.
[[nodiscard]] std::vector<SketchConstraint> forPolygon(std::span<const SketchEntityID> ids);

}  // namespace brontile::SketchAutoConstraints
