#include "geometry/solid_mesh.hpp"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/identified.hpp"

namespace brontile {
namespace {

const std::vector<Vec3> kNoVertices;
const std::vector<SolidFace> kNoFaces;

std::size_t toSize(VertexIndex index) { return static_cast<std::size_t>(index); }

bool inRange(const PolygonLoop& polygon, std::size_t vertexCount) {
    return std::all_of(polygon.begin(), polygon.end(),
                       [vertexCount](VertexIndex i) { return isVertexIndex(i, vertexCount); });
}

std::optional<Vec3> newellNormalOf(const std::vector<Vec3>& vertices, const SolidFace& face) {
    Vec3 sum;
    for (const auto& polygon : face.polygons) {
        if (polygon.size() < 3 || !inRange(polygon, vertices.size())) continue;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Vec3& c = vertices[toSize(polygon[i])];
            const Vec3& n = vertices[toSize(polygon[(i + 1) % polygon.size()])];
            sum += Vec3{(c.y - n.y) * (c.z + n.z), (c.z - n.z) * (c.x + n.x),
                        (c.x - n.x) * (c.y + n.y)};
        }
    }
    const double length = sum.length();
    if (!(length > kNormalizeEpsilon)) return std::nullopt;
    return sum / length;
}

void applyNewellNormals(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    for (SolidFace& f : faces) {
        if (const auto n = newellNormalOf(vertices, f)) f.normal = *n;
    }
}

template <class T>
std::shared_ptr<const std::vector<T>> share(std::vector<T> items) {
    if (items.empty()) return nullptr;
    return std::make_shared<const std::vector<T>>(std::move(items));
}

void checkIndices(const std::vector<Vec3>& vertices, const std::vector<SolidFace>& faces) {
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const auto& polygons = faces[f].polygons;
        for (std::size_t p = 0; p < polygons.size(); ++p) {
            if (inRange(polygons[p], vertices.size())) continue;
            const VertexIndex bad =
                *std::find_if_not(polygons[p].begin(), polygons[p].end(),
                                  [&](VertexIndex i) { return isVertexIndex(i, vertices.size()); });
            throw InvalidMeshError("Face " + std::to_string(f) + ", polygon " + std::to_string(p) +
                                   " refers to vertex " + std::to_string(bad) +
                                   ", but the mesh has " + std::to_string(vertices.size()) +
                                   " vertices.");
        }
    }
}

}  // namespace

SolidMesh::SolidMesh(std::vector<Vec3> vertices, std::vector<SolidFace> faces) {
    checkIndices(vertices, faces);
    vertices_ = share(std::move(vertices));
    faces_ = share(std::move(faces));
}

SolidMesh SolidMesh::withComputedNormals(std::vector<Vec3> vertices, std::vector<SolidFace> faces) {
    checkIndices(vertices, faces);
    applyNewellNormals(vertices, faces);
    return SolidMesh(share(std::move(vertices)), share(std::move(faces)));
}

const std::vector<Vec3>& SolidMesh::vertices() const {
    return vertices_ ? *vertices_ : kNoVertices;
}

const std::vector<SolidFace>& SolidMesh::faces() const { return faces_ ? *faces_ : kNoFaces; }

bool operator==(const SolidMesh& a, const SolidMesh& b) {
    const bool sameVertices = a.vertices_ == b.vertices_ || a.vertices() == b.vertices();
    return sameVertices && (a.faces_ == b.faces_ || a.faces() == b.faces());
}

std::optional<SolidFace> SolidMesh::face(const FaceID& id) const {
    return elementWithId(faces(), id);
}

std::optional<std::size_t> SolidMesh::faceIndex(const FaceID& id) const {
    return indexOfId(faces(), id);
}

std::optional<AABB> SolidMesh::bounds() const { return AABB::fromPoints(vertices()); }

Vec3 SolidMesh::centroid() const {
    const auto box = bounds();
    return box ? box->center() : Vec3::zero;
}

