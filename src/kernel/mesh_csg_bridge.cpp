#include "kernel/mesh_csg_bridge.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <unordered_map>

#include "base/hashing.hpp"
#include "kernel/boolean_tolerances.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/seam_repair.hpp"
#include "kernel/solid_operand.hpp"

namespace brontile {
namespace csg_detail {
namespace {

constexpr double kMinTriangleDoubleArea = 1e-14;
// 2^63: every double below it in magnitude rounds to a value a signed 64-bit integer holds.
constexpr double kKeyLimit = 0x1p63;

std::int64_t quantise(double value, double grid) {
    const double scaled = std::round(value * grid);
    if (!(std::abs(scaled) < kKeyLimit)) throw KernelError::outOfRange();
    return static_cast<std::int64_t>(scaled);
}

// Refuses operands the result could not be welded from, before any work is spent on them.
void requireWeldable(const SolidMesh& mesh) {
    for (const Vec3& v : mesh.vertices()) {
        for (const double c : {v.x, v.y, v.z}) {
            if (!(std::abs(c * kVertexGrid) < kKeyLimit)) throw KernelError::outOfRange();
        }
    }
}

struct VertexKey {
    std::int64_t x, y, z;
    friend constexpr bool operator==(const VertexKey&, const VertexKey&) = default;
};

struct PlaneKey {
    std::int64_t nx, ny, nz, w;
    friend constexpr bool operator==(const PlaneKey&, const PlaneKey&) = default;
};

struct KeyHash {
    std::size_t operator()(const VertexKey& k) const noexcept { return hashFields(k.x, k.y, k.z); }
    std::size_t operator()(const PlaneKey& k) const noexcept {
        return hashFields(k.nx, k.ny, k.nz, k.w);
    }
};

// Welds polygon vertices and groups the loops by plane, in first-seen order.
class MeshAssembler {
public:
    explicit MeshAssembler(std::size_t polygonCount) {
        vertexIndex_.reserve(polygonCount * 2);
        loop_.reserve(16);
    }

    template <class VertexAt>
    void add(const CSGPlane& plane, std::size_t count, VertexAt vertexAt) {
        loop_.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const VertexIndex index = weld(vertexAt(i));
            if (loop_.empty() || loop_.back() != index) loop_.push_back(index);
        }
        if (loop_.size() >= 2 && loop_.front() == loop_.back()) loop_.pop_back();
        if (!hasThreeDistinct()) return;
        const PlaneKey key{quantise(plane.normal.x, kPlaneGrid),
                           quantise(plane.normal.y, kPlaneGrid),
                           quantise(plane.normal.z, kPlaneGrid), quantise(plane.w, kPlaneGrid)};
        const auto [it, isNew] = groupIndex_.try_emplace(key, faces_.size());
        if (isNew) faces_.push_back({FaceID{}, {}, plane.normal});
        faces_[it->second].polygons.push_back(loop_);
    }

    // The welded mesh with its seams closed; closed() then says whether every edge is used once
    // each way.
    [[nodiscard]] SolidMesh finish(WorkPacer& pacer) {
        closed_ = closeSeams(vertices_, faces_, pacer);
        const std::vector<FaceID> ids = FaceID::generate(faces_.size());
        for (std::size_t i = 0; i < faces_.size(); ++i) faces_[i].id = ids[i];
        return SolidMesh(std::move(vertices_), std::move(faces_));
    }

    [[nodiscard]] bool closed() const { return closed_; }

private:
    VertexIndex weld(const Vec3& p) {
        const VertexKey key{quantise(p.x, kVertexGrid), quantise(p.y, kVertexGrid),
                            quantise(p.z, kVertexGrid)};
        const auto [it, isNew] =
            vertexIndex_.try_emplace(key, static_cast<VertexIndex>(vertices_.size()));
        if (isNew) vertices_.push_back(p);
        return it->second;
    }

    [[nodiscard]] bool hasThreeDistinct() const {
        if (loop_.size() < 3) return false;
        // Loops are short; a quadratic scan beats a set.
        int distinct = 0;
        for (std::size_t i = 0; i < loop_.size() && distinct < 3; ++i) {
            bool seen = false;
            for (std::size_t j = 0; j < i && !seen; ++j) seen = loop_[j] == loop_[i];
            if (!seen) ++distinct;
        }
        return distinct >= 3;
    }

    std::vector<Vec3> vertices_;
    std::vector<SolidFace> faces_;
    std::unordered_map<VertexKey, VertexIndex, KeyHash> vertexIndex_;
    std::unordered_map<PlaneKey, std::size_t, KeyHash> groupIndex_;
    PolygonLoop loop_;
    bool closed_ = false;
};

// At least as many as the triangles of every loop, from loop sizes alone: counting them exactly
// would triangulate the mesh once more just to size two buffers.
std::size_t triangleBound(const SolidMesh& mesh) {
    std::size_t bound = 0;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons)
            bound += loop.size() >= 3 ? loop.size() - 2 : 0;
    }
    return bound;
}

// Twice the loop's vector area, taken about its first vertex so that a part far from the origin
// keeps its precision: it points the way the loop winds.
Vec3 loopArea(const std::vector<Vec3>& vertices, const PolygonLoop& loop) {
    const Vec3& origin = vertices[static_cast<std::size_t>(loop[0])];
    Vec3 area;
    for (std::size_t i = 1; i + 1 < loop.size(); ++i) {
        area += (vertices[static_cast<std::size_t>(loop[i])] - origin)
                    .cross(vertices[static_cast<std::size_t>(loop[i + 1])] - origin);
    }
    return area;
}

