#include "geometry/triangulator.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <utility>

#include "base/tolerances.hpp"

namespace brontile::Triangulator {
namespace {

// No index other than the three corners may lie in (or on) the candidate ear.
bool isEar(const std::vector<std::size_t>& loop, std::size_t position,
           std::span<const Vec2> points) {
    const std::size_t count = loop.size();
    const std::size_t prev = loop[(position + count - 1) % count];
    const std::size_t cur = loop[position];
    const std::size_t next = loop[(position + 1) % count];
    const Vec2 a = points[prev];
    const Vec2 b = points[cur];
    const Vec2 c = points[next];
    if (!((b - a).cross(c - b) > kCrossProductTolerance)) return false;
    return std::none_of(loop.begin(), loop.end(), [&](std::size_t other) {
        return other != prev && other != cur && other != next &&
               pointInTriangle(points[other], a, b, c);
    });
}

// The region's points (outer loop, then every hole, as given) and its loops as positions into
// them, repeats dropped: the outer loop counter-clockwise, the holes clockwise, so that the
// region always lies to the left of a loop.
struct Region {
    struct Hole {
        std::vector<std::size_t> loop;
        // Where in the loop its rightmost point is (the lowest of several), and that point's x.
        std::size_t rightmost = 0;
        double right = 0;
    };

    std::vector<Vec2> points;
    std::vector<std::size_t> outer;
    std::vector<Hole> holes;
};

// The loop's distinct positions, offset to where it starts in the region's points, wound as
// `counterClockwise` says; empty when they enclose no area.
std::vector<std::size_t> regionLoop(std::span<const Vec2> loop, std::size_t offset,
                                    bool counterClockwise) {
    std::vector<std::size_t> kept = distinctLoop(loop);
    std::vector<Vec2> points;
    for (std::size_t& position : kept) {
        points.push_back(loop[position]);
        position += offset;
    }
    const double area = signedArea(points);
    if (!(std::abs(area) > kAreaTolerance)) return {};
    if ((area > 0) != counterClockwise) std::ranges::reverse(kept);
    return kept;
}

// Holes come rightmost first: with nothing still to join to the right of a hole's rightmost
// vertex, some vertex of the ring joined so far is always in sight of it.
Region regionOf(std::span<const Vec2> outer, std::span<const std::vector<Vec2>> holes) {
    Region region{{outer.begin(), outer.end()}, regionLoop(outer, 0, true), {}};
    for (const std::vector<Vec2>& hole : holes) {
        std::vector<std::size_t> loop = regionLoop(hole, region.points.size(), false);
        region.points.insert(region.points.end(), hole.begin(), hole.end());
        if (loop.empty()) continue;
        std::size_t m = 0;
        for (std::size_t i = 1; i < loop.size(); ++i) {
            const Vec2& p = region.points[loop[i]];
            const Vec2& best = region.points[loop[m]];
            if (p.x > best.x || (p.x == best.x && p.y < best.y)) m = i;
        }
        const double right = region.points[loop[m]].x;
        region.holes.push_back({std::move(loop), m, right});
    }
    std::ranges::stable_sort(region.holes, std::greater<>{}, &Region::Hole::right);
    return region;
}

// A circular doubly linked list of positions into the region's points: the outer loop with each
// hole spliced in, then worn down ear by ear.
struct Ring {
    std::vector<std::size_t> position;
    std::vector<std::size_t> prev;
    std::vector<std::size_t> next;

