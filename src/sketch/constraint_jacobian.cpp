#include "sketch/constraint_jacobian.hpp"

#include <algorithm>
#include <cmath>

#include "base/overloaded.hpp"
#include "base/tolerances.hpp"

namespace brontile::ConstraintJacobian {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

// As the residuals: a line no longer than this has no direction.
constexpr double kShortestDirectedLine = kNormalizeEpsilon;

// The term's derivative rows, written through the points and radii its residuals read.
class Rows {
public:
    Rows(const ResidualTerm& term, const VariablePack& pack, std::span<const double> values,
         double* out)
        : term_(term), width_(columnCount(term, pack)), out_(out) {
        std::fill(out_, out_ + term.rowCount * width_, 0.0);
        a_ = pack.entity(term.targets[0].entityIndex, values);
        if (term.targets.count == 2) b_ = pack.entity(term.targets[1].entityIndex, values);
        secondOffset_ = pack.layouts[term.entities[0]].count;
    }

    [[nodiscard]] const SketchEntity& entity(std::size_t k) const { return k == 0 ? a_ : b_; }
    [[nodiscard]] Vec2 point(std::size_t k) const {
        return *entity(k).point(term_.targets[k].role);
    }

    // Adds weight · ∂p/∂u to the row, p being the referenced point of target k (or `role`'s).
    void addPoint(std::size_t row, std::size_t k, Vec2 weight) {
        addPoint(row, k, term_.targets[k].role, weight);
    }
    void addPoint(std::size_t row, std::size_t k, Role role, Vec2 weight) {
        double* r = out_ + row * width_ + offset(k);
        std::visit(Overloaded{
                       [&](const SketchLine&) {
                           if (role == Role::start || role == Role::entity)
                               addXY(r, 0, weight, role);
                           if (role == Role::end || role == Role::entity) addXY(r, 2, weight, role);
                       },
                       [&](const SketchCircle&) { addXY(r, 0, weight, Role::center); },
                       [&](const SketchArc& arc) {
                           addXY(r, 0, weight, Role::center);
                           if (role != Role::start && role != Role::end) return;
                           const double angle = role == Role::start ? arc.startAngle : arc.endAngle;
                           const Vec2 radial{std::cos(angle), std::sin(angle)};
                           r[2] += weight.dot(radial);
                           r[role == Role::start ? 3 : 4] +=
                               weight.dot(radial.perpendicular()) * arc.radius;
                       },
                   },
                   entity(k).geometry);
    }
    void addRadius(std::size_t row, std::size_t k, double weight) {
        out_[row * width_ + offset(k) + 2] += weight;
    }
    // A line's two ends weighted by −g and g: the derivative of a function of its direction.
    void addDirection(std::size_t row, std::size_t k, Vec2 gradient) {
        addPoint(row, k, Role::start, gradient * -1.0);
        addPoint(row, k, Role::end, gradient);
    }

private:
    [[nodiscard]] std::size_t offset(std::size_t k) const {
        return term_.targets[k].entityIndex == term_.entities[0] ? 0 : secondOffset_;
    }
    // A line's midpoint moves by half of each end's move.
    static void addXY(double* r, std::size_t column, Vec2 weight, Role role) {
        const double share = role == Role::entity ? 0.5 : 1.0;
        r[column] += weight.x * share;
        r[column + 1] += weight.y * share;
    }