// Each face's triangles with the face's plane, facing the way the face's loops are wound (turned
// over for an inward operand): a stored normal that disagrees with the winding only tells where
// the plane lies. Every triangle runs the way its own loop does, so that triangles from
// neighbouring loops share their edges once each way. That is not always about the plane's normal:
// the slivers seam repair adds along a crack may lie across the plane, at any angle to it, and
// turning one over to face the plane would leave it doubled and the surface open.
template <class Emit>
void forEachFaceTriangle(const SolidMesh& mesh, Winding winding, Emit emit) {
    const auto& vertices = mesh.vertices();
    const bool inward = winding == Winding::inward;
    // One loop at a time, so that each loop's triangles can follow its own winding.
    SolidFace single{FaceID{}, {PolygonLoop{}}, {}};
    std::vector<Vec2> projected;
    for (const SolidFace& face : mesh.faces()) {
        const Vec3 stored = face.normal.normalized();
        // The face's own winding (Newell's normal follows the loops' order); none for no area.
        Vec3 wound = mesh.newellNormal(face).value_or(Vec3{});
        if (inward) wound = wound * -1.0;
        const Vec3 n = stored.dot(wound) < 0 ? stored * -1.0 : stored;
        const auto triangle = [&](VertexIndex i, VertexIndex j, VertexIndex k) {
            const Vec3& a = vertices[static_cast<std::size_t>(i)];
            const Vec3& b = vertices[static_cast<std::size_t>(j)];
            const Vec3& c = vertices[static_cast<std::size_t>(k)];
            if (!((b - a).cross(c - a).length() > kMinTriangleDoubleArea)) return;
            const CSGPlane plane{n, n.dot(a)};
            if (inward) {
                emit(a, c, b, plane, std::array{i, k, j});
            } else {
                emit(a, b, c, plane, std::array{i, j, k});
            }
        };
        single.normal = face.normal;
        for (const PolygonLoop& loop : face.polygons) {
            if (loop.size() == 3) {
                triangle(loop[0], loop[1], loop[2]);
                continue;
            }
            if (loop.size() < 3) continue;
            // Ear clipping winds its triangles about the stored normal, whatever the loop's own
            // direction.
            const bool against = loopArea(vertices, loop).dot(stored) < 0;
            single.polygons[0] = loop;
            mesh.forEachTriangle(single, projected,
                                 [&](VertexIndex i, VertexIndex j, VertexIndex k) {
                                     if (against) {
                                         triangle(i, k, j);
                                     } else {
                                         triangle(i, j, k);
                                     }
                                 });
        }
    }
}

}  // namespace

PooledSolid pooledSolid(PolygonSoup& soup, const SolidMesh& mesh, Winding winding,
                        WorkPacer& pacer) {
    requireWeldable(mesh);
    PooledSolid result;
    const std::size_t triangles = triangleBound(mesh);
    result.triangles.reserve(triangles);
    result.corners.reserve(triangles);
    // Cut pieces add vertices only where the operands meet: a tenth more is a good first guess.
    soup.reserveMore(3 * triangles + 3 * triangles / 10);
    forEachFaceTriangle(mesh, winding,
                        [&](const Vec3& a, const Vec3& b, const Vec3& c, const CSGPlane& plane,
                            const std::array<VertexIndex, 3>& corners) {
                            pacer.step();
                            const Vec3 points[3] = {a, b, c};
                            result.triangles.push_back(soup.add(points, plane));
                            result.corners.push_back({static_cast<std::uint32_t>(corners[0]),
                                                      static_cast<std::uint32_t>(corners[1]),
                                                      static_cast<std::uint32_t>(corners[2])});
                        });
    return result;
}

std::optional<SolidMesh> meshFromPooled(const PolygonSoup& soup,
                                        const std::vector<SoupPolygon>& polygons,
                                        WorkPacer& pacer) {
    MeshAssembler assembler(polygons.size());
    for (const SoupPolygon& p : polygons) {
        pacer.step();
        assembler.add(p.plane, p.count,
                      [&](std::size_t i) -> const Vec3& { return soup.vertex(p, i); });
    }
    SolidMesh mesh = assembler.finish(pacer);
    if (!assembler.closed()) return std::nullopt;
    return mesh;
}

}  // namespace csg_detail

std::vector<CSGPolygon> MeshCSGBridge::polygons(const SolidMesh& mesh) {
    csg_detail::requireWeldable(mesh);
    std::vector<CSGPolygon> result;
    csg_detail::forEachFaceTriangle(mesh, csg_detail::Winding::outward,
                                    [&](const Vec3& a, const Vec3& b, const Vec3& c,
                                        const CSGPlane& plane, const std::array<VertexIndex, 3>&) {
                                        result.push_back({{{a}, {b}, {c}}, plane});
                                    });
    return result;
}

SolidMesh MeshCSGBridge::mesh(const std::vector<CSGPolygon>& polygons) {
    csg_detail::MeshAssembler assembler(polygons.size());
    for (const CSGPolygon& p : polygons) {
        assembler.add(p.plane, p.vertices.size(),
                      [&](std::size_t i) -> const Vec3& { return p.vertices[i].pos; });
    }
    Progress whole;
    csg_detail::WorkPacer pacer(whole);
    return assembler.finish(pacer);
}

}  // namespace brontile
