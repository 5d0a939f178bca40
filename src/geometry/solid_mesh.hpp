// The shape of every body: shared vertex positions and planar faces with stable identities.
// A mesh is an immutable value over shared storage, so copying a body or a whole document copies
// two handles; every change builds a new mesh.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "base/error.hpp"
#include "base/hashing.hpp"
#include "base/uuid.hpp"
#include "geometry/aabb.hpp"
#include "geometry/triangulator.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

using FaceID = Identifier<struct FaceIDTag>;

// Index into a mesh's vertex list. Signed 64-bit, as stored in documents.
using VertexIndex = std::int64_t;
// A closed loop of vertex indices without the closing repeat, counter-clockwise seen from the
// side the face normal points to.
using PolygonLoop = std::vector<VertexIndex>;

// Whether `index` names one of `vertexCount` vertices.
[[nodiscard]] constexpr bool isVertexIndex(VertexIndex index, std::size_t vertexCount) {
    return index >= 0 && static_cast<std::size_t>(index) < vertexCount;
}

struct SolidFace {
    FaceID id;
    // One or more loops in the face's plane; edges shared between them are interior.
    std::vector<PolygonLoop> polygons;
    // Unit length, pointing out of the solid.
    Vec3 normal;

    friend bool operator==(const SolidFace&, const SolidFace&) = default;
};

// A mesh whose faces name vertices it does not have. Meshes are always checked when built.
class InvalidMeshError : public Error {
public:
    using Error::Error;
};

class SolidMesh {
public:
    // The undirected key of an edge: lo is the smaller index.
    struct EdgeKey {
        VertexIndex lo = 0;
        VertexIndex hi = 0;

        constexpr EdgeKey() = default;
        constexpr EdgeKey(VertexIndex a, VertexIndex b) : lo(a < b ? a : b), hi(a < b ? b : a) {}
        friend constexpr bool operator==(const EdgeKey&, const EdgeKey&) = default;
    };
    // A directed edge from a to b.
    struct Edge {
        VertexIndex a = 0;
        VertexIndex b = 0;
        friend constexpr bool operator==(const Edge&, const Edge&) = default;
    };
    using Triangle = std::array<VertexIndex, 3>;
    // A triangle tagged with the index of the face it came from.
    struct FaceTriangle {
        std::size_t face = 0;
        VertexIndex a = 0, b = 0, c = 0;
        friend constexpr bool operator==(const FaceTriangle&, const FaceTriangle&) = default;
    };
    // (u, v, normal) is right-handed, so counter-clockwise loops stay counter-clockwise in (u, v).
    struct PlaneBasis {
        Vec3 u;
        Vec3 v;
    };

    // The empty mesh: no vertices, no faces.
    SolidMesh() = default;
    // Throws InvalidMeshError when a polygon names a vertex outside `vertices`.
    SolidMesh(std::vector<Vec3> vertices, std::vector<SolidFace> faces);
    // As the constructor, with every face's normal computed from its loops (one pass, no copy
    // of the faces).
    [[nodiscard]] static SolidMesh withComputedNormals(std::vector<Vec3> vertices,
                                                       std::vector<SolidFace> faces);

    [[nodiscard]] static SolidMesh empty() { return {}; }

    [[nodiscard]] const std::vector<Vec3>& vertices() const;
    [[nodiscard]] const std::vector<SolidFace>& faces() const;
    // No vertices or no faces.
    [[nodiscard]] bool isEmpty() const { return vertices().empty() || faces().empty(); }
    // True when both meshes read the very same vertex and face storage (a cheap copy).
    [[nodiscard]] bool sharesStorageWith(const SolidMesh& other) const {
        return vertices_ == other.vertices_ && faces_ == other.faces_;
    }
    // The addresses of the shared vertex and face storage: equal exactly when sharesStorageWith
    // holds. A cache keyed on it must keep a copy of the mesh, so the storage (and with it the
    // key) cannot be freed and reused by another mesh while the entry lives.
    [[nodiscard]] std::pair<const void*, const void*> storageIdentity() const {
        return {vertices_.get(), faces_.get()};
    }

    friend bool operator==(const SolidMesh& a, const SolidMesh& b);

