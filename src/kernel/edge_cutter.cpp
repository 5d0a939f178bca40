#include "kernel/edge_cutter.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <unordered_map>
#include <vector>

#include "base/tolerances.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/mesh_boolean.hpp"
#include "kernel/solid_operand.hpp"

namespace brontile::kernel_detail {
namespace {

constexpr double kMinBlendLength = 1e-6;
// Cuts that may fail before a blend whose cuts fail one time in three or more gives up: such a
// face (slivers left by earlier blends, every other edge's cut failing where the last one
// changed its corner) would take a cut of the whole body per edge, seconds on end, to leave
// half its edges sharp.
constexpr std::size_t kFailedCutsAllowed = 32;
// About the triangles of one edge's cutter.
constexpr std::size_t kCutterSize = 32;
// Each cut goes through the whole body, so a face of many edges costs its edges times the body:
// the triangles all its cuts may go through, in all, are bounded by a multiple of what the blend
// starts from, and never less than some fifteen seconds' worth on a desktop machine (rounding
// the top of a block around a 256-sided hole takes ten).
constexpr std::size_t kCutWorkFactor = 64;
constexpr std::size_t kCutWorkFloor = 16'000'000;
// Faces meeting closer than this (rad) to flat, or to folded onto each other, would give a
// sliver of a section thinner than the booleans can cut cleanly.
constexpr double kFlatAngle = 1e-3;

// The edge seen from the body: its direction and, in each face, the direction perpendicular to
// the edge that leads into that face.
struct EdgeFrame {
    Vec3 t;
    Vec3 u0;
    Vec3 u1;
    // Between u0 and u1, in [0, π].
    double angle = 0;
};

// Each face's outline runs counter-clockwise about its outward normal, so the face lies to the
// left of its own edge: face 0 runs the edge a→b, face 1 (its neighbour) b→a.
EdgeFrame edgeFrame(const Vec3& a, const Vec3& b, const Vec3& n0, const Vec3& n1) {
    EdgeFrame frame;
    frame.t = (b - a).normalized();
    frame.u0 = n0.normalized().cross(frame.t).normalized();
    frame.u1 = frame.t.cross(n1.normalized()).normalized();
    frame.angle = std::atan2(frame.u0.cross(frame.u1).length(), frame.u0.dot(frame.u1));
    return frame;
}

// Convex: each face leaves the edge below the other face's plane.
bool isConvex(const EdgeFrame& frame, const Vec3& n0, const Vec3& n1) {
    return frame.u1.dot(n0.normalized()) < 0 && frame.u0.dot(n1.normalized()) < 0;
}

// The arc's points as offsets from the edge point, from the tangent point on face 0 to the one
// on face 1. The centre lies on the bisector, `radius` from both faces.
std::vector<Vec3> filletRim(const EdgeFrame& frame, double radius) {
    const double half = frame.angle / 2;
    const Vec3 centre = (frame.u0 + frame.u1).normalized() * (radius / std::sin(half));
    const double tangent = radius / std::tan(half);
    const Vec3 from = frame.u0 * tangent - centre;
    const Vec3 to = frame.u1 * tangent - centre;
    const double sweep = std::atan2(frame.t.dot(from.cross(to)), from.dot(to));
    std::vector<Vec3> rim;
    for (int k = 0; k <= kFilletSegments; ++k) {
        const double turn = sweep * k / kFilletSegments;
        rim.push_back(centre + from.rotated(frame.t, Vec3::zero, turn));
    }
    return rim;
}

SolidFace provisionalFace(PolygonLoop loop) { return {FaceID::generate(), {std::move(loop)}, {}}; }

// The prism from a to b over the section (offsets from the edge point, clockwise about a→b):
// the cap at a, the cap at b, then one side per section edge, all wound outward.
SolidMesh prism(const Vec3& a, const Vec3& b, const std::vector<Vec3>& section) {
    const auto q = static_cast<VertexIndex>(section.size());
    std::vector<Vec3> vertices;
    vertices.reserve(2 * section.size());
    for (const Vec3& p : section) vertices.push_back(a + p);
    for (const Vec3& p : section) vertices.push_back(b + p);
    PolygonLoop capA;
    PolygonLoop capB;
    for (VertexIndex i = 0; i < q; ++i) {
        capA.push_back(i);
        capB.push_back(2 * q - 1 - i);
    }
    std::vector<SolidFace> faces{provisionalFace(capA), provisionalFace(capB)};
    for (VertexIndex i = 0; i < q; ++i) {
        const VertexIndex j = (i + 1) % q;
        faces.push_back(provisionalFace({j, i, q + i, q + j}));
    }
    SolidMesh cutter(std::move(vertices), std::move(faces));
    cutter.recomputeNormals();
    return cutter;
}

// Which faces' outlines hold each edge, and which way round: made once for a blend, so that
// finding the face across each of a face's edges does not go through every face of the body
// per edge (quadratic on faces of thousands of edges).
class EdgeOwners {
public:
    explicit EdgeOwners(const SolidMesh& mesh) {
        const auto& faces = mesh.faces();
        for (std::size_t f = 0; f < faces.size(); ++f) {
            for (const SolidMesh::Edge& e : mesh.boundaryEdges(faces[f])) {
                owners_[SolidMesh::EdgeKey(e.a, e.b)].push_back({f, e});
            }
        }
    }

