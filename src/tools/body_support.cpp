#include "tools/body_support.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/tolerances.hpp"
#include "geometry/mesh_closure.hpp"
#include "kernel/kernel_error.hpp"

namespace brontile::BodySupport {
namespace {

std::string gapMessage(const std::string& bodyName) {
    return "The operation would leave " + bodyName +
           " with a gap in its surface; nothing was changed.";
}

}  // namespace

std::optional<Body> firstInvolvedBody(const ModelingContext& context) {
    const auto involved = context.selection().involvedBodies();
    for (const Body& body : context.document().bodies) {
        if (involved.contains(body.id)) return body;
    }
    return std::nullopt;
}

std::optional<BodyID> bodyUnder(const Ray& ray, ModelingContext& context) {
    const auto hit = context.hitTest(ray);
    const auto* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr;
    if (face == nullptr || !context.document().bodyIndex(face->body)) return std::nullopt;
    return face->body;
}

void selectOnly(const BodyID& body, ModelingContext& context) {
    Selection selection;
    selection.bodies.insert(body);
    context.setSelection(std::move(selection));
}

Vec3 centre(const SolidMesh& mesh) {
    const auto box = mesh.bounds();
    return box ? (box->min + box->max) / 2 : Vec3::zero;
}

std::optional<SelectedFace> selectedFace(const ModelingContext& context) {
    const Selection& selection = context.selection();
    if (selection.faces.size() != 1) return std::nullopt;
    const FaceRef& ref = *selection.faces.begin();
    const auto index = context.document().bodyIndex(ref.body);
    if (!index) return std::nullopt;
    const SolidMesh& mesh = context.document().bodies[*index].mesh;
    const auto face = mesh.face(ref.face);
    if (!face) return std::nullopt;
    return SelectedFace{ref, mesh, *face};
}

std::optional<std::string> reachProblem(const SolidMesh& mesh, std::string_view operation) {
    const bool inReach = std::ranges::all_of(mesh.vertices(), [](const Vec3& v) {
        return std::abs(v.x) <= kMaxCoordinate && std::abs(v.y) <= kMaxCoordinate &&
               std::abs(v.z) <= kMaxCoordinate;
    });
    if (inReach && std::isfinite(mesh.volume())) return std::nullopt;
    return "\u201C" + std::string(operation) +
           "\u201D would put the body out of the range of numbers a document can "
           "hold (coordinates or volume that are not finite, or farther out than "
           "1e90 mm); nothing was changed.";
}

std::optional<std::string> resultProblem(const SolidMesh& mesh, std::string_view operation,
                                         const std::string& bodyName,
                                         const std::function<bool()>& sourceClosed) {
    if (auto problem = reachProblem(mesh, operation)) return problem;
    // The costlier look at the sources only when the result is open.
    if (!isClosed(mesh) && sourceClosed()) return gapMessage(bodyName);
    return std::nullopt;
}

bool acceptResult(const SolidMesh& mesh, std::string_view operation, ModelingContext& context) {
    return accepted(reachProblem(mesh, operation), context);
}

bool acceptSolid(const SolidMesh& mesh, const std::string& bodyName, ModelingContext& context,
                 bool sourceClosed) {
    if (!sourceClosed || isClosed(mesh)) return true;
    context.showError(gapMessage(bodyName));
    return false;
}

bool accepted(const std::optional<std::string>& problem, ModelingContext& context) {
    if (problem) context.showError(*problem);
    return !problem;
}

std::string refusal(const std::exception& error, const std::string& bodyName) {
    const auto* kernel = dynamic_cast<const KernelError*>(&error);
    if (kernel && kernel->kind() == KernelError::Kind::openResult) return gapMessage(bodyName);
    return error.what();
}

ModelingContext::Finish refusing(const std::string& bodyName,
                                 const std::function<ModelingContext::Finish()>& work) {
    try {
        return work();
    } catch (const Cancelled&) {
        throw;
    } catch (const std::exception& error) {
        return [reason = refusal(error, bodyName)](ModelingContext& context) {
            context.showError(reason);
        };
    }
}

bool replaceMesh(const BodyID& body, const SolidMesh& mesh, std::string_view stepName,
                 ModelingContext& context) {
    const auto before = context.document().body(body);
    const auto problem = resultProblem(mesh, stepName, before ? before->name : std::string(),
                                       [&] { return before && isClosed(before->mesh); });
    return writeMesh(body, mesh, stepName, problem, context);
}

bool writeMesh(const BodyID& body, const SolidMesh& mesh, std::string_view stepName,
               const std::optional<std::string>& problem, ModelingContext& context) {
    if (!accepted(problem, context)) return false;
    context.mutate(std::string(stepName), [&](CADDocument& document) {
        if (const auto index = document.bodyIndex(body)) document.bodies[*index].mesh = mesh;
    });
    return true;
}

}  // namespace brontile::BodySupport
