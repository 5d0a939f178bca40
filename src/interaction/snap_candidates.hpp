// What the snapping phases share: the candidate point, the running choice of the best one, and
// the padded bounds that let a phase skip geometry out of the cursor's reach. Private to the
// interaction module.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <string_view>

#include "base/tolerances.hpp"
#include "interaction/snap_engine.hpp"
#include "sketch/curve_intersection.hpp"

namespace brontile::SnapCandidates {

// Every point candidate must lie within the reach of the cursor to be taken, so curves, crossings
// and body edges whose padded bounds miss the cursor's window are skipped before any work is
// spent on them. The padding covers every tolerance of the computations skipped, so skipping
// never changes which candidate wins.

// Segment parameters of a crossing may overshoot [0, 1] by brontile::kParameterTolerance, the
// tolerance the crossing computations work to.
// Added to every bound used for skipping, far above the rounding of the points computed inside.
constexpr double kRelativeSlack = 1e-9;
constexpr double kAbsoluteSlack = 1e-12;

inline double magnitude(const Vec2& p) { return std::max(std::abs(p.x), std::abs(p.y)); }
inline double slack(double scale) { return kRelativeSlack * scale + kAbsoluteSlack; }

struct Box2 {
    Vec2 min;
    Vec2 max;

    [[nodiscard]] static Box2 around(const Vec2& a, const Vec2& b, double pad) {
        return {{std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad},
                {std::max(a.x, b.x) + pad, std::max(a.y, b.y) + pad}};
    }
    // Written as "not apart" so that a box with NaN bounds is never skipped.
    [[nodiscard]] bool meets(const Box2& o) const {
        return !(o.max.x < min.x || max.x < o.min.x || o.max.y < min.y || max.y < o.min.y);
    }
};

struct Candidate {
    Vec2 point{};
    SnapKind kind = SnapKind::endpoint;
    std::optional<SketchEntityID> entity{};
    std::optional<SketchEntityID> second{};
    std::optional<SketchParamRole> role{};
    std::string_view label{};
    std::optional<Vec2> guideStart{};
    std::optional<Vec2> guideEnd{};
};

// The best candidate so far: a lower rank wins, then a strictly smaller score, so the first of
// equal candidates stays. The phases therefore offer theirs in a fixed order.
class CandidateChoice {
public:
    CandidateChoice(const Vec2& cursor, double reach);

    [[nodiscard]] const Vec2& cursor() const { return cursor_; }
    // Any point outside this box is farther than the reach from the cursor.
    [[nodiscard]] const Box2& window() const { return window_; }
    [[nodiscard]] bool empty() const { return !best_; }

    // Scored by the distance from the cursor and taken within the reach.
    void offer(const Candidate& c);
    // Taken when `score` is at most `limit`; NaN scores never are.
    void offer(const Candidate& c, double score, double limit);

    [[nodiscard]] std::optional<SnapHit> hit() const;

private:
    Vec2 cursor_;
    double reach_;
    Box2 window_;
    int rank_;
    double score_;
    std::optional<Candidate> best_;
};

// The phases, in the order snap() runs them.

// Vertices, edge midpoints, nearest edge points and edge crossings of the visible bodies lying
// within max(3 px, 1e-4 mm) of the sketch plane.
void offerBodies(std::span<const Body> bodies, const SketchPlane& plane, double unitsPerPixel,
                 CandidateChoice& choice);
// Ends, midpoints, centres and nearest points of the sketch's entities, and the crossing nearest
// the cursor within `reachDistance`.
void offerSketch(const Sketch& sketch, double reachDistance, CandidateChoice& choice);
// Perpendicular, parallel, horizontal, vertical and polar alignment with the query's segment
// start, when it has a finite one.
void offerAlignment(const SnapQuery& query, double unitsPerPixel, CandidateChoice& choice);
// The cursor rounded to the grid, or nothing when the query has no usable grid.
[[nodiscard]] std::optional<SnapHit> gridHit(const Vec2& cursor, double gridStep);

}  // namespace brontile::SnapCandidates