    std::size_t add(std::size_t at) {
        position.push_back(at);
        prev.push_back(position.size() - 1);
        next.push_back(position.size() - 1);
        return position.size() - 1;
    }
    void link(std::size_t from, std::size_t to) {
        next[from] = to;
        prev[to] = from;
    }
};

int side(double cross) {
    if (cross > kCrossProductTolerance) return 1;
    return cross < -kCrossProductTolerance ? -1 : 0;
}

int side(const Vec2& a, const Vec2& b, const Vec2& p) { return side((b - a).cross(p - a)); }

// Whether the direction d leaves the corner b (reached from a, left towards c) strictly into the
// region, which lies to the left of the loop.
bool intoCorner(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d) {
    const bool leftOfIncoming = (b - a).cross(d) > kCrossProductTolerance;
    const bool leftOfOutgoing = (c - b).cross(d) > kCrossProductTolerance;
    return (b - a).cross(c - b) >= 0 ? leftOfIncoming && leftOfOutgoing
                                     : leftOfIncoming || leftOfOutgoing;
}

// Whether the bridge m–p touches the edge u–v. An edge ending where the bridge ends only blocks
// it by running along it; any other touch blocks it, so a bridge never grazes a vertex.
bool blocks(const Vec2& m, const Vec2& p, const Vec2& u, const Vec2& v) {
    if (std::max(u.x, v.x) < std::min(m.x, p.x) || std::min(u.x, v.x) > std::max(m.x, p.x) ||
        std::max(u.y, v.y) < std::min(m.y, p.y) || std::min(u.y, v.y) > std::max(m.y, p.y)) {
        return false;
    }
    for (const auto& [end, far] : {std::pair{m, p}, std::pair{p, m}}) {
        if (u == end || v == end) {
            const Vec2 other = u == end ? v : u;
            return side(m, p, other) == 0 && (other - end).dot(far - end) > 0;
        }
    }
    const int su = side(m, p, u), sv = side(m, p, v);
    const int sm = side(u, v, m), sp = side(u, v, p);
    if (su * sv > 0 || sm * sp > 0) return false;
    if (su != 0 || sv != 0 || sm != 0 || sp != 0) return true;
    // All four on one line: they meet where their extents along the bridge overlap.
    const Vec2 along = p - m;
    const double tu = (u - m).dot(along), tv = (v - m).dot(along);
    return std::max(std::min(tu, tv), 0.0) <= std::min(std::max(tu, tv), along.lengthSquared());
}

// Joins each hole of the region to the ring through a bridge from its rightmost vertex to the
// nearest ring vertex in sight: a bridge entering that vertex's corner and touching no edge of
// the ring or of a hole still to join. The ring then runs out along the bridge, round the hole
// and back, visiting both of the bridge's ends twice.
class HoleJoiner {
public:
    HoleJoiner(const Region& region, Ring& ring) : region_(region), ring_(ring) {}

    void join(std::size_t hole) {
        const std::vector<std::size_t>& loop = region_.holes[hole].loop;
        const std::size_t m = region_.holes[hole].rightmost;
        const std::size_t end = bridgeEnd(hole);
        const std::size_t after = ring_.next[end];
        std::size_t last = end;
        for (std::size_t k = 0; k <= loop.size(); ++k) {
            const std::size_t node = ring_.add(loop[(m + k) % loop.size()]);
            ring_.link(last, node);
            last = node;
        }
        const std::size_t back = ring_.add(ring_.position[end]);
        ring_.link(last, back);
        ring_.link(back, after);
    }

private:
    const Vec2& point(std::size_t position) const { return region_.points[position]; }
    const Vec2& rightmostPoint(std::size_t hole) const {
        return point(region_.holes[hole].loop[region_.holes[hole].rightmost]);
    }

    // The ring node the hole's rightmost vertex is bridged to. Should none be in sight (input
    // that breaks the contract), the nearest node serves. The nearest few nodes are nearly always
    // the ones tried, so they come off a heap rather than out of a sorted list.
    std::size_t bridgeEnd(std::size_t hole) const {
        const Vec2& from = rightmostPoint(hole);
        std::vector<std::pair<double, std::size_t>> candidates;
        for (std::size_t node = 0; node < ring_.position.size(); ++node) {
            candidates.emplace_back(point(ring_.position[node]).distance(from), node);
        }
        const std::size_t nearest = std::ranges::min(candidates).second;
        std::ranges::make_heap(candidates, std::greater<>{});
        while (!candidates.empty()) {
            std::ranges::pop_heap(candidates, std::greater<>{});
            if (inSight(hole, candidates.back().second)) return candidates.back().second;
            candidates.pop_back();
        }
        return nearest;
    }

    // A bridge leaving its hole inwards meets one of the hole's edges, so only the ring's end
    // needs its corner checked: that is what tells apart the copies a bridge leaves of a node.
    bool inSight(std::size_t hole, std::size_t node) const {
        const Vec2& from = rightmostPoint(hole);
        const Vec2& to = point(ring_.position[node]);
        if (!intoCorner(point(ring_.position[ring_.prev[node]]), to,
                        point(ring_.position[ring_.next[node]]), from - to)) {
            return false;
        }
        for (std::size_t n = 0; n < ring_.position.size(); ++n) {
            if (blocks(from, to, point(ring_.position[n]), point(ring_.position[ring_.next[n]]))) {
                return false;
            }
        }
        // Holes come in order of their rightmost x: once one lies wholly left of the bridge, so
        // do all that follow.
        for (std::size_t h = hole;
             h < region_.holes.size() && region_.holes[h].right >= std::min(from.x, to.x); ++h) {
            const std::vector<std::size_t>& other = region_.holes[h].loop;
            for (std::size_t i = 0; i < other.size(); ++i) {
                if (blocks(from, to, point(other[i]), point(other[(i + 1) % other.size()]))) {
                    return false;
                }
            }
        }
        return true;
    }

