// Region finding on quantised end points: purely topological, it never intersects, splits or
// nests curves. Circles are regions by themselves and never join the segment graph.
#include "sketch/profile_finder.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/overloaded.hpp"
#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"

namespace brontile::ProfileFinder {
namespace {

constexpr double kGridPerMillimetre = 100000;
// 2^63. Every double below it is already an integer or rounds to one below it, so a rounded value
// under this bound always converts to std::int64_t.
constexpr double kQuantisedLimit = 0x1p63;

std::optional<std::int64_t> quantise(double coordinate) {
    const double scaled = std::round(coordinate * kGridPerMillimetre);
    // Written so that NaN fails too.
    if (!(std::abs(scaled) < kQuantisedLimit)) return std::nullopt;
    return static_cast<std::int64_t>(scaled);
}

bool quantisable(const std::vector<Vec2>& points) {
    return std::all_of(points.begin(), points.end(),
                       [](const Vec2& p) { return key(p).has_value(); });
}

struct EntityPass {
    std::vector<Profile> circles;
    std::vector<Segment> segments;
};

void addLine(const SketchEntity& entity, const SketchLine& line, EntityPass& pass) {
    if (line.start.distance(line.end) <= kLengthTolerance) return;
    if (!key(line.start) || !key(line.end)) return;
    pass.segments.push_back({line.start, line.end, entity.id});
}

void addCircle(const SketchEntity& entity, const SketchPlane& plane, EntityPass& pass) {
    std::vector<Vec2> points = entity.polyline();
    if (!quantisable(points)) return;
    points.pop_back();  // the repeated closing point
    if (Triangulator::signedArea(points) < 0) std::reverse(points.begin(), points.end());
    pass.circles.push_back({plane, std::move(points), {entity.id}, {}});
}

void addArc(const SketchEntity& entity, EntityPass& pass) {
    const std::vector<Vec2> points = entity.polyline();
    if (!quantisable(points)) return;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        pass.segments.push_back({points[k], points[k + 1], entity.id});
    }
}

EntityPass entityPass(const Sketch& sketch) {
    EntityPass pass;
    for (const SketchEntity& entity : sketch.entities) {
        if (entity.isConstruction) continue;
        std::visit(Overloaded{
                       [&](const SketchLine& line) { addLine(entity, line, pass); },
                       [&](const SketchCircle&) { addCircle(entity, sketch.plane, pass); },
                       [&](const SketchArc&) { addArc(entity, pass); },
                   },
                   entity.geometry);
    }
    return pass;
}

struct SegmentKeys {
    PointKey a;
    PointKey b;
};

// Segments with their quantised ends, and for each vertex the segments that end there (a segment
// with both ends in one cell is listed twice).
class SegmentGraph {
public:
    explicit SegmentGraph(std::span<const Segment> segments) : segments_(segments) {
        keys_.reserve(segments.size());
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const auto a = key(segments[i].a);
            const auto b = key(segments[i].b);
            keys_.push_back(a && b ? std::optional<SegmentKeys>{{*a, *b}} : std::nullopt);
            if (!keys_.back()) continue;
            vertices_[*a].push_back(i);
            vertices_[*b].push_back(i);
        }
    }

    [[nodiscard]] std::size_t size() const { return segments_.size(); }
    [[nodiscard]] const Segment& segment(std::size_t i) const { return segments_[i]; }
    [[nodiscard]] const std::optional<SegmentKeys>& keys(std::size_t i) const { return keys_[i]; }

    // The single segment through `vertex` that is not yet in the chain, when the vertex has
    // exactly two segment ends and exactly one of them is new.
    [[nodiscard]] std::optional<std::size_t> next(
        const PointKey& vertex, const std::unordered_set<std::size_t>& chain) const {
        const auto found = vertices_.find(vertex);
        if (found == vertices_.end() || found->second.size() != 2) return std::nullopt;
        std::optional<std::size_t> candidate;
        int remaining = 0;
        for (const std::size_t index : found->second) {
            if (chain.contains(index)) continue;
            candidate = index;
            ++remaining;
        }
        return remaining == 1 ? candidate : std::nullopt;
    }

private:
    std::span<const Segment> segments_;
    std::vector<std::optional<SegmentKeys>> keys_;
    std::unordered_map<PointKey, std::vector<std::size_t>> vertices_;
};

