#include "kernel/poly_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include "base/tolerances.hpp"
#include "geometry/angles.hpp"
#include "geometry/triangulator.hpp"
#include "kernel/edge_cutter.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/mesh_boolean.hpp"
#include "kernel/vertex_offset.hpp"

namespace brontile {
namespace {

constexpr double kMinRevolveAngle = 1e-6;
constexpr double kMinShellThickness = 1e-6;
// A sweep this close to a full turn closes onto its first ring.
constexpr double kFullTurnTolerance = 1e-4;
constexpr double kRevolveStep = std::numbers::pi / 16;
constexpr int kMinRevolveSegments = 8;

SolidFace newFace(PolygonLoop loop, const Vec3& normal = Vec3::zero) {
    return {FaceID::generate(), {std::move(loop)}, normal};
}

bool allFinite(const std::vector<Vec3>& points) {
    return std::ranges::all_of(points, [](const Vec3& p) { return p.isFinite(); });
}

// The loop in model space; a point that is not finite makes it no profile.
std::vector<Vec3> worldLoop(const SketchPlane& plane, const std::vector<Vec2>& loop) {
    std::vector<Vec3> points;
    points.reserve(loop.size());
    for (const Vec2& p : loop) points.push_back(plane.toWorld(p));
    if (!allFinite(points)) throw KernelError::invalidProfile();
    return points;
}

// Unit normal, or zero when the axes are parallel (or not finite) and the plane has none.
Vec3 planeNormal(const SketchPlane& plane) {
    const Vec3 n = plane.normal();
    return std::abs(n.length() - 1) < kLengthTolerance ? n : Vec3::zero;
}

SolidMesh withNormals(std::vector<Vec3> vertices, std::vector<SolidFace> faces) {
    return SolidMesh::withComputedNormals(std::move(vertices), std::move(faces));
}

// The same solid wound the other way round, for a sweep that came out inside out.
SolidMesh turnedOutward(const SolidMesh& mesh) {
    std::vector<SolidFace> faces = mesh.faces();
    for (SolidFace& face : faces) {
        for (PolygonLoop& loop : face.polygons) std::ranges::reverse(loop);
    }
    return withNormals(mesh.vertices(), std::move(faces));
}

// Bottom cap (facing back against the sweep), top cap, then one side quad per loop edge, over a
// bottom ring of n vertices followed by the top ring.
std::vector<SolidFace> prismFaces(VertexIndex n, const Vec3& direction) {
    PolygonLoop bottom;
    PolygonLoop top;
    for (VertexIndex i = 0; i < n; ++i) {
        bottom.push_back(n - 1 - i);
        top.push_back(n + i);
    }
    std::vector<SolidFace> faces{newFace(std::move(bottom), -direction),
                                 newFace(std::move(top), direction)};
    for (VertexIndex i = 0; i < n; ++i) {
        const VertexIndex j = (i + 1) % n;
        faces.push_back(newFace({i, j, n + j, n + i}));
    }
    return faces;
}

// One ring of revolve vertices per step, each the profile turned by its share of the sweep.
std::vector<Vec3> revolveRings(const std::vector<Vec3>& profile, const Vec3& origin,
                               const Vec3& axis, double signedSweep, int segments, int rings) {
    std::vector<Vec3> vertices;
    vertices.reserve(static_cast<std::size_t>(rings) * profile.size());
    for (int k = 0; k < rings; ++k) {
        const double turn = signedSweep * k / segments;
        for (const Vec3& p : profile) vertices.push_back(p.rotated(axis, origin, turn));
    }
    return vertices;
}

// Side quads between consecutive rings (the last wrapping onto ring 0 when closed), then the
// start and end caps when open.
std::vector<SolidFace> revolveFaces(VertexIndex n, int segments, int rings) {
    std::vector<SolidFace> faces;
    for (VertexIndex k = 0; k < segments; ++k) {
        const VertexIndex next = (k + 1) % rings;
        for (VertexIndex i = 0; i < n; ++i) {
            const VertexIndex j = (i + 1) % n;
            faces.push_back(newFace({k * n + i, k * n + j, next * n + j, next * n + i}));
        }
    }
    if (rings == segments) return faces;
    PolygonLoop start;
    PolygonLoop end;
    for (VertexIndex i = 0; i < n; ++i) {
        start.push_back(n - 1 - i);
        end.push_back(segments * n + i);
    }
    faces.push_back(newFace(std::move(start)));
    faces.push_back(newFace(std::move(end)));
    return faces;
}

}  // namespace

SolidMesh PolyKernel::extrude(const Profile& profile, double distance) const {
    std::vector<Vec2> loop = profile.loop;
    const std::size_t n = loop.size();
    if (n < 3 || !(std::abs(distance) > kLengthTolerance) || !std::isfinite(distance)) {
        throw KernelError::invalidProfile();
    }
    const double area = Triangulator::signedArea(loop);
    if (area < 0) std::ranges::reverse(loop);
    const Vec3 normal = planeNormal(profile.plane);
    if (!(std::abs(area) > kAreaTolerance) || normal == Vec3::zero) {
        throw KernelError::invalidProfile();
    }
    const Vec3 direction = distance >= 0 ? normal : -normal;
    if (distance < 0) std::ranges::reverse(loop);

    std::vector<Vec3> vertices = worldLoop(profile.plane, loop);
    vertices.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        vertices.push_back(vertices[i] + direction * std::abs(distance));
    }
    if (!allFinite(vertices)) throw KernelError::invalidProfile();
    return withNormals(std::move(vertices), prismFaces(static_cast<VertexIndex>(n), direction));
}

