#include "tools/move_tool.hpp"

#include <cmath>

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

// Shorter moves write nothing.
constexpr double kSmallestMove = 1e-6;
// Directions are only read from moves longer than this.
constexpr double kDirectionLength = 1e-9;

HUDState moveHud(double length) {
    return HUDState{"Move", length, std::nullopt, true, std::nullopt, HUDQuantity::length};
}

}  // namespace

MoveTool::MoveTool() : ModelingTool(ToolID::move) {}

void MoveTool::activate(ModelingContext& context) {
    if (context.selection().bodies.size() == 1) context.setHud(moveHud(0));
}

void MoveTool::deactivate(ModelingContext& context) {
    drag_.reset();
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
}

bool MoveTool::key(ToolKey key, ModelingContext& context) {
    if (key != ToolKey::escape || !drag_) return false;
    drag_.reset();
    context.setOverlay(SceneOverlay::empty);
    return true;
}

void MoveTool::pointer(const PointerEvent& event, ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down: {
            drag_.reset();
            const auto hit = context.hitTest(event.ray);
            const auto* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr;
            const auto index = face ? context.document().bodyIndex(face->body) : std::nullopt;
            if (!index) return;
            BodySupport::selectOnly(face->body, context);
            drag_ = Drag{face->body, context.document().bodies[*index].mesh, hit->point,
                         event.modifiers.contains(ModifierSet::shift), Vec3::zero};
            context.setHud(moveHud(0));
            return;
        }
        case PointerPhase::drag: return dragTo(event, context);
        case PointerPhase::up: return release(context);
        case PointerPhase::move: {
            std::optional<HitTarget> target;
            if (const auto hit = context.hitTest(event.ray)) target = hit->target;
            if (target != context.hover()) context.setHover(std::move(target));
            return;
        }
    }
}

void MoveTool::dragTo(const PointerEvent& event, ModelingContext& context) {
    if (!drag_) return;
    Vec3 translation;
    if (drag_->vertical) {
        const auto t = ToolValues::axisParameter(event.ray, drag_->start, Vec3::unitZ);
        if (!t) return;
        translation = Vec3::unitZ * *t;
    } else {
        const auto hit = event.ray.intersectPlane(drag_->start, Vec3::unitZ);
        if (!hit) return;
        translation = hit->point - drag_->start;
    }
    const LengthUnit units = context.document().units;
    const auto round = [&](double c) { return ToolValues::roundedDrag(c, units, event.modifiers); };
    drag_->delta = {round(translation.x), round(translation.y), round(translation.z)};
    const double length = drag_->delta.length();
    if (length > kDirectionLength) lastDirection_ = drag_->delta / length;
    SceneOverlay overlay;
    overlay.lines.push_back(
        {drag_->start, drag_->start + drag_->delta, RGBA::selection, OverlayLineStyle::solid});
    overlay.replacements.emplace(drag_->body, drag_->original.translated(drag_->delta));
    context.setOverlay(std::move(overlay));
    context.setHud(moveHud(length));
}

void MoveTool::release(ModelingContext& context) {
    if (!drag_) return;
    const Drag ended = std::move(*drag_);
    drag_.reset();
    if (ended.delta.length() > kSmallestMove) {
        BodySupport::replaceMesh(ended.body, ended.original.translated(ended.delta), "Move",
                                 context);
    }
    context.setOverlay(SceneOverlay::empty);
}

void MoveTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "distance", context)) return;
    const Selection& selection = context.selection();
    if (selection.bodies.size() != 1 || !(std::abs(value) > kDirectionLength)) return;
    const auto body = context.document().body(*selection.bodies.begin());
    if (!body) return;
    BodySupport::replaceMesh(body->id,
                             body->mesh.translated(lastDirection_.value_or(Vec3::unitX) * value),
                             "Move", context);
    context.setOverlay(SceneOverlay::empty);
}

}  // namespace brontile
