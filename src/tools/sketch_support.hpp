// What the sketch drawing tools, trim and offset, and the constraint commands share: the sketch
// to draw into (made on demand), the pointer's point on it, snapping, and writing new geometry
// and constraints as one undoable step that solves the sketch.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "geometry/vec2.hpp"
#include "interaction/input_events.hpp"
#include "interaction/snap_hit.hpp"
#include "sketch/sketch.hpp"
#include "tools/modeling_context.hpp"

namespace brontile::SketchSupport {

// The status line after a solve that failed on new geometry.
inline constexpr std::string_view kUnsolvedGeometry =
    "Constraints could not be solved; geometry left as drawn";

struct SnapResult {
    // The snapped point when there is a snap, otherwise the point given; sketch coordinates.
    Vec2 point;
    std::optional<SnapHit> hit;
};

// A new sketch on the plane, named after the document's counter, made in one step "New Sketch",
// made active, with the selection cleared. Nothing when the step was refused.
std::optional<Uuid> startSketch(ModelingContext& context, const SketchPlane& plane);

// The active sketch; without one (or when it is gone), a new one named after the document's
// counter, on the selected face or else the XY plane, made in one step "New Sketch", made
// active, with the selection cleared. Nothing when the new sketch cannot be found afterwards.
std::optional<Sketch> ensureActiveSketch(ModelingContext& context);

// The plane on the one selected face: through its centroid, facing its normal. Nothing unless
// exactly one face is selected, or when its body or face is gone or its normal has no length.
[[nodiscard]] std::optional<SketchPlane> planeFromSelection(const ModelingContext& context);

// Where the ray meets the plane, in the plane's coordinates; nothing when it runs within 1e-9 of
// parallel to the plane or meets it at or behind its start.
[[nodiscard]] std::optional<Vec2> pointOnPlane(const Ray& ray, const SketchPlane& plane);

// Where a pointer event meets the active sketch's plane, in sketch coordinates, with the
// sketch. A press makes the sketch on demand; a hover, drag or release only uses one that is
// there. Nothing without a sketch or when the ray misses the plane.
struct SketchPoint {
    Sketch sketch;
    Vec2 point;
};
std::optional<SketchPoint> sketchPoint(const PointerEvent& event, ModelingContext& context);

// Snaps a sketch point: grid 1.5875 mm in an inch document and 1 mm otherwise, nothing while
// Option is held; the drawing, the extra points and the document's visible bodies attract it.
[[nodiscard]] SnapResult snap(const Vec2& point, const Sketch& sketch,
                              const ModelingContext& context, ModifierSet modifiers,
                              std::span<const Vec2> extra = {},
                              std::optional<Vec2> lockFrom = std::nullopt,
                              std::optional<Vec2> lastDirection = std::nullopt);

// Each geometry as a new entity (fresh id, not construction), committed without constraints;
// a failed solve says kUnsolvedGeometry on the status line and gives false.
bool addEntities(const std::vector<SketchGeometry>& geometry, const Uuid& sketchID,
                 const std::string& stepName, ModelingContext& context);

// Entities and constraints added in one step named `stepName`, then the sketch solved. When the
// solve fails the new constraints are taken out again (the entities stay as drawn) and false is
// returned; a sketch that is gone changes nothing.
bool commit(const std::vector<SketchEntity>& entities,
            const std::vector<SketchConstraint>& constraints, const Uuid& sketchID,
            const std::string& stepName, ModelingContext& context);

// One constraint added in one step and the sketch solved. The same dimension already there is
// returned to be driven. A constraint that repeats what others fix, cannot be solved with them or
// only by shrinking a curve to a point changes nothing: the error line names the constraints
// involved, which are marked while it shows, and nothing is returned.
std::optional<SketchConstraintID> applyConstraint(const SketchConstraint& constraint,
                                                  const Uuid& sketchID, const std::string& stepName,
                                                  ModelingContext& context);

// What became of a typed dimension.
enum class DimensionEdit {
    // No such constraint, or one that carries no value: nothing happens, without a word.
    notFound,
    // Not a length greater than zero: refused on the error line.
    refused,
    // The other constraints cannot take it: nothing recorded, the error line names them.
    unsolved,
    // Recorded as one step "Edit Dimension".
    applied,
};

// Sets the value of the dimension `target` and solves its sketch, recording the result as one
// step "Edit Dimension" only when the solve succeeds without shrinking a curve to a point, so
// that a sketch never keeps a dimension its geometry violates. A value that is not a length
// greater than zero, or one the other constraints cannot take, is refused with the reason on the
// error line.
DimensionEdit editDimension(const SketchConstraintSel& target, double value,
                            ModelingContext& context);

}  // namespace brontile::SketchSupport
