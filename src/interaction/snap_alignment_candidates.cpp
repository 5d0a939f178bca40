// Snapping by alignment with the start of the segment being drawn: perpendicular or parallel to
// sketch lines, horizontal or vertical (the free coordinate rounded to the grid), and polar
// steps; and the grid itself when nothing else is taken.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <variant>
#include <vector>

#include "base/tolerances.hpp"
#include "interaction/snap_candidates.hpp"

namespace brontile::SnapCandidates {
namespace {

// Alignment needs the cursor this far from the segment's start to have a direction at all.
constexpr double kMinLockPixels = 2;
// Half-width of the band around the segment start's axes that still aligns; also the shortest run
// for parallel.
constexpr double kAxisBandPixels = 12;
constexpr double kWideLimitPixels = 40;
constexpr double kAlignAngle = std::numbers::pi / 24;  // 7.5°
constexpr double kPerpendicularOvershoot = 0.15;
constexpr double kGuideHalfLength = 280;
// Polar directions closer than this to an axis are left to horizontal and vertical.
constexpr double kAxisComponent = 1e-6;
constexpr double kMinGridStep = 1e-12;

bool hasGrid(double step) { return step > kMinGridStep && std::isfinite(step); }

// Halves away from zero; a value the step cannot represent stays as it is.
double gridRounded(double value, double step) {
    if (!hasGrid(step)) return value;
    const double rounded = std::round(value / step) * step;
    return std::isfinite(rounded) ? rounded : value;
}

struct Alignment {
    Alignment(const Vec2& segmentStart, const Vec2& cursor, double w)
        : from(segmentStart), v(cursor - segmentStart), length(v.length()), unitsPerPixel(w) {}