    // Lookups and measures.
    [[nodiscard]] std::optional<SolidFace> face(const FaceID& id) const;
    [[nodiscard]] std::optional<std::size_t> faceIndex(const FaceID& id) const;
    [[nodiscard]] std::optional<AABB> bounds() const;
    // The centre of the bounding box (not the vertex mean); zero for no vertices.
    [[nodiscard]] Vec3 centroid() const;
    // Distinct vertex indices of the face, ascending.
    [[nodiscard]] std::vector<VertexIndex> vertexIndices(const SolidFace& face) const;
    // Mean of the face's distinct vertices; zero when it uses none.
    [[nodiscard]] Vec3 centroid(const SolidFace& face) const;
    [[nodiscard]] static PlaneBasis planeBasis(const Vec3& normal);
    // Triangles of the face's polygons in order; loops of four or more are ear-clipped in the
    // plane of the face's stored normal. Polygons naming missing vertices give nothing.
    [[nodiscard]] std::vector<Triangle> triangles(const SolidFace& face) const;
    // Calls visit(a, b, c) for each triangle of triangles(face), in its order, without building
    // the list: drawing, picking, booleans and measures walk faces on hot paths, and this walk is
    // the one place that decides how a face becomes triangles.
    template <class Visit>
    void forEachTriangle(const SolidFace& face, Visit&& visit) const {
        std::vector<Vec2> projected;
        forEachTriangle(face, projected, visit);
    }
    // The same walk with caller-kept scratch space for the loops it ear-clips, so that walking
    // many faces allocates it once.
    template <class Visit>
    void forEachTriangle(const SolidFace& face, std::vector<Vec2>& projected, Visit&& visit) const {
        const std::size_t count = vertices().size();
        for (const PolygonLoop& l : face.polygons) {
            if (l.size() == 3) {
                if (isVertexIndex(l[0], count) && isVertexIndex(l[1], count) &&
                    isVertexIndex(l[2], count)) {
                    visit(l[0], l[1], l[2]);
                }
            } else if (l.size() > 3) {
                for (const Triangulator::Triple& t : earClipped(face, l, projected)) {
                    visit(l[t[0]], l[t[1]], l[t[2]]);
                }
            }
        }
    }
    [[nodiscard]] std::vector<FaceTriangle> allTriangles() const;
    [[nodiscard]] std::size_t triangleCount() const;
    // Signed volume, positive for a closed mesh wound counter-clockwise seen from outside. Summed
    // about the first vertex, so an open mesh's value depends on which vertex that is.
    [[nodiscard]] double volume() const;
    // Newell's normal over the face's polygons; nothing when they enclose no area.
    [[nodiscard]] std::optional<Vec3> newellNormal(const SolidFace& face) const;
    // Edges used exactly once by the face's polygons, first direction seen, in order of first
    // appearance: the face's outline without the seams between its polygons.
    [[nodiscard]] std::vector<Edge> boundaryEdges(const SolidFace& face) const;
    // Every face's boundary edges, each undirected edge once (first occurrence wins).
    [[nodiscard]] std::vector<Edge> uniqueEdges() const;
    // Ascending indices of the faces whose outline contains the edge in either direction.
    [[nodiscard]] std::vector<std::size_t> faceIndicesSharing(const Edge& edge) const;

    // Transforms keep face order, vertex order, polygons and face ids.
    [[nodiscard]] SolidMesh translated(const Vec3& offset) const;
    [[nodiscard]] SolidMesh rotated(const Vec3& axis, const Vec3& origin, double angle) const;
    [[nodiscard]] SolidMesh scaled(const Vec3& center, double factor) const;
    [[nodiscard]] SolidMesh mirrored(const Vec3& planeOrigin, const Vec3& planeNormal) const;
    // Every vertex's distance from the plane multiplied by `factor` > 0, the faces shared with
    // this mesh and their normals kept: right for a mesh whose faces all lie parallel or square
    // to the plane, such as a prism swept from it, which it lengthens without sweeping again.
    [[nodiscard]] SolidMesh stretched(const Vec3& planeOrigin, const Vec3& planeNormal,
                                      double factor) const;
    // Every face whose Newell normal exists takes it; the others keep theirs.
    void recomputeNormals();

private:
    using VertexStorage = std::shared_ptr<const std::vector<Vec3>>;
    using FaceStorage = std::shared_ptr<const std::vector<SolidFace>>;

    SolidMesh(VertexStorage vertices, FaceStorage faces)
        : vertices_(std::move(vertices)), faces_(std::move(faces)) {}

    template <class Visit>
    void forEachTriangle(Visit&& visit) const;
    // Positions into `loop` (four or more indices) of its ear-clipped triangles in the plane of the
    // face's normal; nothing when it names a missing vertex.
    [[nodiscard]] std::vector<Triangulator::Triple> earClipped(const SolidFace& face,
                                                               const PolygonLoop& loop,
                                                               std::vector<Vec2>& projected) const;
    // Same faces over new vertex positions, with normals recomputed from them.
    [[nodiscard]] SolidMesh withMovedVertices(std::vector<Vec3> vertices,
                                              std::vector<SolidFace> faces) const;

    // Null stands for an empty list, so the empty mesh costs no allocation.
    VertexStorage vertices_;
    FaceStorage faces_;
};

}  // namespace brontile

template <>
struct std::hash<brontile::SolidMesh::EdgeKey> {
    std::size_t operator()(const brontile::SolidMesh::EdgeKey& key) const noexcept {
        return brontile::hashFields(key.lo, key.hi);
    }
};
