#include "kernel/poly_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <numeric>
#include <span>
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

SolidFace newFace(std::vector<PolygonLoop> polygons, const Vec3& normal = Vec3::zero) {
    return {FaceID::generate(), std::move(polygons), normal};
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

// One ring of a sweep: every loop of the region in model space, one after the other.
std::vector<Vec3> worldRing(const SketchPlane& plane, const std::vector<std::vector<Vec2>>& loops) {
    std::vector<Vec3> points;
    for (const std::vector<Vec2>& loop : loops) {
        const std::vector<Vec3> world = worldLoop(plane, loop);
        points.insert(points.end(), world.begin(), world.end());
    }
    return points;
}

// A region laid out for sweeping: its loops in the order each ring holds them, the outer loop
// first, all wound alike, so that the holes' walls come out facing into the holes.
struct SweptRegion {
    std::vector<std::vector<Vec2>> loops;
    // Where each loop starts within a ring.
    std::vector<VertexIndex> starts;
    VertexIndex ringSize = 0;
    // The cap over ring-local indices, wound like the outer loop: that loop itself, or with holes
    // the triangles tiling the region (a face's polygons may be any that tile it).
    std::vector<PolygonLoop> cap;
};

// The loop without the points distinctLoop drops.
std::vector<Vec2> distinctPoints(const std::vector<Vec2>& loop) {
    std::vector<Vec2> points;
    for (const std::size_t i : Triangulator::distinctLoop(loop)) points.push_back(loop[i]);
    return points;
}

// A hole's loop without repeated points, clockwise; invalidProfile when it encloses no area.
std::vector<Vec2> holeLoop(const std::vector<Vec2>& hole) {
    std::vector<Vec2> loop = distinctPoints(hole);
    const double area = Triangulator::signedArea(loop);
    if (!(std::abs(area) > kAreaTolerance)) throw KernelError::invalidProfile();
    if (area > 0) std::ranges::reverse(loop);
    return loop;
}

std::vector<PolygonLoop> capPolygons(const std::vector<std::vector<Vec2>>& loops) {
    if (loops.size() == 1) {
        PolygonLoop loop(loops[0].size());
        std::iota(loop.begin(), loop.end(), VertexIndex{0});
        return {std::move(loop)};
    }
    const auto holes = std::span(loops).subspan(1);
    const bool counterClockwise = Triangulator::signedArea(loops[0]) > 0;
    std::vector<PolygonLoop> triangles;
    for (const Triangulator::Triple& t : Triangulator::triangulateWithHoles(loops[0], holes)) {
        PolygonLoop& triangle = triangles.emplace_back(t.begin(), t.end());
        if (!counterClockwise) std::ranges::reverse(triangle);
    }
    return triangles;
}

// The outer loop counter-clockwise and the holes clockwise in plane coordinates, or every loop
// the other way round when `reversed`. A region with holes loses its repeated points, and is
// refused (invalidProfile) when a hole or the whole region encloses no area.
SweptRegion sweptRegion(const Profile& profile, bool reversed) {
    SweptRegion region;
    if (profile.holes.empty()) {
        region.loops.push_back(profile.loop);
    } else {
        if (!(profile.area() > kAreaTolerance)) throw KernelError::invalidProfile();
        region.loops.push_back(distinctPoints(profile.loop));
        for (const std::vector<Vec2>& hole : profile.holes) region.loops.push_back(holeLoop(hole));
    }
    if (Triangulator::signedArea(region.loops[0]) < 0) std::ranges::reverse(region.loops[0]);
    for (std::vector<Vec2>& loop : region.loops) {
        if (reversed) std::ranges::reverse(loop);
        region.starts.push_back(region.ringSize);
        region.ringSize += static_cast<VertexIndex>(loop.size());
    }
    region.cap = capPolygons(region.loops);
    return region;
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

// The cap over the ring starting at `ring`, wound like the region's outer loop or against it.
SolidFace capFace(const SweptRegion& region, VertexIndex ring, bool against,
                  const Vec3& normal = Vec3::zero) {
    std::vector<PolygonLoop> polygons = region.cap;
    for (PolygonLoop& polygon : polygons) {
        for (VertexIndex& index : polygon) index += ring;
        if (against) std::ranges::reverse(polygon);
    }
    return newFace(std::move(polygons), normal);
}

// One quad per loop edge between the rings starting at `from` and at `to`.
void appendWalls(std::vector<SolidFace>& faces, const SweptRegion& region, VertexIndex from,
                 VertexIndex to) {
    for (std::size_t l = 0; l < region.loops.size(); ++l) {
        const VertexIndex n = static_cast<VertexIndex>(region.loops[l].size());
        const VertexIndex s = region.starts[l];
        for (VertexIndex i = 0; i < n; ++i) {
            const VertexIndex j = (i + 1) % n;
            faces.push_back(newFace({{from + s + i, from + s + j, to + s + j, to + s + i}}));
        }
    }
}

// Bottom cap (facing back against the sweep), top cap, then the walls, over a bottom ring
// followed by the top ring.
std::vector<SolidFace> prismFaces(const SweptRegion& region, const Vec3& direction) {
    std::vector<SolidFace> faces{capFace(region, 0, true, -direction),
                                 capFace(region, region.ringSize, false, direction)};
    appendWalls(faces, region, 0, region.ringSize);
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

// Walls between consecutive rings (the last wrapping onto ring 0 when closed), then the start
// and end caps when open.
std::vector<SolidFace> revolveFaces(const SweptRegion& region, int segments, int rings) {
    std::vector<SolidFace> faces;
    const VertexIndex n = region.ringSize;
    for (VertexIndex k = 0; k < segments; ++k) {
        appendWalls(faces, region, k * n, (k + 1) % rings * n);
    }
    if (rings == segments) return faces;
    faces.push_back(capFace(region, 0, true));
    faces.push_back(capFace(region, segments * n, false));
    return faces;
}

}  // namespace

SolidMesh PolyKernel::extrude(const Profile& profile, double distance) const {
    if (profile.loop.size() < 3 || !(std::abs(distance) > kLengthTolerance) ||
        !std::isfinite(distance)) {
        throw KernelError::invalidProfile();
    }
    const Vec3 normal = planeNormal(profile.plane);
    if (!(profile.area() > kAreaTolerance) || normal == Vec3::zero) {
        throw KernelError::invalidProfile();
    }
    const Vec3 direction = distance >= 0 ? normal : -normal;
    // Wound against the plane for a negative distance, each loop still runs counter-clockwise
    // seen from where the sweep heads.
    const SweptRegion region = sweptRegion(profile, distance < 0);

    std::vector<Vec3> vertices = worldRing(profile.plane, region.loops);
    const std::size_t n = vertices.size();
    vertices.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        vertices.push_back(vertices[i] + direction * std::abs(distance));
    }
    if (!allFinite(vertices)) throw KernelError::invalidProfile();
    return withNormals(std::move(vertices), prismFaces(region, direction));
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

SolidMesh PolyKernel::boolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op,
                              Progress& progress) const {
    return meshBoolean(a, b, op, progress);
}

SolidMesh PolyKernel::revolve(const Profile& profile, const Vec3& axisOrigin,
                              const Vec3& axisDirection, double angle) const {
    if (profile.loop.size() < 3 || !(std::abs(angle) > kMinRevolveAngle) || !std::isfinite(angle) ||
        !axisOrigin.isFinite() || !axisDirection.isFinite()) {
        throw KernelError::invalidProfile();
    }
    const Vec3 axis = axisDirection.normalized();
    if (axis.lengthSquared() < 0.5) throw KernelError::degenerateResult();
    const SweptRegion region = sweptRegion(profile, false);
    const std::vector<Vec3> points = worldRing(profile.plane, region.loops);

    const double sweep = std::min(std::abs(angle), kTwoPi);
    const int segments =
        std::max(kMinRevolveSegments, static_cast<int>(std::ceil(sweep / kRevolveStep)));
    const bool closed = std::abs(sweep - kTwoPi) < kFullTurnTolerance;
    const int rings = closed ? segments : segments + 1;
    const double signedSweep = angle < 0 ? -sweep : sweep;

    SolidMesh mesh =
        withNormals(revolveRings(points, axisOrigin, axis, signedSweep, segments, rings),
                    revolveFaces(region, segments, rings));
    const double volume = mesh.volume();
    if (!(std::abs(volume) > kVolumeTolerance)) throw KernelError::degenerateResult();
    // Which way the sweep winds depends on the side of the axis the profile faces; a solid that
    // encloses negative volume would subtract where it should add in every later boolean.
    return volume > 0 ? mesh : turnedOutward(mesh);
}

SolidMesh PolyKernel::chamfer(const SolidMesh& mesh, const FaceID& face, double distance,
                              Progress& progress) const {
    return kernel_detail::bevel(mesh, face, std::abs(distance), kernel_detail::EdgeBlend::chamfer,
                                progress);
}

SolidMesh PolyKernel::fillet(const SolidMesh& mesh, const FaceID& face, double radius,
                             Progress& progress) const {
    return kernel_detail::bevel(mesh, face, std::abs(radius), kernel_detail::EdgeBlend::fillet,
                                progress);
}

SolidMesh PolyKernel::shell(const SolidMesh& mesh, double thickness, Progress& progress) const {
    const double tau = std::abs(thickness);
    if (!(tau > kMinShellThickness) || !std::isfinite(tau)) throw KernelError::degenerateResult();
    progress.check();
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
    return meshBoolean(mesh, inner, BooleanOp::subtract, progress);
}

}  // namespace brontile
