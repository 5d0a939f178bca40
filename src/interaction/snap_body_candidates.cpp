// Snapping to bodies: the vertices, edge midpoints, nearest edge points and edge crossings of
// visible bodies lying in the sketch plane, and the segment crossing test those crossings use.
// Only edges whose padded bounds meet the cursor's window are looked at.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "interaction/snap_candidates.hpp"

namespace brontile::SnapCandidates {
namespace {

constexpr double kPlaneTolerancePixels = 3;
constexpr double kMinPlaneTolerance = 1e-4;
// Body-edge crossings may lie 1e-9·|d| + 1e-6 mm off their edges (d: the edge).
constexpr double kCrossingAbsoluteTolerance = 1e-6;

struct PlanarEdge {
    Vec2 a;
    Vec2 b;
    Box2 box;
};

double crossingTolerance(const Vec2& a, const Vec2& b) {
    return kParameterTolerance * a.distance(b) + kCrossingAbsoluteTolerance;
}

// Twice an edge's crossing tolerance plus slack: the Manhattan length bounds the Euclidean one
// without a square root.
double edgePad(const Vec2& d, double scale) {
    const double manhattan = std::abs(d.x) + std::abs(d.y);
    return 2 * (kParameterTolerance * manhattan + kCrossingAbsoluteTolerance) + slack(scale);
}

// Holds every point on the segment and every crossing segmentIntersection reports on it.
Box2 edgeBox(const Vec2& a, const Vec2& b) {
    return Box2::around(a, b, edgePad(b - a, std::max(magnitude(a), magnitude(b))));
}

// Vertex classes that reject most edges before their bounds are measured: off the plane, or
// beyond a side of the window widened by more than any edge's pad.
enum VertexClass : std::uint8_t {
    kLeft = 1,
    kRight = 2,
    kBelow = 4,
    kAbove = 8,
    kOffPlane = 16,
};

std::uint8_t sidesBeyond(const Vec2& p, const Box2& box) {
    return static_cast<std::uint8_t>(
        (p.x < box.min.x ? kLeft : 0) | (p.x > box.max.x ? kRight : 0) |
        (p.y < box.min.y ? kBelow : 0) | (p.y > box.max.y ? kAbove : 0));
}

// The mesh seen from the sketch plane: where its vertices lie and how they sit to the window.
struct PlanarVertices {
    std::vector<std::uint8_t> classes;
    std::vector<Vec2> local;
    bool any = false;
};

PlanarVertices planarVertices(const SolidMesh& mesh, const SketchPlane& plane, double tolerance,
                              CandidateChoice& choice) {
    const auto& vertices = mesh.vertices();
    const Vec3 normal = plane.normal();
    PlanarVertices result{std::vector<std::uint8_t>(vertices.size(), kOffPlane),
                          std::vector<Vec2>(vertices.size())};
    double largest = 0;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (!(std::abs((vertices[i] - plane.origin).dot(normal)) <= tolerance)) continue;
        result.local[i] = plane.toLocal(vertices[i]);
        result.classes[i] = 0;
        result.any = true;
        largest = std::max(largest, magnitude(result.local[i]));
        choice.offer({.point = result.local[i], .label = "Vertex"});
    }
    // No in-plane edge is longer than 4·largest in Manhattan length; doubling covers rounding.
    const double pad = 2 * edgePad({2 * largest, 2 * largest}, largest);
    const Box2& w = choice.window();
    const Box2 wide{w.min - Vec2{pad, pad}, w.max + Vec2{pad, pad}};
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (result.classes[i] == 0) result.classes[i] = sidesBeyond(result.local[i], wide);
    }
    return result;
}

// The face's polygon edges lying in the plane whose bounds meet the window. Every occurrence of
// an edge has the same ends, so an edge is either always kept or always dropped.
void collectNearFaceEdges(const SolidFace& face, const PlanarVertices& planar, const Box2& window,
                          std::vector<SolidMesh::Edge>& out) {
    out.clear();
    for (const auto& polygon : face.polygons) {
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const auto a = static_cast<std::size_t>(polygon[i]);
            const auto b = static_cast<std::size_t>(polygon[i + 1 < n ? i + 1 : 0]);
            const std::uint8_t ca = planar.classes[a];
            const std::uint8_t cb = planar.classes[b];
            // Off the plane, or both ends beyond the same side of the window.
            if (a == b || ((ca | cb) & kOffPlane) || (ca & cb)) continue;
            if (!edgeBox(planar.local[a], planar.local[b]).meets(window)) continue;
            out.push_back({static_cast<VertexIndex>(a), static_cast<VertexIndex>(b)});
        }
    }
}