struct Walk {
    std::vector<Vec2> loop;
    std::set<SketchEntityID> ids;
    std::unordered_set<std::size_t> chain;
    bool closed = false;
};

Walk walkFrom(const SegmentGraph& graph, std::size_t first) {
    const Segment& start = graph.segment(first);
    const PointKey startKey = graph.keys(first)->a;
    PointKey current = graph.keys(first)->b;
    Walk walk{{start.a, start.b}, {start.entity}, {first}, false};
    // Every step adds a new segment to the chain, so this bound is never what ends a walk; it
    // only guarantees termination.
    for (std::size_t step = 0; step <= graph.size(); ++step) {
        if (current == startKey) {
            walk.loop.pop_back();
            walk.closed = true;
            break;
        }
        const std::optional<std::size_t> next = graph.next(current, walk.chain);
        if (!next) break;
        const Segment& segment = graph.segment(*next);
        const SegmentKeys& keys = *graph.keys(*next);
        const bool forward = keys.a == current;
        walk.loop.push_back(forward ? segment.b : segment.a);
        walk.ids.insert(segment.entity);
        walk.chain.insert(*next);
        current = forward ? keys.b : keys.a;
    }
    return walk;
}

std::optional<Profile> profileFromWalk(Walk walk, const SketchPlane& plane) {
    if (!walk.closed || walk.loop.size() < 3) return std::nullopt;
    const double signedArea = Triangulator::signedArea(walk.loop);
    if (signedArea < 0) std::reverse(walk.loop.begin(), walk.loop.end());
    if (std::abs(signedArea) <= kAreaTolerance) return std::nullopt;
    return Profile{plane, std::move(walk.loop), std::move(walk.ids), {}};
}

}  // namespace

std::optional<PointKey> key(const Vec2& p) {
    const auto x = quantise(p.x);
    const auto y = quantise(p.y);
    if (!x || !y) return std::nullopt;
    return PointKey{*x, *y};
}

std::vector<Profile> profiles(const Sketch& sketch) {
    EntityPass pass = entityPass(sketch);
    std::vector<Profile> result = std::move(pass.circles);
    for (Profile& loop : traceLoops(pass.segments, sketch.plane)) result.push_back(std::move(loop));
    for (Profile& profile : result) profile.sketchID = sketch.id;
    return result;
}

std::vector<Profile> traceLoops(std::span<const Segment> segments, const SketchPlane& plane) {
    const SegmentGraph graph(segments);
    std::vector<bool> used(segments.size(), false);
    std::vector<Profile> result;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (used[i] || !graph.keys(i)) continue;
        Walk walk = walkFrom(graph, i);
        // Open and branching chains use up their segments as well, so no segment starts a
        // second walk.
        for (const std::size_t index : walk.chain) used[index] = true;
        if (auto profile = profileFromWalk(std::move(walk), plane)) {
            result.push_back(std::move(*profile));
        }
    }
    return result;
}

std::optional<std::size_t> smallestContaining(std::span<const Profile> candidates,
                                              const Vec2& point) {
    std::optional<std::size_t> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!candidates[i].contains(point)) continue;
        const double area = candidates[i].area();
        // Strictly smaller only, so the first of equal regions keeps the pick.
        if (!best || area < bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

std::optional<Profile> profileAt(const Sketch& sketch, const Ray& ray) {
    const auto hit = ray.intersectPlane(sketch.plane.origin, sketch.plane.normal());
    if (!hit) return std::nullopt;
    std::vector<Profile> found = profiles(sketch);
    const auto index = smallestContaining(found, sketch.plane.toLocal(hit->point));
    if (!index) return std::nullopt;
    return std::move(found[*index]);
}

}  // namespace brontile::ProfileFinder
