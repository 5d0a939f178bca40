#include "tools/body_mode.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "geometry/mesh_closure.hpp"
#include "geometry/triangulator.hpp"
#include "kernel/kernel_error.hpp"
#include "tools/body_support.hpp"

namespace brontile::BodyModes {
namespace {

// How far (mm) a face's points may lie from the sketch plane and still be in it.
constexpr double kInPlane = 1e-6;
// Normals this close to parallel count as one direction.
constexpr double kParallel = 1 - 1e-9;

// Shared areas below this (mm²) are boundaries that touch: a region filling a hole in a face,
// or ending where the face ends, does not work on its body.
constexpr double kSharedArea = 1e-6;

// The part of `subject` inside the counter-clockwise triangle (Sutherland–Hodgman). A concave
// subject may come out with edges running back over themselves; its area is still right.
std::vector<Vec2> clipped(std::span<const Vec2> subject, const std::array<Vec2, 3>& triangle) {
    std::vector<Vec2> result(subject.begin(), subject.end());
    for (std::size_t e = 0; e < 3 && !result.empty(); ++e) {
        const Vec2& a = triangle[e];
        const Vec2 edge = triangle[(e + 1) % 3] - a;
        const std::vector<Vec2> input = std::move(result);
        result.clear();
        for (std::size_t i = 0; i < input.size(); ++i) {
            const Vec2& p = input[i];
            const Vec2& q = input[(i + 1) % input.size()];
            const double sp = edge.cross(p - a);
            const double sq = edge.cross(q - a);
            if (sp >= 0) result.push_back(p);
            if ((sp >= 0) != (sq >= 0)) result.push_back(p + (q - p) * (sp / (sp - sq)));
        }
    }
    return result;
}

// Whether the region and the polygon share some area.
bool overlaps(const Profile& region, const std::vector<Vec2>& polygon) {
    for (const Triangulator::Triple& t : Triangulator::triangulate(polygon)) {
        const std::array<Vec2, 3> triangle{polygon[t[0]], polygon[t[1]], polygon[t[2]]};
        double shared = std::abs(Triangulator::signedArea(clipped(region.loop, triangle)));
        for (const auto& hole : region.holes) {
            shared -= std::abs(Triangulator::signedArea(clipped(hole, triangle)));
        }
        if (shared > kSharedArea) return true;
    }
    return false;
}

// The face's polygons in the plane's coordinates, when the whole face lies in the plane.
std::optional<std::vector<std::vector<Vec2>>> inPlane(const SolidMesh& mesh, const SolidFace& face,
                                                      const SketchPlane& plane) {
    const Vec3 n = plane.normal();
    if (!(std::abs(face.normal.dot(n)) > kParallel)) return std::nullopt;
    std::vector<std::vector<Vec2>> polygons;
    for (const PolygonLoop& loop : face.polygons) {
        std::vector<Vec2>& points = polygons.emplace_back();
        for (const VertexIndex i : loop) {
            const Vec3& v = mesh.vertices()[static_cast<std::size_t>(i)];
            if (std::abs((v - plane.origin).dot(n)) > kInPlane) return std::nullopt;
            points.push_back(plane.toLocal(v));
        }
    }
    return polygons;
}

}  // namespace

std::optional<FaceContact> faceUnder(const std::vector<Profile>& regions,
                                     const CADDocument& document) {
    if (regions.empty()) return std::nullopt;
    const SketchPlane& plane = regions.front().plane;
    for (const Body& body : document.bodies) {
        if (!body.isVisible) continue;
        for (const SolidFace& face : body.mesh.faces()) {
            const auto polygons = inPlane(body.mesh, face, plane);
            if (!polygons) continue;
            for (const Profile& region : regions) {
                for (const auto& polygon : *polygons) {
                    if (overlaps(region, polygon)) return FaceContact{body.id, face.normal};
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<BodyID> bodyMeeting(const SolidMesh& solid, const CADDocument& document) {
    const auto box = solid.bounds();
    if (!box) return std::nullopt;
    for (const Body& body : document.bodies) {
        if (!body.isVisible) continue;
        const auto other = body.mesh.bounds();
        if (other && other->min.x <= box->max.x && box->min.x <= other->max.x &&
            other->min.y <= box->max.y && box->min.y <= other->max.y &&
            other->min.z <= box->max.z && box->min.z <= other->max.z) {
            return body.id;
        }
    }
    return std::nullopt;
}

BodyMode next(BodyMode mode, bool haveTarget) {
    if (!haveTarget) return BodyMode::newBody;
    switch (mode) {
        case BodyMode::newBody: return BodyMode::join;
        case BodyMode::join: return BodyMode::cut;
        case BodyMode::cut: return BodyMode::newBody;
    }
    return BodyMode::newBody;
}

std::string detail(BodyMode mode, const std::optional<BodyID>& target,
                   const CADDocument& document) {
    const auto body = target ? document.body(*target) : std::nullopt;
    if (mode == BodyMode::newBody || !body) return "New body";
    return (mode == BodyMode::join ? "Join " : "Cut ") + body->name;
}

OverlayMesh preview(SolidMesh solid, BodyMode mode) {
    switch (mode) {
        case BodyMode::newBody: return {std::move(solid), RGBA::preview};
        case BodyMode::join: return {std::move(solid), RGBA::previewJoin};
        case BodyMode::cut: return {std::move(solid), RGBA::previewCut, true};
    }
    return {std::move(solid), RGBA::preview};
}

namespace {

std::vector<BodyID> recordNew(const std::vector<SolidMesh>& solids, const std::string& stepName,
                              ModelingContext& context) {
    // Each solid is checked under the name the document will give it.
    CADDocument named = context.document();
    for (const SolidMesh& solid : solids) {
        named.addBody(SolidMesh{});
        if (!BodySupport::acceptResult(solid, stepName, context) ||
            !BodySupport::acceptSolid(solid, named.bodies.back().name, context)) {
            return {};
        }
    }
    std::vector<BodyID> added;
    context.mutate(stepName, [&](CADDocument& document) {
        for (const SolidMesh& solid : solids) added.push_back(document.addBody(solid));
    });
    std::erase_if(added, [&](const BodyID& id) { return !context.document().bodyIndex(id); });
    return added;
}

// The target with every solid joined to it or cut out of it, or why not: the work of a join or a
// cut, off the window's thread.
ModelingContext::Finish combined(const GeometryKernel& kernel, const Body& body,
                                 const std::vector<SolidMesh>& solids, BodyMode mode,
                                 const std::string& stepName, Recorded recorded,
                                 Progress& progress) {
    SolidMesh result = body.mesh;
    const BooleanOp op = mode == BodyMode::join ? BooleanOp::unite : BooleanOp::subtract;
    try {
        for (std::size_t i = 0; i < solids.size(); ++i) {
            ProgressSpan(progress, 0, 1).part(i, solids.size()).setFraction(0);
            result = kernel.boolean(result, solids[i], op, progress);
        }
    } catch (const KernelError& error) {
        const bool nothingLeft =
            mode == BodyMode::cut && error.kind() == KernelError::Kind::degenerateResult;
        const std::string reason =
            nothingLeft ? "Cutting would leave nothing of " + body.name + "; nothing was changed."
                        : BodySupport::refusal(error, body.name);
        return [reason](ModelingContext& context) { context.showError(reason); };
    }
    auto problem = BodySupport::resultProblem(result, stepName, body.name,
                                              [&] { return isClosed(body.mesh); });
    return [body, result = std::move(result), stepName, problem = std::move(problem),
            recorded = std::move(recorded)](ModelingContext& context) {
        if (!BodySupport::writeMesh(body.id, result, stepName, problem, context)) return;
        if (context.document().bodyIndex(body.id)) recorded({body.id}, context);
    };
}

}  // namespace

void record(std::vector<SolidMesh> solids, BodyMode mode, const std::optional<BodyID>& target,
            const std::string& stepName, ModelingContext& context, Recorded recorded) {
    const auto body = target ? context.document().body(*target) : std::nullopt;
    if (solids.empty()) return;
    if (mode == BodyMode::newBody || !body) {
        const auto added = recordNew(solids, stepName, context);
        if (!added.empty()) recorded(added, context);
        return;
    }
    // The kernel is the session's and outlives every operation the session runs.
    context.runLong(mode == BodyMode::join ? "Joining" : "Cutting",
                    [kernel = &context.kernel(), body = *body, solids = std::move(solids), mode,
                     stepName, recorded = std::move(recorded)](Progress& progress) {
                        return combined(*kernel, body, solids, mode, stepName, recorded, progress);
                    });
}

}  // namespace brontile::BodyModes
