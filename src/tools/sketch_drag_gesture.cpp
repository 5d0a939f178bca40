#include "tools/sketch_drag_gesture.hpp"

#include "sketch/sketch_freedom.hpp"
#include "sketch/sketch_names.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

// A press that moves less than this is a click, not a drag.
constexpr double kDragThreshold = 3;

}  // namespace

SketchDragGesture::SketchDragGesture(const Uuid& sketch, DragHandle handle, Vec2 grab,
                                     Vec2 pressedAt)
    : sketchID_(sketch), handle_(handle), grab_(grab), pressedAt_(pressedAt) {}

void SketchDragGesture::follow(const PointerEvent& event, ModelingContext& context) {
    if (refused_) return;
    const auto sketch = context.document().sketch(sketchID_);
    if (!sketch) return;
    const auto point = SketchSupport::pointOnPlane(event.ray, sketch->plane);
    if (!point) return;
    if (!drag_) {
        if ((event.location - pressedAt_).length() < kDragThreshold) return;
        takeHold(*sketch, context);
        if (!drag_) return;
    }
    if (!drag_->moveTo(*point)) return;
    moved_ = true;
    show(drag_->sketch(), context);
}

void SketchDragGesture::takeHold(const Sketch& sketch, ModelingContext& context) {
    const SketchFreedom freedom = analyzeFreedom(sketch);
    const bool pinned = handle_.point ? freedom.isDetermined({handle_.entity, *handle_.point})
                                      : freedom.isDetermined(handle_.entity);
    if (pinned) {
        refused_ = true;
        const std::string curve = SketchNames::entity(sketch, handle_.entity);
        context.setStatusHint((handle_.point ? "That point of " + curve : curve) +
                              " is fully constrained: its constraints leave it nowhere to move");
        return;
    }
    drag_.emplace(sketch, handle_, grab_);
}

void SketchDragGesture::finish(ModelingContext& context) {
    if (!drag_) return;
    show(std::nullopt, context);
    if (!moved_) return;
    const Sketch dragged = drag_->sketch();
    drag_.reset();
    context.mutate("Drag", [&](CADDocument& document) {
        const auto index = document.sketchIndex(sketchID_);
        if (!index) return;
        // Only the geometry moved; what else the sketch holds is the document's.
        for (SketchEntity& entity : document.sketches[*index].entities) {
            if (const auto moved = dragged.entity(entity.id)) entity.geometry = moved->geometry;
        }
    });
}

void SketchDragGesture::cancel(ModelingContext& context) {
    if (drag_) show(std::nullopt, context);
    drag_.reset();
}

void SketchDragGesture::show(const std::optional<Sketch>& sketch, ModelingContext& context) const {
    SceneOverlay overlay = context.overlay();
    if (sketch) {
        overlay.sketches.insert_or_assign(sketchID_, *sketch);
    } else {
        overlay.sketches.erase(sketchID_);
    }
    context.setOverlay(std::move(overlay));
}

}  // namespace brontile