std::vector<VertexIndex> SolidMesh::vertexIndices(const SolidFace& face) const {
    std::vector<VertexIndex> indices;
    for (const auto& polygon : face.polygons)
        indices.insert(indices.end(), polygon.begin(), polygon.end());
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

Vec3 SolidMesh::centroid(const SolidFace& face) const {
    Vec3 sum;
    std::size_t used = 0;
    for (VertexIndex index : vertexIndices(face)) {
        if (!isVertexIndex(index, vertices().size())) continue;
        sum += vertices()[toSize(index)];
        ++used;
    }
    return used == 0 ? Vec3::zero : sum / static_cast<double>(used);
}

SolidMesh::PlaneBasis SolidMesh::planeBasis(const Vec3& normal) {
    const Vec3 n = normal.normalized();
    const Vec3 u = n.anyPerpendicular();
    return {u, n.cross(u).normalized()};
}

template <class Visit>
void SolidMesh::forEachTriangle(Visit&& visit) const {
    const auto& all = faces();
    std::vector<Vec2> projected;
    for (std::size_t f = 0; f < all.size(); ++f) {
        forEachTriangle(all[f], projected, [&](VertexIndex a, VertexIndex b, VertexIndex c) {
            visit(f, Triangle{a, b, c});
        });
    }
}

std::vector<Triangulator::Triple> SolidMesh::earClipped(const SolidFace& face,
                                                        const PolygonLoop& loop,
                                                        std::vector<Vec2>& projected) const {
    if (!inRange(loop, vertices().size())) return {};
    const PlaneBasis basis = planeBasis(face.normal);
    const Vec3 p0 = vertices()[toSize(loop[0])];
    projected.clear();
    for (VertexIndex index : loop) {
        const Vec3 d = vertices()[toSize(index)] - p0;
        projected.emplace_back(d.dot(basis.u), d.dot(basis.v));
    }
    return Triangulator::triangulate(projected);
}

std::vector<SolidMesh::Triangle> SolidMesh::triangles(const SolidFace& face) const {
    std::vector<Triangle> result;
    forEachTriangle(face, [&](VertexIndex a, VertexIndex b, VertexIndex c) {
        result.push_back({a, b, c});
    });
    return result;
}

std::vector<SolidMesh::FaceTriangle> SolidMesh::allTriangles() const {
    std::vector<FaceTriangle> result;
    forEachTriangle([&](std::size_t face, const Triangle& t) {
        result.push_back({face, t[0], t[1], t[2]});
    });
    return result;
}

std::size_t SolidMesh::triangleCount() const {
    std::size_t count = 0;
    forEachTriangle([&](std::size_t, const Triangle&) { ++count; });
    return count;
}

double SolidMesh::volume() const {
    const auto& v = vertices();
    if (v.empty()) return 0;
    // Tetrahedra from the first vertex rather than the origin: the sum is the same for a closed
    // surface, and a part far from the origin is not lost in the rounding of products of large
    // coordinates.
    const Vec3 apex = v.front();
    double sum = 0;
    forEachTriangle([&](std::size_t, const Triangle& t) {
        sum += (v[toSize(t[0])] - apex).dot((v[toSize(t[1])] - apex).cross(v[toSize(t[2])] - apex));
    });
    return sum / 6;
}

std::optional<Vec3> SolidMesh::newellNormal(const SolidFace& face) const {
    return newellNormalOf(vertices(), face);
}

std::vector<SolidMesh::Edge> SolidMesh::boundaryEdges(const SolidFace& face) const {
    struct Seen {
        Edge first;
        int uses = 0;
    };
    std::vector<Seen> seen;
    std::unordered_map<EdgeKey, std::size_t> slot;
    for (const auto& polygon : face.polygons) {
        if (polygon.size() < 2) continue;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const VertexIndex a = polygon[i];
            const VertexIndex b = polygon[(i + 1) % polygon.size()];
            if (a == b) continue;
            const auto [it, inserted] = slot.try_emplace(EdgeKey(a, b), seen.size());
            if (inserted) seen.push_back({Edge{a, b}, 0});
            ++seen[it->second].uses;
        }
    }
    std::vector<Edge> edges;
    for (const Seen& s : seen) {
        if (s.uses == 1) edges.push_back(s.first);
    }
    return edges;
}

