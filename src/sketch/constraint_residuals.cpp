#include "sketch/constraint_residuals.hpp"

#include <cmath>
#include <optional>

#include "base/tolerances.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;

// A line no longer than the normalising bound has no direction; the rows that need one read zero.
constexpr double kShortestDirectedLine = kNormalizeEpsilon;

std::size_t rowsFor(Kind kind) {
    return kind == Kind::coincident || kind == Kind::midpoint || kind == Kind::fix ? 2 : 1;
}

std::optional<ResidualTerm> bind(const SketchConstraint& constraint, const VariablePack& pack) {
    const auto targets = resolveTargets(constraint, pack.entities);
    if (!targets) return std::nullopt;
    ResidualTerm term;
    term.kind = constraint.kind;
    term.targets = *targets;
    if (constraint.isDimension()) {
        if (!constraint.value || !std::isfinite(*constraint.value)) return std::nullopt;
        term.value = *constraint.value;
    }
    if (constraint.kind == Kind::fix) {
        if (!constraint.position || !constraint.position->isFinite()) return std::nullopt;
        term.position = *constraint.position;
    }
    if (term.kind == Kind::tangent) term.tangent = tangentLayout(*targets, pack.entities);
    term.rowCount = rowsFor(term.kind);
    term.entities[0] = (*targets)[0].entityIndex;
    term.entityCount = 1;
    if (targets->count == 2 && (*targets)[1].entityIndex != term.entities[0]) {
        term.entities[1] = (*targets)[1].entityIndex;
        term.entityCount = 2;
    }
    return term;
}

const SketchLine& lineOf(const SketchEntity& e) { return std::get<SketchLine>(e.geometry); }
Vec2 directionOf(const SketchEntity& e) { return lineOf(e).end - lineOf(e).start; }
Vec2 centerOf(const SketchEntity& e) { return *e.center(); }
double radiusOf(const SketchEntity& e) { return *e.radiusValue(); }
Vec2 pointOf(const SketchEntity& e, const ConstraintTarget& t) { return *e.point(t.role); }

// Sine (parallel) or cosine (perpendicular) of the angle between two lines.
double angleResidual(Kind kind, const SketchEntity& a, const SketchEntity& b) {
    const Vec2 d1 = directionOf(a);
    const Vec2 d2 = directionOf(b);
    const double l1 = d1.length();
    const double l2 = d2.length();
    if (l1 < kShortestDirectedLine || l2 < kShortestDirectedLine) return 0;
    const Vec2 u1 = d1 / l1;
    const Vec2 u2 = d2 / l2;
    return kind == Kind::parallel ? u1.x * u2.y - u1.y * u2.x : u1.x * u2.x + u1.y * u2.y;
}

double lineTangentResidual(const SketchEntity& line, const SketchEntity& circle) {
    const Vec2 a = lineOf(line).start;
    const Vec2 d = directionOf(line);
    const double length = d.length();
    if (length <= kShortestDirectedLine) return 0;
    const Vec2 c = centerOf(circle);
    return std::abs(d.x * (c.y - a.y) - d.y * (c.x - a.x)) / length - radiusOf(circle);
}

// Pulls towards whichever of outer and inner tangency is nearer.
double circleTangentResidual(const SketchEntity& a, const SketchEntity& b) {
    const double distance = (centerOf(a) - centerOf(b)).length();
    const double r1 = radiusOf(a);
    const double r2 = radiusOf(b);
    const double outer = r1 + r2;
    const double inner = std::abs(r1 - r2);
    const double target = std::abs(distance - inner) < std::abs(distance - outer) ? inner : outer;
    return distance - target;
}

}  // namespace

ConstraintResiduals::ConstraintResiduals(std::span<const SketchConstraint> constraints,
                                         const VariablePack& pack) {
    for (std::size_t i = 0; i < constraints.size(); ++i) {
        auto term = bind(constraints[i], pack);
        if (!term) continue;
        term->constraintIndex = i;
        term->firstRow = rowCount_;
        rowCount_ += term->rowCount;
        terms_.push_back(*term);
    }
}

void ConstraintResiduals::evaluate(const VariablePack& pack, std::span<const double> values,
                                   std::vector<double>& rows) const {
    rows.assign(rowCount_, 0.0);
    for (const ResidualTerm& term : terms_) {
        evaluateTerm(term, pack, values, rows.data() + term.firstRow);
    }
}

void ConstraintResiduals::evaluateTerm(const ResidualTerm& term, const VariablePack& pack,
                                       std::span<const double> values, double* out) {
    const ConstraintTarget& t0 = term.targets[0];
    const ConstraintTarget& t1 = term.targets[1];
    const SketchEntity a = pack.entity(t0.entityIndex, values);
    const SketchEntity b =
        term.targets.count == 2 ? pack.entity(t1.entityIndex, values) : SketchEntity{};
    switch (term.kind) {
        case Kind::coincident: {
            const Vec2 delta = pointOf(a, t0) - pointOf(b, t1);
            out[0] = delta.x;
            out[1] = delta.y;
            return;
        }
        case Kind::horizontal: out[0] = lineOf(a).start.y - lineOf(a).end.y; return;
        case Kind::vertical: out[0] = lineOf(a).start.x - lineOf(a).end.x; return;
        case Kind::parallel:
        case Kind::perpendicular: out[0] = angleResidual(term.kind, a, b); return;
        case Kind::equalLength: out[0] = directionOf(a).length() - directionOf(b).length(); return;
        case Kind::equalRadius: out[0] = radiusOf(a) - radiusOf(b); return;
        case Kind::midpoint: {
            const SketchLine& line = lineOf(b);
            const Vec2 mid = line.start + (line.end - line.start) * 0.5;
            const Vec2 delta = pointOf(a, t0) - mid;
            out[0] = delta.x;
            out[1] = delta.y;
            return;
        }
        case Kind::tangent:
            out[0] = term.tangent == TangentLayout::lineCircle ? lineTangentResidual(a, b)
                                                               : circleTangentResidual(a, b);
            return;
        case Kind::distance:
            out[0] = (pointOf(a, t0) - pointOf(b, t1)).length() - term.value;
            return;
        case Kind::radius: out[0] = radiusOf(a) - term.value; return;
        case Kind::fix: {
            const Vec2 delta = pointOf(a, t0) - term.position;
            out[0] = delta.x;
            out[1] = delta.y;
            return;
        }
    }
}

}  // namespace brontile