    const Region& region_;
    Ring& ring_;
};

// The ring's nodes bucketed on a grid of about one square cell per node, so that an ear's test
// looks only at the points near it.
class NodeGrid {
public:
    struct Entry {
        Vec2 point;
        std::size_t node;
    };

    NodeGrid(std::span<const Vec2> points, const Ring& ring) {
        const std::size_t count = ring.position.size();
        lo_ = points[ring.position[0]];
        Vec2 hi = lo_;
        for (const std::size_t position : ring.position) {
            lo_ = {std::min(lo_.x, points[position].x), std::min(lo_.y, points[position].y)};
            hi = {std::max(hi.x, points[position].x), std::max(hi.y, points[position].y)};
        }
        const Vec2 size = hi - lo_;
        const auto n = static_cast<double>(count);
        // No side of the grid gets more cells than there are nodes, however thin the region.
        cell_ = std::max(std::sqrt(size.x * size.y / n), std::max(size.x, size.y) / n);
        if (!(cell_ > 0) || !std::isfinite(cell_)) cell_ = 1;
        columns_ = cellAlong(size.x, count) + 1;
        rows_ = cellAlong(size.y, count) + 1;
        starts_.assign(columns_ * rows_ + 1, 0);
        for (const std::size_t position : ring.position) ++starts_[cellOf(points[position]) + 1];
        std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
        std::vector<std::size_t> fill(starts_.begin(), starts_.end() - 1);
        entries_.resize(count);
        for (std::size_t node = 0; node < count; ++node) {
            const Vec2& p = points[ring.position[node]];
            entries_[fill[cellOf(p)]++] = {p, node};
        }
    }

    // Whether `test` holds for an entry of a cell that meets the box min..max; stops at the first.
    template <class Test>
    bool any(const Vec2& min, const Vec2& max, Test&& test) const {
        const std::size_t lastRow = cellAlong(max.y - lo_.y, rows_ - 1);
        const std::size_t lastColumn = cellAlong(max.x - lo_.x, columns_ - 1);
        for (std::size_t row = cellAlong(min.y - lo_.y, rows_ - 1); row <= lastRow; ++row) {
            const std::size_t first = row * columns_;
            for (std::size_t cell = first + cellAlong(min.x - lo_.x, columns_ - 1);
                 cell <= first + lastColumn; ++cell) {
                for (std::size_t i = starts_[cell]; i < starts_[cell + 1]; ++i) {
                    if (test(entries_[i])) return true;
                }
            }
        }
        return false;
    }

private:
    // The cell `offset` from the grid's low corner falls in, at most `last`.
    std::size_t cellAlong(double offset, std::size_t last) const {
        const double cell = offset / cell_;
        if (!(cell > 0)) return 0;
        return cell < static_cast<double>(last) ? static_cast<std::size_t>(cell) : last;
    }
    std::size_t cellOf(const Vec2& p) const {
        return cellAlong(p.y - lo_.y, rows_ - 1) * columns_ + cellAlong(p.x - lo_.x, columns_ - 1);
    }

    Vec2 lo_;
    double cell_ = 1;
    std::size_t columns_ = 1;
    std::size_t rows_ = 1;
    // Entries cell by cell, row by row; cell k's run from starts_[k] to starts_[k + 1].
    std::vector<std::size_t> starts_;
    std::vector<Entry> entries_;
};

// Clips ears off the joined ring until one triangle is left. An ear's test ignores points equal
// to its corners: a bridge visits both of its ends twice.
class EarClipper {
public:
    EarClipper(std::span<const Vec2> points, Ring& ring)
        : points_(points), ring_(ring), alive_(ring.position.size(), 1), grid_(points, ring) {}

    std::vector<Triple> clip() {
        std::size_t remaining = ring_.position.size();
        std::vector<Triple> triangles;
        triangles.reserve(remaining - 2);
        std::size_t node = 0;
        std::size_t misses = 0;
        while (remaining > 3) {
            if (misses < remaining && !isEar(node)) {
                node = ring_.next[node];
                ++misses;
                continue;
            }
            // A whole round without an ear only happens to numerically flat input; the most
            // convex corner goes, so the loop still shrinks.
            if (misses >= remaining) node = mostConvex(node);
            triangles.push_back(corners(node));
            alive_[node] = false;
            ring_.link(ring_.prev[node], ring_.next[node]);
            node = ring_.next[node];
            --remaining;
            misses = 0;
        }
        triangles.push_back(corners(node));
        return triangles;
    }

private:
    const Vec2& point(std::size_t node) const { return points_[ring_.position[node]]; }

    Triple corners(std::size_t node) const {
        return {ring_.position[ring_.prev[node]], ring_.position[node],
                ring_.position[ring_.next[node]]};
    }

    double turn(std::size_t node) const {
        const Vec2& b = point(node);
        return (b - point(ring_.prev[node])).cross(point(ring_.next[node]) - b);
    }