// Offers the mesh's in-plane outline edges near the cursor, in the order and direction of
// SolidMesh::uniqueEdges (a face's seams dropped, the first face's direction kept), and appends
// them to `nearEdges` for the crossing pass.
void offerBodyEdges(const SolidMesh& mesh, const PlanarVertices& planar, CandidateChoice& choice,
                    std::vector<PlanarEdge>& nearEdges) {
    std::unordered_set<SolidMesh::EdgeKey> taken;
    std::vector<SolidMesh::Edge> faceEdges;
    for (const SolidFace& face : mesh.faces()) {
        collectNearFaceEdges(face, planar, choice.window(), faceEdges);
        for (const SolidMesh::Edge& e : faceEdges) {
            const SolidMesh::EdgeKey key(e.a, e.b);
            const auto uses = std::count_if(faceEdges.begin(), faceEdges.end(), [&](const auto& o) {
                return SolidMesh::EdgeKey(o.a, o.b) == key;
            });
            if (uses != 1 || !taken.insert(key).second) continue;
            const Vec2 a = planar.local[static_cast<std::size_t>(e.a)];
            const Vec2 b = planar.local[static_cast<std::size_t>(e.b)];
            choice.offer(
                {.point = (a + b) / 2, .kind = SnapKind::midpoint, .label = "Edge midpoint"});
            choice.offer({.point = Vec2::closestPointOnSegment(choice.cursor(), a, b),
                          .kind = SnapKind::onCurve,
                          .label = "Edge"});
            nearEdges.push_back({a, b, edgeBox(a, b)});
        }
    }
}

// Crossings of edges far from the cursor lie far from it too, so only near edges can cross.
void offerEdgeCrossings(const std::vector<PlanarEdge>& nearEdges, CandidateChoice& choice) {
    for (std::size_t i = 0; i < nearEdges.size(); ++i) {
        for (std::size_t j = i + 1; j < nearEdges.size(); ++j) {
            const PlanarEdge& p = nearEdges[i];
            const PlanarEdge& q = nearEdges[j];
            if (!p.box.meets(q.box)) continue;
            const auto crossing = SnapEngine::segmentIntersection(p.a, p.b, q.a, q.b);
            if (crossing) {
                choice.offer({.point = *crossing, .kind = SnapKind::intersection, .label = "Edge"});
            }
        }
    }
}

}  // namespace

void offerBodies(std::span<const Body> bodies, const SketchPlane& plane, double unitsPerPixel,
                 CandidateChoice& choice) {
    const double tolerance = std::max(kPlaneTolerancePixels * unitsPerPixel, kMinPlaneTolerance);
    std::vector<PlanarEdge> nearEdges;
    for (const Body& body : bodies) {
        if (!body.isVisible) continue;
        const auto planar = planarVertices(body.mesh, plane, tolerance, choice);
        if (planar.any) offerBodyEdges(body.mesh, planar, choice, nearEdges);
    }
    offerEdgeCrossings(nearEdges, choice);
}

}  // namespace brontile::SnapCandidates

namespace brontile::SnapEngine {

std::optional<Vec2> segmentIntersection(const Vec2& a1, const Vec2& a2, const Vec2& b1,
                                        const Vec2& b2) {
    const auto point = CurveIntersection::lineLine(a1, a2, b1, b2);
    if (!point) return std::nullopt;
    const auto onSegment = [&](const Vec2& a, const Vec2& b) {
        return point->distance(Vec2::closestPointOnSegment(*point, a, b)) <=
               SnapCandidates::crossingTolerance(a, b);
    };
    if (!onSegment(a1, a2) || !onSegment(b1, b2)) return std::nullopt;
    return point;
}

}  // namespace brontile::SnapEngine
