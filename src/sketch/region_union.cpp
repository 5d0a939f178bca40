#include "sketch/region_union.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"

namespace brontile {
namespace {

using Point = std::pair<double, double>;

Point key(const Vec2& p) { return {p.x, p.y}; }

// The directed boundary edges of the regions with the region on their left (outer loops run
// counter-clockwise, holes clockwise); an edge met both ways lies between two of them and goes.
std::multimap<Point, Vec2> boundaryEdges(std::span<const Profile> regions) {
    std::multimap<Point, Vec2> edges;
    const auto add = [&](const std::vector<Vec2>& loop) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const Vec2& a = loop[i];
            const Vec2& b = loop[(i + 1) % loop.size()];
            // The same edge the other way round cancels this one.
            const auto [first, last] = edges.equal_range(key(b));
            const auto twin =
                std::find_if(first, last, [&](const auto& edge) { return edge.second == a; });
            if (twin != last) {
                edges.erase(twin);
            } else {
                edges.emplace(key(a), b);
            }
        }
    };
    for (const Profile& region : regions) {
        add(region.loop);
        for (const auto& hole : region.holes) add(hole);
    }
    return edges;
}

// Direction angle, growing counter-clockwise.
double angleOf(const Vec2& d) { return std::atan2(d.y, d.x); }

// Walks the remaining edges into loops, keeping the united region on the left: where several
// edges leave a point, the walk takes the first clockwise from the way it came.
std::vector<std::vector<Vec2>> chainLoops(std::multimap<Point, Vec2> edges) {
    std::vector<std::vector<Vec2>> loops;
    // Every step uses up an edge, so no walk is longer than this.
    const std::size_t most = edges.size();
    while (!edges.empty()) {
        std::vector<Vec2> loop;
        auto current = edges.begin();
        const Vec2 start{current->first.first, current->first.second};
        Vec2 from = start;
        for (std::size_t steps = 0; current != edges.end() && steps <= most; ++steps) {
            const Vec2 to = current->second;
            loop.push_back(from);
            edges.erase(current);
            if (to == start) break;
            const auto [first, last] = edges.equal_range(key(to));
            if (first == last) break;
            const double back = angleOf(from - to);
            current = first;
            double best = 10;
            for (auto it = first; it != last; ++it) {
                // How far clockwise from the way back this edge turns, in (0, 2π].
                double turn = back - angleOf(it->second - to);
                while (turn <= 0) turn += 2 * std::numbers::pi;
                if (turn < best) {
                    best = turn;
                    current = it;
                }
            }
            from = to;
        }
        if (loop.size() >= 3) loops.push_back(std::move(loop));
    }
    return loops;
}

}  // namespace

std::vector<Profile> unitedRegions(std::span<const Profile> regions) {
    if (regions.size() <= 1) return {regions.begin(), regions.end()};
    std::set<SketchEntityID> entities;
    for (const Profile& region : regions) {
        entities.insert(region.entityIDs.begin(), region.entityIDs.end());
    }
    std::vector<Profile> result;
    std::vector<std::vector<Vec2>> holes;
    for (auto& loop : chainLoops(boundaryEdges(regions))) {
        const double area = Triangulator::signedArea(loop);
        if (area > kAreaTolerance) {
            result.push_back(
                {regions.front().plane, std::move(loop), entities, regions.front().sketchID});
        } else if (area < -kAreaTolerance) {
            holes.push_back(std::move(loop));
        }
    }
    // Each hole belongs to the smallest outline around it.
    for (auto& hole : holes) {
        Profile* around = nullptr;
        for (Profile& region : result) {
            if (!Triangulator::contains(region.loop, hole.front())) continue;
            if (around == nullptr ||
                Triangulator::signedArea(region.loop) < Triangulator::signedArea(around->loop)) {
                around = &region;
            }
        }
        if (around != nullptr) around->holes.push_back(std::move(hole));
    }
    return result;
}

}  // namespace brontile
