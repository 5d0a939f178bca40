#include "tools/boolean_tool.hpp"

#include "geometry/mesh_closure.hpp"
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

const char* phaseOf(BooleanOp op) {
    switch (op) {
        case BooleanOp::unite: return "Uniting";
        case BooleanOp::subtract: return "Subtracting";
        case BooleanOp::intersect: return "Intersecting";
    }
    return "Uniting";
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
    // The kept body stays highlighted, and the status line names it, so that a body selected
    // before the tool began cannot be taken for the one to take away.
    BodySupport::selectOnly(body, context);
    const auto kept = context.document().body(body);
    const std::string name = kept ? kept->name : std::string("the body");
    switch (op_) {
        case BooleanOp::unite:
            context.setStatusHint("Uniting with " + name + ": click the body to merge into it.");
            break;
        case BooleanOp::subtract:
            context.setStatusHint("Subtracting from " + name + ": click the body to take away.");
            break;
        case BooleanOp::intersect:
            context.setStatusHint("Intersecting with " + name +
                                  ": click the body whose overlap to keep.");
            break;
    }
}

bool BooleanTool::pickBody(const BodyID& body, ModelingContext& context) {
    if (!context.document().bodyIndex(body)) return false;
    take(body, context);
    return true;
}

void BooleanTool::take(const BodyID& body, ModelingContext& context) {
    // A first body deleted meanwhile is replaced by the one picked.
    if (!first_ || !context.document().bodyIndex(*first_)) return chooseFirst(body, context);
    if (body != *first_) perform(*first_, body, context);
}

void BooleanTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase == PointerPhase::move) {
        std::optional<HitTarget> target;
        if (const auto hit = context.hitTest(event.ray)) target = hit->target;
        if (target != context.hover()) context.setHover(std::move(target));
        return;
    }
    if (event.phase != PointerPhase::down) return;
    if (const auto body = BodySupport::bodyUnder(event.ray, context)) take(*body, context);
}

void BooleanTool::perform(const BodyID& a, const BodyID& b, ModelingContext& context) {
    const auto first = context.document().body(a);
    const auto second = context.document().body(b);
    if (!first || !second) return;
    // The kernel is the session's and outlives every operation the session runs.
    context.runLong(phaseOf(op_), [this, kernel = &context.kernel(), first = *first,
                                   second = *second, op = op_, name = title()](Progress& progress) {
        return combined(*kernel, first, second, op, name, progress);
    });
}

ModelingContext::Finish BooleanTool::combined(const GeometryKernel& kernel, const Body& first,
                                              const Body& second, BooleanOp op,
                                              const std::string& stepName, Progress& progress) {
    return BodySupport::refusing(first.name, [&]() -> ModelingContext::Finish {
        SolidMesh result = kernel.boolean(first.mesh, second.mesh, op, progress);
        auto problem = BodySupport::resultProblem(result, stepName, first.name, [&] {
            return isClosed(first.mesh) && isClosed(second.mesh);
        });
        return [this, first, second, stepName, result = std::move(result),
                problem = std::move(problem)](ModelingContext& context) {
            if (!BodySupport::accepted(problem, context)) return;
            context.mutate(stepName, [&](CADDocument& document) {
                if (const auto index = document.bodyIndex(first.id)) {
                    document.bodies[*index].mesh = result;
                    document.removeBody(second.id);
                }
            });
            BodySupport::selectOnly(first.id, context);
            first_.reset();
            context.setTool(ToolID::select);
        };
    });
}

}  // namespace brontile
