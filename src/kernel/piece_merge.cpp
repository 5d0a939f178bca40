#include "kernel/piece_merge.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace brontile::csg_detail {
namespace {

// Points this close (mm) to a segment's line lie on it. The cuts place every point they add on
// an edge by interpolating along it, so such points sit on the edge to within rounding.
constexpr double kOnSegment = 1e-9;

// Exact order on positions: pieces of one triangle share their cut points bit for bit.
struct PositionLess {
    bool operator()(const Vec3& p, const Vec3& q) const {
        if (p.x != q.x) return p.x < q.x;
        if (p.y != q.y) return p.y < q.y;
        return p.z < q.z;
    }
};

using Edge = std::pair<Vec3, Vec3>;

struct EdgeLess {
    bool operator()(const Edge& e, const Edge& f) const {
        PositionLess less;
        if (less(e.first, f.first)) return true;
        if (less(f.first, e.first)) return false;
        return less(e.second, f.second);
    }
};

// Whether p lies strictly inside segment a–b.
bool inside(const Vec3& a, const Vec3& b, const Vec3& p) {
    const Vec3 d = b - a;
    const double length2 = d.dot(d);
    const double t = (p - a).dot(d);
    if (!(t > 0 && t < length2)) return false;
    return (p - a).cross(d).length() <= kOnSegment * std::sqrt(length2);
}

// Whether b lies on the way from a to c.
bool straight(const Vec3& a, const Vec3& b, const Vec3& c) { return inside(a, c, b); }

using EdgeSet = std::multiset<Edge, EdgeLess>;
using Links = std::map<Vec3, Vec3, PositionLess>;

// The distinct corners of the pieces, sorted by PositionLess, with same[i] naming the corner
// that stands for points[i] (itself, or an earlier one within kOnSegment of it).
struct Corners {
    std::vector<Vec3> points;
    std::vector<std::size_t> same;

    // The corner standing for p, which must be one of the pieces' corners.
    const Vec3& canonical(const Vec3& p) const {
        const auto it = std::lower_bound(points.begin(), points.end(), p, PositionLess{});
        return points[same[static_cast<std::size_t>(it - points.begin())]];
    }
};

// The corners of every piece, kept or not, so that kept edges split where any cut ended.
Corners cornersOf(const PolygonSoup& soup, std::span<const SoupPolygon> pieces) {
    Corners corners;
    std::vector<Vec3>& points = corners.points;
    for (const SoupPolygon& p : pieces) {
        for (std::size_t i = 0; i < p.count; ++i) points.push_back(soup.vertex(p, i));
    }
    std::sort(points.begin(), points.end(), PositionLess{});
    points.erase(std::unique(points.begin(), points.end()), points.end());
    // Cuts that met at one point but were worked out along different edges may disagree in the
    // last bits: such points are one, named by the first of them.
    corners.same.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        corners.same[i] = i;
        for (std::size_t j = i; j-- > 0 && points[i].x - points[j].x <= kOnSegment;) {
            if (points[i].distance(points[j]) <= kOnSegment) corners.same[i] = corners.same[j];
        }
    }
    return corners;
}

