#include "kernel/solid_combine.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <span>

#include "kernel/boolean_tolerances.hpp"
#include "kernel/bsp_tree.hpp"
#include "kernel/piece_merge.hpp"
#include "kernel/triangle_tree.hpp"

namespace brontile::csg_detail {
namespace {

// How far around a triangle the other surface must stay for the triangle to be left uncut: well
// beyond the on-plane tolerance, within which the cuts treat faces as touching.
constexpr double kBandMargin = 10 * kOnPlaneTolerance;

// What one operand keeps of itself.
struct KeepRule {
    // Pieces inside the other solid, or those outside it.
    bool inside = false;
    // Which point judges a piece: +1 the one in front of it, -1 the one behind it, 0 both, which
    // must then agree (a piece lying on a face of the other solid is dropped).
    int probe = 0;
    // Kept pieces are turned inside out (what the second operand leaves in a subtraction).
    bool flip = false;
};

// The rules that give each operation the result its BSP form gives: the first operand wins
// where coincident faces face the same way.
KeepRule firstRule(BooleanOp op) {
    switch (op) {
        case BooleanOp::unite: return {false, +1, false};
        case BooleanOp::subtract: return {false, -1, false};
        case BooleanOp::intersect: return {true, -1, false};
    }
    return {};
}

KeepRule secondRule(BooleanOp op) {
    switch (op) {
        case BooleanOp::unite: return {false, 0, false};
        case BooleanOp::subtract: return {true, 0, true};
        case BooleanOp::intersect: return {true, 0, false};
    }
    return {};
}

TriangleTree treeOf(const PolygonSoup& soup, const PooledSolid& solid) {
    std::vector<SurfaceTriangle> triangles;
    triangles.reserve(solid.triangles.size());
    for (const SoupPolygon& p : solid.triangles) {
        const Vec3& a = soup.vertex(p, 0);
        const Vec3& b = soup.vertex(p, 1);
        const Vec3& c = soup.vertex(p, 2);
        triangles.push_back({a, b, c, (b - a).cross(c - a).normalized()});
    }
    return TriangleTree(std::move(triangles));
}

AABB boxOf(const PolygonSoup& soup, const SoupPolygon& p) {
    AABB box(soup.vertex(p, 0), soup.vertex(p, 0));
    for (std::size_t i = 1; i < p.count; ++i) box.extend(soup.vertex(p, i));
    return box;
}

// Which triangles of `solid` come near the other operand's surface.
std::vector<bool> bandOf(const PolygonSoup& soup, const PooledSolid& solid,
                         const TriangleTree& other, WorkPacer& pacer) {
    std::vector<bool> band(solid.triangles.size(), false);
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        pacer.step();
        AABB box = boxOf(soup, solid.triangles[i]);
        const double scale =
            std::max({std::abs(box.min.x), std::abs(box.min.y), std::abs(box.min.z),
                      std::abs(box.max.x), std::abs(box.max.y), std::abs(box.max.z)});
        band[i] = other.touches(grown(box, kBandMargin + 1e-12 * scale));
    }
    return band;
}

Vec3 centroid(const PolygonSoup& soup, const SoupPolygon& p) {
    Vec3 sum;
    for (std::size_t i = 0; i < p.count; ++i) sum = sum + soup.vertex(p, i);
    return sum / static_cast<double>(p.count);
}

bool keeps(const PolygonSoup& soup, const SoupPolygon& piece, const TriangleTree& other,
           const KeepRule& rule, std::vector<Vec3>& points) {
    points.clear();
    for (std::size_t i = 0; i < piece.count; ++i) points.push_back(soup.vertex(piece, i));
    const Vec3 center = centroid(soup, piece);
    // On a face of the other solid the side decides: just in front of a face that faces the
    // same way lies outside it, just behind lies inside. Off its faces, both points lie where the
    // piece does.
    const std::optional<bool> sameFacing = other.coplanarFacing(points, center, piece.plane.normal);
    if (!sameFacing) return other.contains(center) == rule.inside;
    const auto insideAt = [&](int side) { return side > 0 ? !*sameFacing : *sameFacing; };
    if (rule.probe != 0) return insideAt(rule.probe) == rule.inside;
    return insideAt(+1) == rule.inside && insideAt(-1) == rule.inside;
}

std::vector<SoupPolygon> bandTriangles(const PooledSolid& solid, const std::vector<bool>& band) {
    std::vector<SoupPolygon> result;
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        if (band[i]) result.push_back(solid.triangles[i]);
    }
    return result;
}

