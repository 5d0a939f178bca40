#include "tools/section_tool.hpp"

#include "tools/body_support.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr const char* kPlaceHint =
    "Drag the arrow or type an offset to move the cut. Click a flat face to cut along it.";

}  // namespace

SectionTool::SectionTool() : ModelingTool(ToolID::section) {}

void SectionTool::activate(ModelingContext& context) {
    SectionPlane plane = context.sectionPlane();
    if (const auto face = BodySupport::selectedFace(context)) {
        plane = {face->mesh.centroid(face->face), face->face.normal.normalized(), 0};
    } else if (!context.showSection() && plane.isUnplaced()) {
        plane = SectionPlane::first(context.document().bounds());
    }
    place(plane, context);
    context.setStatusHint(kPlaceHint);
}

void SectionTool::deactivate(ModelingContext& context) {
    dragStart_.reset();
    context.setOverlay(SceneOverlay::empty);
}

void SectionTool::place(const SectionPlane& plane, ModelingContext& context) {
    context.setSectionPlane(plane);
    context.setShowSection(true);
    context.setHud(
        HUDState{"Offset", plane.offset, std::nullopt, true, std::nullopt, HUDQuantity::length});
    showArrow(context);
}

OverlayArrow SectionTool::arrow(const ModelingContext& context) const {
    const SectionPlane& plane = context.sectionPlane();
    const Vec3 middle =
        context.document().bounds().value_or(AABB(plane.point(), plane.point())).center();
    const Vec3 onPlane = middle - plane.normal * plane.signedDistance(middle);
    return OverlayArrow::extrusion(onPlane, plane.normal, 0, false, hovered_, false);
}

void SectionTool::showArrow(ModelingContext& context) const {
    SceneOverlay overlay;
    overlay.arrows.push_back(arrow(context));
    context.setOverlay(std::move(overlay));
}

void SectionTool::pointer(const PointerEvent& event, ModelingContext& context) {
    const double w = context.worldUnitsPerPixel();
    switch (event.phase) {
        case PointerPhase::move: {
            const bool over = arrow(context).hit(event.ray, w).has_value();
            if (over != hovered_) {
                hovered_ = over;
                showArrow(context);
            }
            return;
        }
        case PointerPhase::down: return press(event, context);
        case PointerPhase::drag: {
            if (!dragStart_) return;
            const SectionPlane& plane = context.sectionPlane();
            const auto t = ToolValues::axisParameter(event.ray, plane.base, plane.normal);
            if (!t) return;
            SectionPlane moved = plane;
            moved.offset =
                startOffset_ + ToolValues::roundedDrag(*t - *dragStart_, context.document().units,
                                                       event.modifiers);
            return place(moved, context);
        }
        case PointerPhase::up: dragStart_.reset(); return;
    }
}

void SectionTool::press(const PointerEvent& event, ModelingContext& context) {
    const SectionPlane& plane = context.sectionPlane();
    if (arrow(context).hit(event.ray, context.worldUnitsPerPixel())) {
        dragStart_ = ToolValues::axisParameter(event.ray, plane.base, plane.normal);
        startOffset_ = plane.offset;
        return;
    }
    const auto hit = context.hitTest(event.ray);
    const FaceRef* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr;
    if (face == nullptr) return;
    const auto body = context.document().body(face->body);
    const auto found = body ? body->mesh.face(face->face) : std::nullopt;
    if (!found) return;
    place({hit->point, found->normal.normalized(), 0}, context);
}

void SectionTool::hudCommit(double value, ModelingContext& context) {
    if (!ToolValues::acceptTyped(value, "offset", context)) return;
    SectionPlane moved = context.sectionPlane();
    moved.offset = value;
    place(moved, context);
}

}  // namespace brontile
