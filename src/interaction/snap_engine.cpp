// The snapping entry point and the rule that picks among candidates: the lowest rank, then the
// nearest within each candidate's limit, and among exact ties the first offered.
#include "interaction/snap_engine.hpp"

#include <limits>
#include <string>

#include "interaction/snap_candidates.hpp"

namespace brontile::SnapCandidates {
namespace {

constexpr int kNoRank = 100;

int rankOf(SnapKind kind) {
    switch (kind) {
        case SnapKind::endpoint: return 0;
        case SnapKind::intersection: return 1;
        case SnapKind::midpoint: return 2;
        case SnapKind::center: return 3;
        case SnapKind::perpendicular: return 4;
        case SnapKind::onCurve: return 5;
        case SnapKind::horizontal:
        case SnapKind::vertical: return 6;
        case SnapKind::parallel: return 7;
        case SnapKind::polar: return 8;
        case SnapKind::grid: return kNoRank;
    }
    return kNoRank;
}

}  // namespace

CandidateChoice::CandidateChoice(const Vec2& cursor, double reach)
    : cursor_(cursor),
      reach_(reach),
      window_(Box2::around(cursor, cursor, reach + slack(reach + magnitude(cursor)))),
      rank_(kNoRank),
      score_(std::numeric_limits<double>::max()) {}

void CandidateChoice::offer(const Candidate& c) { offer(c, cursor_.distance(c.point), reach_); }

void CandidateChoice::offer(const Candidate& c, double score, double limit) {
    if (!(score <= limit)) return;  // NaN scores are never taken
    const int rank = rankOf(c.kind);
    if (rank < rank_ || (rank == rank_ && score < score_)) {
        rank_ = rank;
        score_ = score;
        best_ = c;
    }
}

std::optional<SnapHit> CandidateChoice::hit() const {
    if (!best_) return std::nullopt;
    const Candidate& c = *best_;
    std::optional<std::string> label;
    if (!c.label.empty()) label = std::string(c.label);
    return SnapHit{c.point, c.kind, c.entity, c.second, c.guideStart, c.guideEnd, label, c.role};
}

}  // namespace brontile::SnapCandidates

namespace brontile::SnapEngine {
namespace {

using SnapCandidates::CandidateChoice;
using SnapCandidates::gridHit;
using SnapCandidates::offerAlignment;
using SnapCandidates::offerBodies;
using SnapCandidates::offerSketch;

constexpr double kMinUnitsPerPixel = 1e-9;
constexpr double kReachPixels = 10;

}  // namespace

std::optional<SnapHit> snap(const SnapQuery& query) {
    if (query.disabled || !query.cursor.isFinite()) return std::nullopt;
    // Written so that NaN falls back to the minimum too.
    const double w =
        query.worldUnitsPerPixel > kMinUnitsPerPixel ? query.worldUnitsPerPixel : kMinUnitsPerPixel;
    const double reach = kReachPixels * w;
    // Ties keep the first offered, so this order is part of the result.
    CandidateChoice choice(query.cursor, reach);
    for (const Vec2& p : query.extraPoints) choice.offer({.point = p});
    offerBodies(query.bodies, query.sketch.plane, w, choice);
    offerSketch(query.sketch, reach, choice);
    offerAlignment(query, w, choice);
    if (choice.empty()) return gridHit(query.cursor, query.gridStep);
    return choice.hit();
}

}  // namespace brontile::SnapEngine
