#include "tools/mirror_tool.hpp"

#include "tools/body_support.hpp"

namespace brontile {

MirrorTool::MirrorTool() : ModelingTool(ToolID::mirror) {}

void MirrorTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase != PointerPhase::down) return;
    const auto hit = context.hitTest(event.ray);
    const auto* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr;
    if (face == nullptr) return;
    const auto selected = BodySupport::firstInvolvedBody(context);
    if (!selected) {
        if (context.document().bodyIndex(face->body)) BodySupport::selectOnly(face->body, context);
        return;
    }
    const auto clicked = context.document().body(face->body);
    const auto plane = clicked ? clicked->mesh.face(face->face) : std::nullopt;
    const Vec3 origin = plane ? clicked->mesh.centroid(*plane) : Vec3::zero;
    const Vec3 normal = plane ? plane->normal : Vec3::unitZ;
    const SolidMesh mirrored = selected->mesh.mirrored(origin, normal);
    if (!BodySupport::acceptResult(mirrored, "Mirror", context)) return;
    const bool keep = event.modifiers.contains(ModifierSet::shift);
    context.mutate("Mirror", [&](CADDocument& document) {
        if (keep) {
            document.addBody(mirrored, selected->name + " mirrored");
        } else if (const auto index = document.bodyIndex(selected->id)) {
            document.bodies[*index].mesh = mirrored;
        }
    });
    context.setTool(ToolID::select);
}

}  // namespace brontile