    bool isEar(std::size_t node) const {
        if (!(turn(node) > kCrossProductTolerance)) return false;
        const Vec2& a = point(ring_.prev[node]);
        const Vec2& b = point(node);
        const Vec2& c = point(ring_.next[node]);
        const auto [minX, maxX] = std::minmax({a.x, b.x, c.x});
        const auto [minY, maxY] = std::minmax({a.y, b.y, c.y});
        return !grid_.any({minX, minY}, {maxX, maxY}, [&](const NodeGrid::Entry& e) {
            const Vec2& p = e.point;
            return alive_[e.node] && p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY &&
                   p != a && p != b && p != c && pointInTriangle(p, a, b, c);
        });
    }

    std::size_t mostConvex(std::size_t start) const {
        std::size_t best = start;
        for (std::size_t node = ring_.next[start]; node != start; node = ring_.next[node]) {
            if (turn(node) > turn(best)) best = node;
        }
        return best;
    }

    std::span<const Vec2> points_;
    Ring& ring_;
    std::vector<char> alive_;
    NodeGrid grid_;
};

}  // namespace

double signedArea(std::span<const Vec2> points) {
    if (points.size() < 3) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec2& p = points[i];
        const Vec2& q = points[(i + 1) % points.size()];
        sum += p.x * q.y - q.x * p.y;
    }
    return sum / 2;
}

bool contains(std::span<const Vec2> polygon, const Vec2& point) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Vec2& pi = polygon[i];
        const Vec2& pj = polygon[j];
        if ((pi.y > point.y) != (pj.y > point.y) &&
            pi.x + (point.y - pi.y) * (pj.x - pi.x) / (pj.y - pi.y) > point.x) {
            inside = !inside;
        }
    }
    return inside;
}

bool pointInTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c) {
    const double d1 = (b - a).cross(p - a);
    const double d2 = (c - b).cross(p - b);
    const double d3 = (a - c).cross(p - c);
    const bool hasNegative = d1 < -kCrossProductTolerance || d2 < -kCrossProductTolerance ||
                             d3 < -kCrossProductTolerance;
    const bool hasPositive =
        d1 > kCrossProductTolerance || d2 > kCrossProductTolerance || d3 > kCrossProductTolerance;
    return !(hasNegative && hasPositive);
}

std::vector<std::size_t> distinctLoop(std::span<const Vec2> points) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (kept.empty() || !(points[i].distance(points[kept.back()]) < kLengthTolerance)) {
            kept.push_back(i);
        }
    }
    if (kept.size() < 2) return {};
    if (points[kept.front()].distance(points[kept.back()]) < kLengthTolerance) {
        kept.pop_back();
    }
    if (kept.size() < 3) return {};
    return kept;
}

std::vector<Triple> triangulate(std::span<const Vec2> points) {
    std::vector<std::size_t> loop = distinctLoop(points);
    if (loop.empty()) return {};

    std::vector<Vec2> kept;
    kept.reserve(loop.size());
    for (std::size_t index : loop) kept.push_back(points[index]);
    if (signedArea(kept) < 0) std::reverse(loop.begin(), loop.end());

    std::vector<Triple> triangles;
    triangles.reserve(loop.size() - 2);
    const std::size_t m = loop.size();
    // Every round removes one index, so this bound is only a guard.
    const std::size_t maxRounds = m * m + 16;
    for (std::size_t round = 0; loop.size() > 3 && round < maxRounds; ++round) {
        const std::size_t count = loop.size();
        std::size_t position = 0;
        while (position < count && !isEar(loop, position, points)) ++position;
        if (position < count) {
            triangles.push_back({loop[(position + count - 1) % count], loop[position],
                                 loop[(position + 1) % count]});
        } else {
            triangles.push_back({loop.back(), loop[0], loop[1]});
            position = 0;
        }
        loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(position));
    }
    if (loop.size() == 3) triangles.push_back({loop[0], loop[1], loop[2]});
    return triangles;
}

std::vector<Triple> triangulateWithHoles(std::span<const Vec2> outer,
                                         std::span<const std::vector<Vec2>> holes) {
    const Region region = regionOf(outer, holes);
    if (region.outer.empty()) return {};
    Ring ring;
    for (const std::size_t position : region.outer) {
        const std::size_t node = ring.add(position);
        if (node > 0) ring.link(node - 1, node);
    }
    ring.link(ring.position.size() - 1, 0);
    HoleJoiner joiner(region, ring);
    for (std::size_t hole = 0; hole < region.holes.size(); ++hole) joiner.join(hole);
    return EarClipper(region.points, ring).clip();
}

}  // namespace brontile::Triangulator
