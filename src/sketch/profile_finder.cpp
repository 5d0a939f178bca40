// The regions of a sketch, from the arrangement of its curves, and the region under the pointer.
#include "sketch/profile_finder.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"
#include "sketch/sketch_arrangement.hpp"

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

using Arrangement::Segment;

void addPolyline(const SketchEntity& entity, std::vector<Segment>& segments) {
    const std::vector<Vec2> points = entity.polyline();
    if (!quantisable(points)) return;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        segments.push_back({points[k], points[k + 1], entity.id});
    }
}

// Every non-construction curve as straight pieces: a line whole, an arc in 24 and a circle in
// 64, however often they are cut later.
std::vector<Segment> segmentsOf(const Sketch& sketch) {
    std::vector<Segment> segments;
    for (const SketchEntity& entity : sketch.entities) {
        if (entity.isConstruction) continue;
        if (const auto* line = std::get_if<SketchLine>(&entity.geometry)) {
            if (line->start.distance(line->end) <= kLengthTolerance) continue;
            if (!key(line->start) || !key(line->end)) continue;
            segments.push_back({line->start, line->end, entity.id});
        } else {
            addPolyline(entity, segments);
        }
    }
    return segments;
}

}  // namespace

std::optional<PointKey> key(const Vec2& p) {
    const auto x = quantise(p.x);
    const auto y = quantise(p.y);
    if (!x || !y) return std::nullopt;
    return PointKey{*x, *y};
}

std::vector<Profile> profiles(const Sketch& sketch) {
    std::vector<Profile> result = Arrangement::regions(segmentsOf(sketch), sketch.plane);
    for (Profile& profile : result) profile.sketchID = sketch.id;
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
