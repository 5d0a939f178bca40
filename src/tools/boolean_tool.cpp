#include "tools/boolean_tool.hpp"

#include "tools/body_support.hpp"

namespace brontile {
namespace {

const ToolID& toolFor(BooleanOp op) {
    switch (op) {
        case BooleanOp::unite: return ToolID::unite;
        case BooleanOp::subtract: return ToolID::subtract;
        case BooleanOp::intersect: return ToolID::intersect;
    }
    return ToolID::unite;
}

}  // namespace

BooleanTool::BooleanTool(BooleanOp op) : ModelingTool(toolFor(op)), op_(op) {}

void BooleanTool::activate(ModelingContext& context) {
    first_.reset();
    const auto involved = context.selection().involvedBodies();
    std::vector<BodyID> bodies;
    for (const Body& body : context.document().bodies) {
        if (involved.contains(body.id)) bodies.push_back(body.id);
    }
    if (bodies.size() == 1) chooseFirst(bodies[0], context);
    if (bodies.size() == 2) perform(bodies[0], bodies[1], context);
}

void BooleanTool::deactivate(ModelingContext&) { first_.reset(); }

bool BooleanTool::key(ToolKey key, ModelingContext&) {
    if (key != ToolKey::escape || !first_) return false;
    first_.reset();
    return true;
}

void BooleanTool::chooseFirst(const BodyID& body, ModelingContext& context) {
    first_ = body;
    BodySupport::selectOnly(body, context);
    context.setStatusHint("Now click the second body.");
}

void BooleanTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase == PointerPhase::move) {
        std::optional<HitTarget> target;
        if (const auto hit = context.hitTest(event.ray)) target = hit->target;
        if (target != context.hover()) context.setHover(std::move(target));
        return;
    }
    if (event.phase != PointerPhase::down) return;
    const auto body = BodySupport::bodyUnder(event.ray, context);
    if (!body) return;
    // A first body deleted meanwhile is replaced by the one clicked.
    if (!first_ || !context.document().bodyIndex(*first_)) return chooseFirst(*body, context);
    if (*body != *first_) perform(*first_, *body, context);
}

void BooleanTool::perform(const BodyID& a, const BodyID& b, ModelingContext& context) {
    const auto first = context.document().body(a);
    const auto second = context.document().body(b);
    if (!first || !second) return;
    std::optional<SolidMesh> result;
    try {
        result = context.kernel().boolean(first->mesh, second->mesh, op_);
    } catch (const std::exception& error) {
        context.showError(error.what());
        return;
    }
    context.mutate(title(), [&](CADDocument& document) {
        if (const auto index = document.bodyIndex(a)) {
            document.bodies[*index].mesh = *result;
            document.removeBody(b);
        }
    });
    BodySupport::selectOnly(a, context);
    first_.reset();
    context.setTool(ToolID::select);
}

}  // namespace brontile
