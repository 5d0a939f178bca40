#include "io/face_outlines.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "geometry/vec2.hpp"

namespace brontile::FaceOutlines {
namespace {

// Loops whose area is at most this (mm²) enclose nothing a reader could build a face on.
constexpr double kMinArea = 1e-12;

std::size_t toSize(VertexIndex index) { return static_cast<std::size_t>(index); }

// The face's vertices in the coordinates of its plane, where counter-clockwise about the normal
// is counter-clockwise.
class FacePlane {
public:
    FacePlane(const SolidMesh& mesh, const Vec3& normal)
        : vertices_(mesh.vertices()), basis_(SolidMesh::planeBasis(normal)) {}

    [[nodiscard]] Vec2 at(VertexIndex index) const {
        const Vec3& p = vertices_[toSize(index)];
        return {p.dot(basis_.u), p.dot(basis_.v)};
    }

    // Positive when the loop winds counter-clockwise.
    [[nodiscard]] double signedArea(const PolygonLoop& loop) const {
        if (loop.size() < 3) return 0;
        const Vec2 origin = at(loop[0]);
        double twice = 0;
        for (std::size_t i = 1; i + 1 < loop.size(); ++i) {
            twice += (at(loop[i]) - origin).cross(at(loop[i + 1]) - origin);
        }
        return twice / 2;
    }

    // Even-odd test; a point on the loop counts as whichever side the arithmetic gives.
    [[nodiscard]] bool contains(const PolygonLoop& loop, Vec2 point) const {
        bool inside = false;
        for (std::size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
            const Vec2 a = at(loop[i]);
            const Vec2 b = at(loop[j]);
            if ((a.y > point.y) != (b.y > point.y) &&
                point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
            }
        }
        return inside;
    }