    const ResidualTerm& term_;
    std::size_t width_;
    double* out_;
    SketchEntity a_;
    SketchEntity b_;
    std::size_t secondOffset_ = 0;
};

Vec2 directionOf(const SketchEntity& e) {
    const auto& line = std::get<SketchLine>(e.geometry);
    return line.end - line.start;
}

// ∂(u1 × u2)/∂d1 and ∂/∂d2 for parallel, ∂(u1 · u2) for perpendicular, u = d/‖d‖.
void angleRows(Rows& rows, Kind kind) {
    const Vec2 d1 = directionOf(rows.entity(0));
    const Vec2 d2 = directionOf(rows.entity(1));
    const double l1 = d1.length();
    const double l2 = d2.length();
    if (l1 < kShortestDirectedLine || l2 < kShortestDirectedLine) return;
    const Vec2 u1 = d1 / l1;
    const Vec2 u2 = d2 / l2;
    // The derivative of f(u) along d is (w − u (u·w)) / ‖d‖ for ∂f/∂u = w.
    const auto through = [](Vec2 u, Vec2 w, double length) { return (w - u * u.dot(w)) / length; };
    const Vec2 w1 = kind == Kind::parallel ? Vec2{u2.y, -u2.x} : u2;
    const Vec2 w2 = kind == Kind::parallel ? Vec2{-u1.y, u1.x} : u1;
    rows.addDirection(0, 0, through(u1, w1, l1));
    rows.addDirection(0, 1, through(u2, w2, l2));
}

// ‖d × (c − a)‖ / ‖d‖ − r over the line's ends, the centre and the radius.
void lineTangentRows(Rows& rows) {
    const auto& line = std::get<SketchLine>(rows.entity(0).geometry);
    const Vec2 d = line.end - line.start;
    const double length = d.length();
    if (length <= kShortestDirectedLine) return;
    const Vec2 toCentre = *rows.entity(1).center() - line.start;
    const double cross = d.x * toCentre.y - d.y * toCentre.x;
    const double sign = cross < 0 ? -1.0 : 1.0;
    // ∂cross/∂d and ∂cross/∂(c − a); the quotient adds −cross·u/‖d‖² along d.
    const Vec2 byDirection =
        (Vec2{toCentre.y, -toCentre.x} / length - d * (cross / (length * length * length))) * sign;
    const Vec2 byOffset = Vec2{-d.y, d.x} * (sign / length);
    rows.addPoint(0, 0, Role::start, (byDirection + byOffset) * -1.0);
    rows.addPoint(0, 0, Role::end, byDirection);
    rows.addPoint(0, 1, Role::center, byOffset);
    rows.addRadius(0, 1, -1);
}

void circleTangentRows(Rows& rows) {
    const Vec2 c1 = *rows.entity(0).center();
    const Vec2 c2 = *rows.entity(1).center();
    const double distance = (c1 - c2).length();
    const double r1 = *rows.entity(0).radiusValue();
    const double r2 = *rows.entity(1).radiusValue();
    if (distance > 0) {
        const Vec2 u = (c1 - c2) / distance;
        rows.addPoint(0, 0, Role::center, u);
        rows.addPoint(0, 1, Role::center, u * -1.0);
    }
    const double inner = std::abs(r1 - r2);
    if (std::abs(distance - inner) < std::abs(distance - (r1 + r2))) {
        const double sign = r1 < r2 ? -1.0 : 1.0;
        rows.addRadius(0, 0, -sign);
        rows.addRadius(0, 1, sign);
    } else {
        rows.addRadius(0, 0, -1);
        rows.addRadius(0, 1, -1);
    }
}

// Each row of a two-row kind is one coordinate: x first, then y.
void pointRows(Rows& rows, std::size_t k, double sign) {
    rows.addPoint(0, k, {sign, 0});
    rows.addPoint(1, k, {0, sign});
}

void fill(Rows& rows, const ResidualTerm& term) {
    switch (term.kind) {
        case Kind::coincident:
            pointRows(rows, 0, 1);
            pointRows(rows, 1, -1);
            return;
        case Kind::horizontal: rows.addDirection(0, 0, {0, -1}); return;
        case Kind::vertical: rows.addDirection(0, 0, {-1, 0}); return;
        case Kind::parallel:
        case Kind::perpendicular: angleRows(rows, term.kind); return;
        case Kind::equalLength: {
            const Vec2 d1 = directionOf(rows.entity(0));
            const Vec2 d2 = directionOf(rows.entity(1));
            if (d1.length() > 0) rows.addDirection(0, 0, d1 / d1.length());
            if (d2.length() > 0) rows.addDirection(0, 1, d2 / -d2.length());
            return;
        }
        case Kind::equalRadius:
            rows.addRadius(0, 0, 1);
            rows.addRadius(0, 1, -1);
            return;
        case Kind::midpoint:
            pointRows(rows, 0, 1);
            rows.addPoint(0, 1, Role::entity, {-1, 0});
            rows.addPoint(1, 1, Role::entity, {0, -1});
            return;
        case Kind::tangent:
            return term.tangent == TangentLayout::lineCircle ? lineTangentRows(rows)
                                                             : circleTangentRows(rows);
        case Kind::distance: {
            const Vec2 delta = rows.point(0) - rows.point(1);
            const double length = delta.length();
            if (!(length > 0)) return;
            rows.addPoint(0, 0, delta / length);
            rows.addPoint(0, 1, delta / -length);
            return;
        }
        case Kind::radius: rows.addRadius(0, 0, 1); return;
        case Kind::fix: pointRows(rows, 0, 1); return;
    }
}

// A tangent whose two curves already share a point (a line ending on the arc it is tangent to, two
// arcs joined end to end) is measured as a distance that, with the point shared, only grows to
// second order away from tangency: a circle through a point of a line lies farthest from the line
// exactly when it touches it. Its derivative then says nothing. There the tangency is read instead
// as the angle at the shared point, between the radius and the line or the other radius, which
// holds at the same places and moves to first order.
struct SharedPoint {
    std::size_t owner = 0;
    Role role = Role::start;
};

constexpr double kOnCurve = 1e-6;

// Whether the point lies on the other curve: its circle, or a line's infinite extension.
bool liesOn(Vec2 p, const SketchEntity& curve) {
    if (curve.isCircleLike()) {
        const double r = *curve.radiusValue();
        return std::abs((p - *curve.center()).length() - r) <= kOnCurve * std::max(1.0, r);
    }
    const auto& line = std::get<SketchLine>(curve.geometry);
    const Vec2 d = line.end - line.start;
    const double length = d.length();
    if (length <= kShortestDirectedLine) return false;
    return std::abs(d.cross(p - line.start)) / length <= kOnCurve * std::max(1.0, length);
}

std::optional<SharedPoint> sharedPoint(const ResidualTerm& term, const VariablePack& pack,
                                       std::span<const double> values) {
    if (term.kind != Kind::tangent || term.targets.count != 2) return std::nullopt;
    const SketchEntity first = pack.entity(term.targets[0].entityIndex, values);
    const SketchEntity second = pack.entity(term.targets[1].entityIndex, values);
    for (std::size_t owner = 0; owner < 2; ++owner) {
        const SketchEntity& mine = owner == 0 ? first : second;
        const SketchEntity& other = owner == 0 ? second : first;
        for (const Role role : {Role::start, Role::end}) {
            const auto p = mine.point(role);
            if (p && liesOn(*p, other)) return SharedPoint{owner, role};
        }
    }
    return std::nullopt;
}

// The cosine between the radius to the shared point and the line, or the sine between the two
// radii there.
double sharedPointResidual(const ResidualTerm& term, const VariablePack& pack,
                           std::span<const double> values, SharedPoint shared) {
    const SketchEntity first = pack.entity(term.targets[0].entityIndex, values);
    const SketchEntity second = pack.entity(term.targets[1].entityIndex, values);
    const SketchEntity& owner = shared.owner == 0 ? first : second;
    const Vec2 p = *owner.point(shared.role);
    if (term.tangent == TangentLayout::lineCircle) {
        const Vec2 d = directionOf(first);
        const double length = d.length();
        if (length <= kShortestDirectedLine) return 0;
        return (p - *second.center()).dot(d) / (length * *second.radiusValue());
    }
    const Vec2 toFirst = *first.center() - p;
    const Vec2 toSecond = *second.center() - p;
    return toFirst.cross(toSecond) / (*first.radiusValue() * *second.radiusValue());
}

// Central differences of the angle form over the term's columns.
void sharedPointRows(const ResidualTerm& term, const VariablePack& pack,
                     std::span<const double> values, SharedPoint shared, double* out) {
    std::vector<double> probe(values.begin(), values.end());
    const std::size_t width = columnCount(term, pack);
    for (std::size_t column = 0; column < width; ++column) {
        const std::size_t j = unknownOf(term, pack, column);
        const double h = 1e-6 * std::max(1.0, std::abs(values[j]));
        probe[j] = values[j] + h;
        const double up = sharedPointResidual(term, pack, probe, shared);
        probe[j] = values[j] - h;
        const double down = sharedPointResidual(term, pack, probe, shared);
        probe[j] = values[j];
        out[column] = (up - down) / (2 * h);
    }
}

}  // namespace