std::vector<SolidMesh::Edge> SolidMesh::uniqueEdges() const {
    std::vector<Edge> edges;
    std::unordered_set<EdgeKey> seen;
    for (const SolidFace& f : faces()) {
        for (const Edge& e : boundaryEdges(f)) {
            if (seen.insert(EdgeKey(e.a, e.b)).second) edges.push_back(e);
        }
    }
    return edges;
}

std::vector<std::size_t> SolidMesh::faceIndicesSharing(const Edge& edge) const {
    const EdgeKey key(edge.a, edge.b);
    std::vector<std::size_t> result;
    const auto& all = faces();
    for (std::size_t f = 0; f < all.size(); ++f) {
        const auto edges = boundaryEdges(all[f]);
        if (std::any_of(edges.begin(), edges.end(),
                        [&](const Edge& e) { return EdgeKey(e.a, e.b) == key; })) {
            result.push_back(f);
        }
    }
    return result;
}

SolidMesh SolidMesh::translated(const Vec3& offset) const {
    if (!vertices_) return *this;
    std::vector<Vec3> moved(vertices());
    for (Vec3& p : moved) p += offset;
    // Translation changes no normal, so the faces are shared as they are.
    return SolidMesh(share(std::move(moved)), faces_);
}

SolidMesh SolidMesh::rotated(const Vec3& axis, const Vec3& origin, double angle) const {
    std::vector<Vec3> moved(vertices());
    for (Vec3& p : moved) p = p.rotated(axis, origin, angle);
    return withMovedVertices(std::move(moved), faces());
}

SolidMesh SolidMesh::scaled(const Vec3& center, double factor) const {
    std::vector<Vec3> moved(vertices());
    for (Vec3& p : moved) p = p.scaled(center, factor);
    return withMovedVertices(std::move(moved), faces());
}

SolidMesh SolidMesh::stretched(const Vec3& planeOrigin, const Vec3& planeNormal,
                               double factor) const {
    const Vec3 n = planeNormal.normalized();
    auto moved = std::make_shared<std::vector<Vec3>>(vertices());
    for (Vec3& p : *moved) p = p + n * ((p - planeOrigin).dot(n) * (factor - 1));
    return {VertexStorage(std::move(moved)), faces_};
}

SolidMesh SolidMesh::mirrored(const Vec3& planeOrigin, const Vec3& planeNormal) const {
    std::vector<Vec3> moved(vertices());
    for (Vec3& p : moved) p = p.mirrored(planeOrigin, planeNormal);
    const Vec3 n = planeNormal.normalized();
    std::vector<SolidFace> flipped(faces());
    for (SolidFace& f : flipped) {
        // Mirroring flips handedness; reversed loops keep facing outwards.
        for (auto& polygon : f.polygons) std::reverse(polygon.begin(), polygon.end());
        f.normal = f.normal - n * (2 * f.normal.dot(n));
    }
    return withMovedVertices(std::move(moved), std::move(flipped));
}

SolidMesh SolidMesh::withMovedVertices(std::vector<Vec3> vertices,
                                       std::vector<SolidFace> faces) const {
    applyNewellNormals(vertices, faces);
    return SolidMesh(share(std::move(vertices)), share(std::move(faces)));
}

void SolidMesh::recomputeNormals() {
    if (!faces_) return;
    std::vector<SolidFace> updated(faces());
    applyNewellNormals(vertices(), updated);
    faces_ = share(std::move(updated));
}

}  // namespace brontile