    // The turn from the edge (from, at) into (at, to), as the clockwise angle from the way back
    // to `from` round to `to`: the smallest one hugs the region on the left.
    [[nodiscard]] double turn(VertexIndex from, VertexIndex at, VertexIndex to) const {
        const Vec2 back = this->at(from) - this->at(at);
        const Vec2 out = this->at(to) - this->at(at);
        const double counterClockwise = std::atan2(back.cross(out), back.dot(out));
        const double clockwise = -counterClockwise;
        return clockwise <= 0 ? clockwise + 2 * std::numbers::pi : clockwise;
    }

private:
    const std::vector<Vec3>& vertices_;
    SolidMesh::PlaneBasis basis_;
};

// The loop without repeated neighbours (the closing pair included).
PolygonLoop withoutRepeats(const PolygonLoop& loop) {
    PolygonLoop result;
    for (const VertexIndex index : loop) {
        if (result.empty() || result.back() != index) result.push_back(index);
    }
    while (result.size() > 1 && result.front() == result.back()) result.pop_back();
    return result;
}

bool visitsAVertexTwice(PolygonLoop loop) {
    std::ranges::sort(loop);
    return std::ranges::adjacent_find(loop) != loop.end();
}

// The boundary edges chained into closed loops; nothing when a chain ends before closing. At a
// vertex with several ways on, the sharpest turn to the left is taken, which keeps loops that
// touch at a vertex apart.
std::optional<std::vector<PolygonLoop>> chainLoops(const std::vector<SolidMesh::Edge>& edges,
                                                   const FacePlane& plane) {
    std::vector<std::size_t> order(edges.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::ranges::sort(order, {}, [&](std::size_t i) { return edges[i].a; });
    const auto leaving = [&](VertexIndex vertex) {
        const auto first =
            std::ranges::partition_point(order, [&](std::size_t i) { return edges[i].a < vertex; });
        auto last = first;
        while (last != order.end() && edges[*last].a == vertex) ++last;
        return std::pair{first, last};
    };
    std::vector<bool> used(edges.size(), false);
    std::vector<PolygonLoop> loops;
    for (const std::size_t start : order) {
        if (used[start]) continue;
        used[start] = true;
        PolygonLoop loop{edges[start].a};
        VertexIndex previous = edges[start].a;
        VertexIndex current = edges[start].b;
        while (current != loop.front()) {
            const auto [first, last] = leaving(current);
            std::optional<std::size_t> next;
            for (auto it = first; it != last; ++it) {
                if (used[*it]) continue;
                if (!next || plane.turn(previous, current, edges[*it].b) <
                                 plane.turn(previous, current, edges[*next].b)) {
                    next = *it;
                }
            }
            if (!next) return std::nullopt;
            used[*next] = true;
            loop.push_back(current);
            previous = current;
            current = edges[*next].b;
        }
        loops.push_back(std::move(loop));
    }
    return loops;
}

// A point of `hole` clearly inside it rather than on `outer`: a vertex `outer` does not use, else
// the middle of an edge.
Vec2 samplePoint(const PolygonLoop& hole, const PolygonLoop& outer, const FacePlane& plane) {
    for (const VertexIndex index : hole) {
        if (std::ranges::find(outer, index) == outer.end()) return plane.at(index);
    }
    return (plane.at(hole[0]) + plane.at(hole[1])) * 0.5;
}

// Each polygon on its own, as it winds: the regions of a face whose outline cannot be trusted.
std::vector<FaceRegion> pieces(const SolidFace& face, const FacePlane& plane) {
    std::vector<FaceRegion> result;
    for (const PolygonLoop& polygon : face.polygons) {
        PolygonLoop loop = withoutRepeats(polygon);
        if (std::abs(plane.signedArea(loop)) <= kMinArea) continue;
        result.push_back({std::move(loop), {}});
    }
    return result;
}

std::optional<std::vector<FaceRegion>> outlineRegions(const SolidMesh& mesh, const SolidFace& face,
                                                      const FacePlane& plane) {
    const auto loops = chainLoops(mesh.boundaryEdges(face), plane);
    if (!loops) return std::nullopt;
    struct Measured {
        PolygonLoop loop;
        double area;
    };
    std::vector<Measured> outers;
    std::vector<Measured> holes;
    for (const PolygonLoop& loop : *loops) {
        const double area = plane.signedArea(loop);
        if (std::abs(area) <= kMinArea) continue;
        (area > 0 ? outers : holes).push_back({loop, std::abs(area)});
    }
    std::vector<FaceRegion> regions;
    for (Measured& outer : outers) regions.push_back({std::move(outer.loop), {}});
    for (Measured& hole : holes) {
        std::optional<std::size_t> around;
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const bool smaller = !around || outers[i].area < outers[*around].area;
            if (smaller &&
                plane.contains(regions[i].outer, samplePoint(hole.loop, regions[i].outer, plane))) {
                around = i;
            }
        }
        if (!around) return std::nullopt;
        regions[*around].holes.push_back(std::move(hole.loop));
    }
    // Polygons of area whose edges all cancel (one laid over another) have no outline to trust.
    if (regions.empty()) return std::nullopt;
    return regions;
}

}  // namespace

std::vector<FaceRegion> regions(const SolidMesh& mesh, const SolidFace& face) {
    // The normal the polygons wind about, not the stored one, which a reader of the mesh cannot
    // check: the loops must run the way the neighbouring faces expect.
    std::optional<Vec3> normal = mesh.newellNormal(face);
    if (!normal) return {};
    const FacePlane plane(mesh, *normal);
    // Most faces are one simple polygon, which is its own outline.
    if (face.polygons.size() == 1) {
        PolygonLoop loop = withoutRepeats(face.polygons.front());
        if (!visitsAVertexTwice(loop)) {
            if (plane.signedArea(loop) <= kMinArea) return {};
            return {FaceRegion{std::move(loop), {}}};
        }
    }
    if (auto outlined = outlineRegions(mesh, face, plane)) return std::move(*outlined);
    return pieces(face, plane);
}

}  // namespace brontile::FaceOutlines