std::size_t columnCount(const ResidualTerm& term, const VariablePack& pack) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < term.entityCount; ++k)
        count += pack.layouts[term.entities[k]].count;
    return count;
}

std::size_t unknownOf(const ResidualTerm& term, const VariablePack& pack, std::size_t column) {
    const EntityLayout& first = pack.layouts[term.entities[0]];
    if (column < first.count) return first.start + column;
    return pack.layouts[term.entities[1]].start + (column - first.count);
}

void termRows(const ResidualTerm& term, const VariablePack& pack, std::span<const double> values,
              double* out) {
    termRowsAt(term, pack, values, values, out);
}

void termRowsAt(const ResidualTerm& term, const VariablePack& pack,
                std::span<const double> reference, std::span<const double> values, double* out) {
    if (const auto shared = sharedPoint(term, pack, reference)) {
        return sharedPointRows(term, pack, values, *shared, out);
    }
    Rows rows(term, pack, values, out);
    fill(rows, term);
}

void termValues(const ResidualTerm& term, const VariablePack& pack,
                std::span<const double> reference, std::span<const double> values, double* out) {
    if (const auto shared = sharedPoint(term, pack, reference)) {
        out[0] = sharedPointResidual(term, pack, values, *shared);
        return;
    }
    ConstraintResiduals::evaluateTerm(term, pack, values, out);
}

}  // namespace brontile::ConstraintJacobian