// Inserts edge a–b into `edges` split at every canonical corner lying strictly inside it, in
// order from a. `on` is scratch space, reused across edges to spare allocations.
void insertSplitEdge(const Corners& corners, const Vec3& a, const Vec3& b, EdgeSet& edges,
                     std::vector<std::pair<double, Vec3>>& on) {
    const std::vector<Vec3>& points = corners.points;
    on.clear();
    // Corners are sorted by x: only those within the edge's span of x can lie on it.
    const auto first =
        std::lower_bound(points.begin(), points.end(), std::min(a.x, b.x) - kOnSegment,
                         [](const Vec3& corner, double x) { return corner.x < x; });
    const double last = std::max(a.x, b.x) + kOnSegment;
    for (auto it = first; it != points.end() && it->x <= last; ++it) {
        const auto c = static_cast<std::size_t>(it - points.begin());
        if (corners.same[c] == c && inside(a, b, *it)) on.emplace_back((*it - a).dot(b - a), *it);
    }
    std::sort(on.begin(), on.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    Vec3 from = a;
    for (const auto& [along, c] : on) {
        edges.insert({from, c});
        from = c;
    }
    edges.insert({from, b});
}

// Every kept edge split at the corners lying on it, so that neighbours cut apart further along
// still share their edges exactly; an edge meeting its reverse is inside the region.
EdgeSet keptEdges(const PolygonSoup& soup, std::span<const SoupPolygon> pieces,
                  const std::vector<bool>& kept, const Corners& corners) {
    EdgeSet edges;
    std::vector<std::pair<double, Vec3>> on;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        if (!kept[k]) continue;
        const SoupPolygon& p = pieces[k];
        for (std::size_t i = 0; i < p.count; ++i) {
            const Vec3& a = corners.canonical(soup.vertex(p, i));
            const Vec3& b = corners.canonical(soup.vertex(p, i + 1 == p.count ? 0 : i + 1));
            if (a == b) continue;
            insertSplitEdge(corners, a, b, edges, on);
        }
    }
    return edges;
}

// The region's boundary as a map from each edge's start to its end: the edges whose reverse is
// not among `edges`. Nothing when two boundary edges leave one point.
std::optional<Links> boundaryLinks(const EdgeSet& edges) {
    Links next;
    for (const Edge& e : edges) {
        const auto reverse = edges.find({e.second, e.first});
        if (reverse != edges.end()) continue;
        // Two boundary edges leaving one point: the outline touches itself.
        if (!next.emplace(e.first, e.second).second) return std::nullopt;
    }
    return next;
}

// Removes from `next` the loop through its first point and returns it; nothing when the walk
// ends without coming back to where it started. `next` must not be empty.
std::optional<std::vector<Vec3>> takeLoop(Links& next) {
    std::vector<Vec3> loop;
    Vec3 at = next.begin()->first;
    while (true) {
        const auto it = next.find(at);
        if (it == next.end()) break;
        loop.push_back(at);
        at = it->second;
        next.erase(it);
    }
    if (!(at == loop.front())) return std::nullopt;
    return loop;
}

// The points of `loop` where the outline turns, dropping those where it runs straight on.
std::vector<Vec3> turnsOf(const std::vector<Vec3>& loop) {
    std::vector<Vec3> turns;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Vec3& prev = loop[(i + loop.size() - 1) % loop.size()];
        const Vec3& following = loop[(i + 1) % loop.size()];
        if (!straight(prev, loop[i], following)) turns.push_back(loop[i]);
    }
    return turns;
}

// Twice the loop's vector area: along its normal, pointing as the loop winds.
Vec3 areaVector(const std::vector<Vec3>& loop) {
    Vec3 area;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        area = area + (loop[i] - loop[0]).cross(loop[(i + 1) % loop.size()] - loop[0]);
    }
    return area;
}

}  // namespace

std::optional<std::vector<std::vector<Vec3>>> mergedOutlines(const PolygonSoup& soup,
                                                             std::span<const SoupPolygon> pieces,
                                                             const std::vector<bool>& kept,
                                                             const Vec3& normal) {
    const Corners corners = cornersOf(soup, pieces);
    std::optional<Links> next = boundaryLinks(keptEdges(soup, pieces, kept, corners));
    if (!next) return std::nullopt;
    std::vector<std::vector<Vec3>> loops;
    while (!next->empty()) {
        const std::optional<std::vector<Vec3>> loop = takeLoop(*next);
        if (!loop) return std::nullopt;
        std::vector<Vec3> turns = turnsOf(*loop);
        if (turns.size() < 3) return std::nullopt;
        // A loop wound against the pieces bounds a hole.
        if (!(areaVector(turns).dot(normal) > 0)) return std::nullopt;
        loops.push_back(std::move(turns));
    }
    return loops;
}

}  // namespace brontile::csg_detail
