// Snapping to the sketch's own entities: their ends, midpoints, centres and nearest points, and
// the crossing nearest the cursor. Only entities whose padded bounds meet the cursor's window
// offer points, and only pairs that can cross near the cursor are intersected.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <variant>
#include <vector>

#include "base/overloaded.hpp"
#include "interaction/snap_candidates.hpp"

namespace brontile::SnapCandidates {
namespace {

// Crossing points on an arc or circle may miss its radius by as much as the crossing
// computations allow.
constexpr double kArcRelativeTolerance = CurveIntersection::kOnCircleRelativeTolerance;
constexpr double kArcAbsoluteTolerance = CurveIntersection::kOnCircleTolerance;

enum class Shape { line, circle, arc };

// Bounds holding every candidate an entity offers and every crossing point on it.
struct EntityReach {
    Shape shape = Shape::line;
    Box2 box;
    bool near = false;
};

Box2 circleBox(const Vec2& center, double radius) {
    const double r = std::abs(radius);
    const double pad =
        std::max(r * kArcRelativeTolerance, kArcAbsoluteTolerance) + slack(magnitude(center) + r);
    return Box2::around(center - Vec2{r, r}, center + Vec2{r, r}, pad);
}

EntityReach reachOf(const SketchEntity& entity, const Box2& window) {
    EntityReach reach =
        std::visit(Overloaded{
                       [](const SketchLine& l) {
                           const double pad = 2 * kParameterTolerance * l.start.distance(l.end) +
                                              slack(std::max(magnitude(l.start), magnitude(l.end)));
                           return EntityReach{Shape::line, Box2::around(l.start, l.end, pad)};
                       },
                       [](const SketchCircle& c) {
                           return EntityReach{Shape::circle, circleBox(c.center, c.radius)};
                       },
                       [](const SketchArc& a) {
                           return EntityReach{Shape::arc, circleBox(a.center, a.radius)};
                       },
                   },
                   entity.geometry);
    reach.near = reach.box.meets(window);
    return reach;
}

void offerEntityPoints(const SketchEntity& entity, CandidateChoice& choice) {
    const auto point = [&](const Vec2& p, SnapKind kind,
                           std::optional<SketchParamRole> role = std::nullopt) {
        choice.offer({.point = p, .kind = kind, .entity = entity.id, .role = role});
    };
    std::visit(Overloaded{
                   [&](const SketchLine& l) {
                       point(l.start, SnapKind::endpoint, SketchParamRole::start);
                       point(l.end, SnapKind::endpoint, SketchParamRole::end);
                       point((l.start + l.end) / 2, SnapKind::midpoint);
                   },
                   [&](const SketchCircle& c) {
                       for (const Vec2& q : entity.endpoints()) point(q, SnapKind::endpoint);
                       point(c.center, SnapKind::center);
                   },
                   [&](const SketchArc& a) {
                       point(a.startPoint(), SnapKind::endpoint, SketchParamRole::start);
                       point(a.endPoint(), SnapKind::endpoint, SketchParamRole::end);
                       point(a.pointAt(a.startAngle + a.sweep() / 2), SnapKind::midpoint);
                       point(a.center, SnapKind::center);
                   },
               },
               entity.geometry);
    point(entity.closestPoint(choice.cursor()), SnapKind::onCurve);
}

// Whether the pair can cross near the cursor, judged by the curves every crossing provably lies
// on: the first of two lines (the point is computed along it), the line of a line and a curve,
// and every arc (arcs keep only points on them). Two full circles are left to circlePairs: when
// they nearly coincide, their "touching" point can lie well outside both.
bool mayCrossNearCursor(const EntityReach& first, const EntityReach& second) {
    if (first.shape == Shape::line && second.shape == Shape::line) return first.near;
    if (first.shape == Shape::circle && second.shape == Shape::circle) return false;
    return (first.shape == Shape::circle || first.near) &&
           (second.shape == Shape::circle || second.near);
}

// The winner among crossing candidates, which all share one rank: the smallest score, then the
// pair and point order, so pairs may be visited in any order.
struct CrossingWinner {
    double score = std::numeric_limits<double>::infinity();
    std::array<std::size_t, 3> order{};
    std::optional<Candidate> candidate;

    void consider(const Candidate& c, double candidateScore, std::array<std::size_t, 3> at) {
        if (!candidate || candidateScore < score || (candidateScore == score && at < order)) {
            score = candidateScore;
            order = at;
            candidate = c;
        }
    }
};

class CrossingSearch {
public:
    CrossingSearch(const Sketch& sketch, const std::vector<EntityReach>& reach, double limit,
                   const Vec2& cursor)
        : sketch_(sketch), reach_(reach), limit_(limit), cursor_(cursor) {}

    // Every pair with a near entity, each once.
    void nearPairs() {
        const std::size_t n = reach_.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (!reach_[i].near) continue;
            for (std::size_t j = 0; j < n; ++j) {
                if (j == i || (j < i && reach_[j].near)) continue;
                const std::size_t lo = std::min(i, j);
                const std::size_t hi = std::max(i, j);
                if (mayCrossNearCursor(reach_[lo], reach_[hi])) consider(lo, hi);
            }
        }
    }

    // Circles whose padded boxes are apart are farther apart than touching circles can be.
    void circlePairs() {
        std::vector<std::size_t> circles;
        for (std::size_t i = 0; i < reach_.size(); ++i) {
            if (reach_[i].shape == Shape::circle) circles.push_back(i);
        }
        for (std::size_t a = 0; a < circles.size(); ++a) {
            for (std::size_t b = a + 1; b < circles.size(); ++b) {
                if (reach_[circles[a]].box.meets(reach_[circles[b]].box))
                    consider(circles[a], circles[b]);
            }
        }
    }

    [[nodiscard]] const CrossingWinner& winner() const { return winner_; }

private:
    void consider(std::size_t i, std::size_t j) {
        const SketchEntity& a = sketch_.entities[i];
        const SketchEntity& b = sketch_.entities[j];
        const auto points = CurveIntersection::intersections(a.geometry, b.geometry);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const double score = cursor_.distance(points[k]);
            if (!(score <= limit_)) continue;
            winner_.consider({.point = points[k],
                              .kind = SnapKind::intersection,
                              .entity = a.id,
                              .second = b.id},
                             score, {i, j, k});
        }
    }

    const Sketch& sketch_;
    const std::vector<EntityReach>& reach_;
    double limit_;
    Vec2 cursor_;
    CrossingWinner winner_;
};

}  // namespace

void offerSketch(const Sketch& sketch, double reachDistance, CandidateChoice& choice) {
    std::vector<EntityReach> reach;
    reach.reserve(sketch.entities.size());
    for (const SketchEntity& e : sketch.entities) {
        reach.push_back(reachOf(e, choice.window()));
        if (reach.back().near) offerEntityPoints(e, choice);
    }
    CrossingSearch crossings(sketch, reach, reachDistance, choice.cursor());
    crossings.nearPairs();
    crossings.circlePairs();
    const CrossingWinner& winner = crossings.winner();
    if (winner.candidate) choice.offer(*winner.candidate, winner.score, reachDistance);
}

}  // namespace brontile::SnapCandidates