// Groups of triangles outside the band that share vertices; each is one piece of surface the
// other operand never comes near.
std::vector<std::uint32_t> pieceOf(const PooledSolid& solid, const std::vector<bool>& band) {
    std::uint32_t vertexCount = 0;
    for (const auto& corners : solid.corners) {
        for (const std::uint32_t v : corners) vertexCount = std::max(vertexCount, v + 1);
    }
    std::vector<std::uint32_t> parent(vertexCount);
    std::iota(parent.begin(), parent.end(), 0U);
    const auto find = [&](std::uint32_t v) {
        while (parent[v] != v) {
            parent[v] = parent[parent[v]];
            v = parent[v];
        }
        return v;
    };
    for (std::size_t i = 0; i < solid.corners.size(); ++i) {
        if (band[i]) continue;
        const auto& [a, b, c] = solid.corners[i];
        parent[find(b)] = find(a);
        parent[find(c)] = find(a);
    }
    std::vector<std::uint32_t> piece(solid.corners.size());
    for (std::size_t i = 0; i < solid.corners.size(); ++i) piece[i] = find(solid.corners[i][0]);
    return piece;
}

// What a band triangle keeps of itself: its pieces judged one by one, and joined up again
// where they can be.
class BandKeeper {
public:
    BandKeeper(PolygonSoup& soup, const TriangleTree& other, const KeepRule& rule)
        : soup_(soup), other_(other), rule_(rule) {}

    template <class Add>
    void keep(const SoupPolygon& triangle, std::span<const SoupPolygon> pieces, Add add) {
        kept_.clear();
        for (const SoupPolygon& p : pieces)
            kept_.push_back(keeps(soup_, p, other_, rule_, points_));
        const auto count = std::count(kept_.begin(), kept_.end(), true);
        // Kept whole, the triangle is not shredded where it need not be; its neighbours' cuts are
        // threaded into its edges later.
        if (count == static_cast<std::ptrdiff_t>(kept_.size())) return add(triangle);
        if (count > 1) {
            if (const auto outlines = mergedOutlines(soup_, pieces, kept_, triangle.plane.normal)) {
                for (const std::vector<Vec3>& outline : *outlines) {
                    add(soup_.add(outline, triangle.plane));
                }
                return;
            }
        }
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (kept_[i]) add(pieces[i]);
        }
    }

private:
    PolygonSoup& soup_;
    const TriangleTree& other_;
    KeepRule rule_;
    std::vector<bool> kept_;
    std::vector<Vec3> points_;
};

// Appends what `solid` keeps of itself: its pieces away from the band whole or not at all, and
// its band triangles cut where the other surface comes near, piece by piece.
void keepOf(PolygonSoup& soup, const PooledSolid& solid, const std::vector<bool>& band,
            const BspTree& cutter, const TriangleTree& other, const KeepRule& rule,
            WorkPacer& pacer, std::vector<SoupPolygon>& result) {
    const auto add = [&](const SoupPolygon& p) { result.push_back(rule.flip ? p.flipped() : p); };
    const std::vector<std::uint32_t> piece = pieceOf(solid, band);
    // Each piece's verdict, decided by its first triangle: 0 undecided, 1 kept, 2 dropped.
    std::vector<std::uint8_t> verdict(
        piece.empty() ? 0 : *std::max_element(piece.begin(), piece.end()) + 1);
    const BspTree::Cut cut = cutter.cutPolygons(soup, bandTriangles(solid, band), &pacer);
    BandKeeper bandKeeper(soup, other, rule);
    std::size_t next = 0;
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        pacer.step();
        const SoupPolygon& triangle = solid.triangles[i];
        if (band[i]) {
            const auto first = cut.pieces.begin() + cut.start[next];
            const auto last = cut.pieces.begin() + cut.start[next + 1];
            ++next;
            bandKeeper.keep(triangle, std::span(first, last), add);
            continue;
        }
        std::uint8_t& v = verdict[piece[i]];
        if (v == 0) v = other.contains(centroid(soup, triangle)) == rule.inside ? 1 : 2;
        if (v == 1) add(triangle);
    }
}

}  // namespace

std::vector<SoupPolygon> combineSolids(PolygonSoup& soup, const PooledSolid& a,
                                       const PooledSolid& b, BooleanOp op, WorkPacer& pacer) {
    const TriangleTree surfaceA = treeOf(soup, a);
    pacer.check();
    const TriangleTree surfaceB = treeOf(soup, b);
    pacer.check();
    const std::vector<bool> bandA = bandOf(soup, a, surfaceB, pacer);
    const std::vector<bool> bandB = bandOf(soup, b, surfaceA, pacer);
    BspTree cutterA;
    BspTree cutterB;
    cutterA.build(soup, bandTriangles(a, bandA), &pacer);
    cutterB.build(soup, bandTriangles(b, bandB), &pacer);
    std::vector<SoupPolygon> result;
    keepOf(soup, a, bandA, cutterB, surfaceB, firstRule(op), pacer, result);
    keepOf(soup, b, bandB, cutterA, surfaceA, secondRule(op), pacer, result);
    return result;
}

}  // namespace brontile::csg_detail
