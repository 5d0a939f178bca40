// The line shapes the scene is drawn from: plain segments and polylines, the marker shapes of
// snap points and constraint glyphs, and dashed overlay lines.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "geometry/rgba.hpp"
#include "geometry/vec3.hpp"
#include "interaction/scene_overlay.hpp"
#include "viewport/scene_buffers.hpp"

namespace brontile::SceneMarkers {

// One segment a→b as a line pair with zero normals.
void appendSegment(const Vec3& a, const Vec3& b, const RGBA& color,
                   std::vector<RenderVertex>& into);

// Segments (i, i + 1) of an open polyline; fewer than two points append nothing.
void appendPolyline(std::span<const Vec3> points, const RGBA& color,
                    std::vector<RenderVertex>& into);

// Three segments point ± size along the world axes; nothing for a non-finite point or size.
void appendCross(const Vec3& point, double size, const RGBA& color,
                 std::vector<RenderVertex>& into);

// The point's marker kind, flat in the plane perpendicular to its normal; nothing when the point,
// the size or the plane is not finite.
void appendShape(const OverlayPoint& point, double size, std::vector<RenderVertex>& into);

// A solid line as one segment; a dashed line as dashes of max(0.4, 7 view points) separated by
// gaps of 0.7 dash, starting at `a` with a dash. Lines not longer than 1e-9 draw nothing; lines
// shorter than half a dash, or too long to dash sensibly, are drawn solid.
void appendOverlayLine(const OverlayLine& line, double worldUnitsPerPixel,
                       std::vector<RenderVertex>& into);

// At least as many vertices as appendOverlayLine appends for the line.
[[nodiscard]] std::size_t overlayLineVertexBound(const OverlayLine& line,
                                                 double worldUnitsPerPixel);

// The most vertices one marker shape appends (a circle).
inline constexpr std::size_t kMaxShapeVertices = 28;

}  // namespace brontile::SceneMarkers