SolidMesh PolyKernel::pushPull(const SolidMesh& mesh, const FaceID& face, double distance) const {
    const auto target = mesh.face(face);
    if (!target) throw KernelError::faceNotFound();
    if (!std::isfinite(distance)) throw KernelError::degenerateResult();
    const Vec3 offset = target->normal.normalized() * distance;
    std::vector<Vec3> vertices = mesh.vertices();
    for (const VertexIndex i : mesh.vertexIndices(*target)) {
        Vec3& p = vertices[static_cast<std::size_t>(i)];
        p += offset;
        if (!p.isFinite()) throw KernelError::degenerateResult();
    }
    return withNormals(std::move(vertices), mesh.faces());
}

SolidMesh PolyKernel::boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op) const {
    return meshBoolean(a, b, op);
}

SolidMesh PolyKernel::revolve(const Profile& profile, const Vec3& axisOrigin,
                              const Vec3& axisDirection, double angle) const {
    std::vector<Vec2> loop = profile.loop;
    if (loop.size() > 1 && Triangulator::signedArea(loop) < 0) std::ranges::reverse(loop);
    if (loop.size() < 3 || !(std::abs(angle) > kMinRevolveAngle) || !std::isfinite(angle) ||
        !axisOrigin.isFinite() || !axisDirection.isFinite()) {
        throw KernelError::invalidProfile();
    }
    const Vec3 axis = axisDirection.normalized();
    if (axis.lengthSquared() < 0.5) throw KernelError::degenerateResult();
    const std::vector<Vec3> points = worldLoop(profile.plane, loop);

    const double sweep = std::min(std::abs(angle), kTwoPi);
    const int segments =
        std::max(kMinRevolveSegments, static_cast<int>(std::ceil(sweep / kRevolveStep)));
    const bool closed = std::abs(sweep - kTwoPi) < kFullTurnTolerance;
    const int rings = closed ? segments : segments + 1;
    const double signedSweep = angle < 0 ? -sweep : sweep;

    SolidMesh mesh =
        withNormals(revolveRings(points, axisOrigin, axis, signedSweep, segments, rings),
                    revolveFaces(static_cast<VertexIndex>(points.size()), segments, rings));
    const double volume = mesh.volume();
    if (!(std::abs(volume) > kVolumeTolerance)) throw KernelError::degenerateResult();
    // Which way the sweep winds depends on the side of the axis the profile faces; a solid that
    // encloses negative volume would subtract where it should add in every later boolean.
    return volume > 0 ? mesh : turnedOutward(mesh);
}

SolidMesh PolyKernel::chamfer(const SolidMesh& mesh, const FaceID& face, double distance) const {
    return kernel_detail::bevel(mesh, face, std::abs(distance), kernel_detail::EdgeBlend::chamfer);
}

SolidMesh PolyKernel::fillet(const SolidMesh& mesh, const FaceID& face, double radius) const {
    return kernel_detail::bevel(mesh, face, std::abs(radius), kernel_detail::EdgeBlend::fillet);
}

SolidMesh PolyKernel::shell(const SolidMesh& mesh, double thickness) const {
    const double tau = std::abs(thickness);
    if (!(tau > kMinShellThickness) || !std::isfinite(tau)) throw KernelError::degenerateResult();
    const SolidMesh inner = kernel_detail::offsetInward(mesh, tau);
    // Walls thicker than the body turn the inner copy inside out; removing that would keep the
    // wrong side. Turned over along two directions it encloses a positive volume again, so each
    // face must still face the way it did.
    if (!(inner.volume() > kVolumeTolerance)) throw KernelError::degenerateResult();
    for (std::size_t i = 0; i < mesh.faces().size(); ++i) {
        if (!(inner.faces()[i].normal.dot(mesh.faces()[i].normal) > 0)) {
            throw KernelError::degenerateResult();
        }
    }
    return meshBoolean(mesh, inner, BooleanOp::subtract);
}

}  // namespace brontile