    // The one other face whose outline holds the edge, running it the other way. Nothing for an
    // edge on one face only, on three or more, or where the two faces are wound inconsistently.
    [[nodiscard]] std::optional<std::size_t> across(std::size_t face,
                                                    const SolidMesh::Edge& edge) const {
        const auto it = owners_.find(SolidMesh::EdgeKey(edge.a, edge.b));
        if (it == owners_.end() || it->second.size() != 2) return std::nullopt;
        const Owner& other = it->second[0].face == face ? it->second[1] : it->second[0];
        if (other.face == face) return std::nullopt;
        const bool reversed = other.edge == SolidMesh::Edge{edge.b, edge.a};
        return reversed ? std::optional(other.face) : std::nullopt;
    }

private:
    struct Owner {
        std::size_t face;
        SolidMesh::Edge edge;
    };
    std::unordered_map<SolidMesh::EdgeKey, std::vector<Owner>> owners_;
};

}  // namespace

std::optional<SolidMesh> edgeCutter(const SolidMesh& mesh, const SolidMesh::Edge& edge,
                                    const Vec3& n0, const Vec3& n1, double distance,
                                    EdgeBlend blend) {
    const auto& vertices = mesh.vertices();
    if (!isVertexIndex(edge.a, vertices.size()) || !isVertexIndex(edge.b, vertices.size())) {
        return std::nullopt;
    }
    const Vec3 a = vertices[static_cast<std::size_t>(edge.a)];
    const Vec3 b = vertices[static_cast<std::size_t>(edge.b)];
    if (!(a.distance(b) > kLengthTolerance)) return std::nullopt;
    const EdgeFrame frame = edgeFrame(a, b, n0, n1);
    if (!(frame.angle > kFlatAngle && frame.angle < std::numbers::pi - kFlatAngle)) {
        return std::nullopt;
    }
    // A concave edge's corner region lies outside the body, so subtracting it would change
    // nothing; blending such an edge needs material added.
    if (!isConvex(frame, n0, n1)) return std::nullopt;
    std::vector<Vec3> rim = blend == EdgeBlend::fillet
                                ? filletRim(frame, distance)
                                : std::vector<Vec3>{frame.u0 * distance, frame.u1 * distance};
    if (frame.t.dot(frame.u0.cross(frame.u1)) > 0) std::ranges::reverse(rim);
    rim.insert(rim.begin(), Vec3::zero);
    return prism(a, b, rim);
}

SolidMesh bevel(const SolidMesh& mesh, const FaceID& face, double distance, EdgeBlend blend,
                Progress& progress) {
    const auto index = mesh.faceIndex(face);
    if (!index) throw KernelError::faceNotFound();
    if (!(distance > kMinBlendLength) || !std::isfinite(distance)) {
        throw KernelError::degenerateResult();
    }
    // Each edge's cut below may fail on its own and leave that edge as it was; a body that is not
    // a solid would fail every cut, and must not look like a body with nothing to round.
    (void)csg_detail::requireSolidOperand(mesh);
    const auto& faces = mesh.faces();
    SolidMesh result = mesh;
    std::size_t cut = 0;
    std::size_t failed = 0;
    const std::vector<SolidMesh::Edge> edges = mesh.boundaryEdges(faces[*index]);
    const EdgeOwners owners(mesh);
    std::size_t workLeft = std::max(
        kCutWorkFloor, kCutWorkFactor * (mesh.triangleCount() + edges.size() * kCutterSize));
    for (std::size_t e = 0; e < edges.size(); ++e) {
        progress.setFraction(static_cast<double>(e) / static_cast<double>(edges.size()));
        const SolidMesh::Edge& edge = edges[e];
        const auto neighbour = owners.across(*index, edge);
        if (!neighbour) continue;
        const auto cutter =
            edgeCutter(mesh, edge, faces[*index].normal, faces[*neighbour].normal, distance, blend);
        if (!cutter) continue;
        const std::size_t work = result.triangleCount() + cutter->triangleCount();
        if (work > workLeft) throw KernelError::workBound();
        workLeft -= work;
        try {
            result = meshBoolean(result, *cutter, BooleanOp::subtract, progress);
            ++cut;
        } catch (const KernelError&) {
            // The edge stays as it was; the other edges are still cut.
            if (++failed >= kFailedCutsAllowed && 2 * failed > cut) {
                throw KernelError::workBound();
            }
        }
    }
    if (result.isEmpty()) throw KernelError::degenerateResult();
    return result;
}

}  // namespace brontile::kernel_detail