    Vec2 from;
    Vec2 v;
    double length;
    double unitsPerPixel;
    double sinAlign = std::sin(kAlignAngle);
};

void offerPerpendiculars(const Sketch& sketch, const Alignment& al, CandidateChoice& choice) {
    for (const SketchEntity& e : sketch.entities) {
        const auto* line = std::get_if<SketchLine>(&e.geometry);
        if (line == nullptr) continue;
        const Vec2 d = line->end - line->start;
        const double lengthSq = d.lengthSquared();
        if (!(lengthSq > kDegenerateSegmentLengthSquared)) continue;
        const double t = (al.from - line->start).dot(d) / lengthSq;
        if (!(t >= -kPerpendicularOvershoot && t <= 1 + kPerpendicularOvershoot)) continue;
        const Vec2 foot = line->start + d * t;
        choice.offer({.point = foot,
                      .kind = SnapKind::perpendicular,
                      .entity = e.id,
                      .guideStart = al.from,
                      .guideEnd = foot});
    }
}

void offerParallels(const Sketch& sketch, const Alignment& al, CandidateChoice& choice) {
    const double limit =
        std::max(al.unitsPerPixel + al.length * al.sinAlign, kWideLimitPixels * al.unitsPerPixel);
    for (const SketchEntity& e : sketch.entities) {
        const auto* line = std::get_if<SketchLine>(&e.geometry);
        if (line == nullptr) continue;
        const Vec2 d = line->end - line->start;
        if (!(d.lengthSquared() > kDegenerateSegmentLengthSquared)) continue;
        Vec2 u = d / d.length();
        if (!(al.v.angle(u) < kAlignAngle)) {
            if (!(al.v.angle(-u) < kAlignAngle)) continue;
            u = -u;
        }
        const Vec2 p = al.from + u * al.length;
        choice.offer({.point = p,
                      .kind = SnapKind::parallel,
                      .entity = e.id,
                      .guideStart = al.from - u * kGuideHalfLength,
                      .guideEnd = al.from + u * kGuideHalfLength},
                     choice.cursor().distance(p), limit);
    }
}

bool nearAxis(const Vec2& v, const Vec2& axis) {
    return v.angle(axis) < kAlignAngle || v.angle(-axis) < kAlignAngle;
}

void offerAxes(const Alignment& al, double gridStep, CandidateChoice& choice) {
    const double w = al.unitsPerPixel;
    const double limit = std::max(w + al.length * al.sinAlign, kAxisBandPixels * w);
    const Vec2& c = choice.cursor();
    const Vec2& l = al.from;
    if (std::abs(al.v.x) < kAxisBandPixels * w || nearAxis(al.v, {1, 0})) {
        choice.offer({.point = {gridRounded(c.x, gridStep), l.y},
                      .kind = SnapKind::horizontal,
                      .guideStart = Vec2{l.x - kGuideHalfLength, l.y},
                      .guideEnd = Vec2{l.x + kGuideHalfLength, l.y}},
                     std::abs(al.v.y), limit);
    }
    if (std::abs(al.v.y) < kAxisBandPixels * w || nearAxis(al.v, {0, 1})) {
        choice.offer({.point = {l.x, gridRounded(c.y, gridStep)},
                      .kind = SnapKind::vertical,
                      .guideStart = Vec2{l.x, l.y - kGuideHalfLength},
                      .guideEnd = Vec2{l.x, l.y + kGuideHalfLength}},
                     std::abs(al.v.x), limit);
    }
}

Vec2 rotated(const Vec2& u, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {u.x * c - u.y * s, u.x * s + u.y * c};
}

// The eight 45° directions, then the previous segment's direction turned by each 45° step.
std::vector<Vec2> polarDirections(const std::optional<Vec2>& previousDirection) {
    std::vector<Vec2> directions;
    for (int k = 0; k < 8; ++k) directions.push_back(rotated({1, 0}, k * std::numbers::pi / 4));
    if (previousDirection && previousDirection->lengthSquared() > kDegenerateSegmentLengthSquared) {
        const Vec2 u = previousDirection->normalized();
        for (int k = 0; k < 8; ++k) directions.push_back(rotated(u, k * std::numbers::pi / 4));
    }
    return directions;
}

void offerPolar(const Alignment& al, const std::optional<Vec2>& previousDirection,
                CandidateChoice& choice) {
    std::optional<Vec2> best;
    double bestDistance = std::numeric_limits<double>::max();
    Vec2 bestPoint;
    // Both senses of every direction are in the list, so a direction within the angle of v
    // already points the way v does.
    for (const Vec2& u : polarDirections(previousDirection)) {
        if (!(al.v.angle(u) < kAlignAngle)) continue;
        const Vec2 p = al.from + u * al.length;
        const double distance = choice.cursor().distance(p);
        if (distance < bestDistance) {
            best = u;
            bestDistance = distance;
            bestPoint = p;
        }
    }
    if (!best) return;
    const Vec2 direction = (bestPoint - al.from).normalized();
    if (std::abs(direction.x) < kAxisComponent || std::abs(direction.y) < kAxisComponent) return;
    const double w = al.unitsPerPixel;
    choice.offer({.point = bestPoint,
                  .kind = SnapKind::polar,
                  .guideStart = al.from - *best * kGuideHalfLength,
                  .guideEnd = al.from + *best * kGuideHalfLength},
                 bestDistance, std::max(kWideLimitPixels * w, w + al.length * al.sinAlign));
}

}  // namespace

void offerAlignment(const SnapQuery& query, double unitsPerPixel, CandidateChoice& choice) {
    if (!query.segmentStart || !query.segmentStart->isFinite()) return;
    const Alignment al(*query.segmentStart, choice.cursor(), unitsPerPixel);
    if (!(al.length > kMinLockPixels * unitsPerPixel)) return;
    offerPerpendiculars(query.sketch, al, choice);
    if (al.length > kAxisBandPixels * unitsPerPixel) offerParallels(query.sketch, al, choice);
    offerAxes(al, query.gridStep, choice);
    offerPolar(al, query.previousDirection, choice);
}

std::optional<SnapHit> gridHit(const Vec2& cursor, double gridStep) {
    if (!hasGrid(gridStep)) return std::nullopt;
    return SnapHit{.point = {gridRounded(cursor.x, gridStep), gridRounded(cursor.y, gridStep)},
                   .kind = SnapKind::grid};
}

}  // namespace brontile::SnapCandidates
