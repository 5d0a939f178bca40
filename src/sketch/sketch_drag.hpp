// Dragging sketch geometry: the pointer pulls one point (an end or a centre) or one curve, and
// every constraint keeps holding. Each pointer position is a soft target — the dragged element
// goes as near it as the constraints allow — while the constraints are hard: each step takes the
// smallest weighted change to the geometry that satisfies them to first order, the dragged
// element's own parameters weighing much more than the rest, so that the others give way first.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "geometry/vec2.hpp"
#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch.hpp"
#include "sketch/skyline_ldlt.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile {

// What the pointer holds: one point of a curve, or the curve itself.
struct DragHandle {
    SketchEntityID entity;
    // An end or centre; nothing for the whole curve (a line moves along, a circle or arc takes
    // the pointer's distance from its centre as its radius).
    std::optional<SketchParamRole> point;
    friend bool operator==(const DragHandle&, const DragHandle&) = default;
};

class SketchDrag {
public:
    // Starts from the sketch as it stands, the pointer having taken hold at `grab` (sketch
    // coordinates). A handle on an entity the sketch does not hold drags nothing.
    SketchDrag(Sketch sketch, DragHandle handle, Vec2 grab);

    // Pulls the handle towards the pointer. True when the constraints were kept and the sketch
    // moved; otherwise the sketch stays where the last pointer position left it.
    bool moveTo(Vec2 pointer);

    // The sketch where the drag has brought it.
    [[nodiscard]] const Sketch& sketch() const { return sketch_; }

private:
    // The values the handle asks for with the pointer at `pointer`, starting from `values`.
    [[nodiscard]] std::vector<double> targetFor(Vec2 pointer,
                                                const std::vector<double>& values) const;
    // One least-change step from `values` towards `target`; nothing when the system is singular.
    [[nodiscard]] std::optional<std::vector<double>> step(const std::vector<double>& values,
                                                          const std::vector<double>& target);
    [[nodiscard]] double residualNorm(const std::vector<double>& values) const;

    Sketch sketch_;
    DragHandle handle_;
    Vec2 grab_;
    std::optional<std::size_t> entityIndex_;
    VariablePack pack_;
    ConstraintResiduals residuals_;
    // The values at the start, where the form of each row was chosen.
    std::vector<double> reference_;
    // The current values and those of the whole curve at the start (for moving it along).
    std::vector<double> values_;
    // 1 / weight² for each unknown.
    std::vector<double> freedom_;
    // For each unknown, the rows that read it.
    std::vector<std::vector<std::size_t>> rowsOfUnknown_;
    SkylineLdlt system_;
};

}  // namespace brontile
