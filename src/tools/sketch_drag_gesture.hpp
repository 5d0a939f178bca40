// A press on sketch geometry with the select tool. Once the pointer moves a few view points the
// geometry is dragged, every constraint kept, and shown in place of the sketch while the drag
// lasts; the release records it as one step "Drag", and Escape puts everything back. Geometry
// its constraints pin down does not move, and the status line says so.
#pragma once

#include <optional>

#include "interaction/input_events.hpp"
#include "sketch/sketch_drag.hpp"
#include "tools/modeling_context.hpp"

namespace brontile {

class SketchDragGesture {
public:
    // `grab` is where the press met the sketch's plane, in sketch coordinates; `pressedAt` where
    // it was on screen, in view points.
    SketchDragGesture(const Uuid& sketch, DragHandle handle, Vec2 grab, Vec2 pressedAt);

    // Follows the pointer; the first real move takes hold, or says why it cannot.
    void follow(const PointerEvent& event, ModelingContext& context);
    // Records the drag when anything moved, and stops showing it.
    void finish(ModelingContext& context);
    // Stops showing the drag; the document never changed.
    void cancel(ModelingContext& context);
    // The geometry is being dragged (not merely pressed on).
    [[nodiscard]] bool isDragging() const { return drag_.has_value(); }
    // The geometry could not move: the status line says why, and should keep saying it.
    [[nodiscard]] bool wasRefused() const { return refused_; }

private:
    void takeHold(const Sketch& sketch, ModelingContext& context);
    void show(const std::optional<Sketch>& sketch, ModelingContext& context) const;

    Uuid sketchID_;
    DragHandle handle_;
    Vec2 grab_;
    Vec2 pressedAt_;
    bool refused_ = false;
    bool moved_ = false;
    std::optional<SketchDrag> drag_;
};

}  // namespace brontile
