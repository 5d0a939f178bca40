// Anchors and strokes of each constraint kind's glyph, scaled by the marker size.
#include "interaction/constraint_glyph.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "sketch/constraint_targets.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Segments = std::vector<std::pair<Vec2, Vec2>>;

// The symbol's look, before the constraint's identity and selection are attached.
struct Shape {
    Vec2 point;
    Segments lines;
    std::optional<OverlayMarkerKind> marker;
};

// Entities and targets of a resolved constraint, with the point queries every kind needs.
struct Resolved {
    std::span<const SketchEntity> entities;
    ConstraintTargets targets;

    [[nodiscard]] const SketchEntity& entity(std::size_t i) const {
        return entities[targets[i].entityIndex];
    }
    // Resolution guarantees the point exists wherever a kind reads it.
    [[nodiscard]] Vec2 referenced(std::size_t i) const {
        return entity(i).point(targets[i].role).value_or(Vec2::zero);
    }
    [[nodiscard]] Vec2 centre(std::size_t i) const {
        return entity(i).point(SketchParamRole::center).value_or(Vec2::zero);
    }
    [[nodiscard]] SketchLine line(std::size_t i) const {
        const auto* segment = std::get_if<SketchLine>(&entity(i).geometry);
        return segment ? *segment : SketchLine{};
    }
    [[nodiscard]] Vec2 lineMidpoint(std::size_t i) const {
        const SketchLine segment = line(i);
        return (segment.start + segment.end) / 2;
    }
};

double symbolScale(double size) {
    // Written so that NaN fails the comparison and falls back too.
    return (size > kMinimumGlyphSize && std::isfinite(size)) ? size : kMinimumGlyphSize;
}

// The unit vector from `from` towards `to`, or `fallback` when they are no more than 1e-12 apart
// (or so far apart that the length overflows).
Vec2 unitBetween(const Vec2& from, const Vec2& to, const Vec2& fallback) {
    const Vec2 d = to - from;
    const double length = d.length();
    return length > kNormalizeEpsilon && std::isfinite(length) ? d / length : fallback;
}

// The "=" and "∥" sign: two horizontal strokes straddling the anchor.
Segments doubleStroke(const Vec2& c, double s) {
    return {{{c.x - 1.4 * s, c.y + 0.45 * s}, {c.x + 1.4 * s, c.y + 0.45 * s}},
            {{c.x - 1.4 * s, c.y - 0.45 * s}, {c.x + 1.4 * s, c.y - 0.45 * s}}};
}

Shape axisAligned(const Resolved& r, Kind kind, double s) {
    const SketchLine segment = r.line(0);
    const Vec2 normal = unitBetween(segment.start, segment.end, Vec2::zero).perpendicular();
    const Vec2 anchor = r.lineMidpoint(0) + normal * (1.8 * s);
    const Vec2 u = kind == Kind::horizontal ? Vec2{1, 0} : Vec2{0, 1};
    return {anchor, {{anchor - u * (1.6 * s), anchor + u * (1.6 * s)}}, std::nullopt};
}

Shape betweenLines(const Resolved& r, Kind kind, double s) {
    const Vec2 c = (r.lineMidpoint(0) + r.lineMidpoint(1)) / 2;
    if (kind != Kind::perpendicular) return {c, doubleStroke(c, s), std::nullopt};
    return {c, {{{c.x - s, c.y}, {c.x + s, c.y}}, {c, {c.x, c.y + 1.6 * s}}}, std::nullopt};
}

Shape tangent(const Resolved& r) {
    if (tangentLayout(r.targets, r.entities) == TangentLayout::circleCircle) {
        return {(r.centre(0) + r.centre(1)) / 2, {}, OverlayMarkerKind::circle};
    }
    const SketchLine segment = r.line(0);
    const Vec2 touch = Vec2::closestPointOnSegment(r.centre(1), segment.start, segment.end);
    return {touch, {}, OverlayMarkerKind::circle};
}

// A dimension line offset to the left of P1→P2 with short ticks at both ends.
Shape distance(const Resolved& r, double s) {
    const Vec2 p1 = r.referenced(0);
    const Vec2 p2 = r.referenced(1);
    const Vec2 along = unitBetween(p1, p2, {1, 0});
    const Vec2 o = along.perpendicular() * (1.2 * s);
    const Vec2 a = p1 + o;
    const Vec2 b = p2 + o;
    const Vec2 tick = along * (s / 2);
    return {(a + b) / 2,
            {{p1, a}, {p2, b}, {a, b}, {a - tick, a + tick}, {b - tick, b + tick}},
            std::nullopt};
}

Shape radius(const Resolved& r) {
    const Vec2 c = r.centre(0);
    const double radiusLength = r.entity(0).radiusValue().value_or(0);
    return {
        {c.x + radiusLength / 2, c.y}, {{c, {c.x + radiusLength, c.y}}}, OverlayMarkerKind::circle};
}

// A ground sign hanging under the held point: a stem, a base and three hatches. The anchor sits on
// the base, clear of the point, so that the point and the sign can each be picked.
Shape fixed(const Resolved& r, double s) {
    const Vec2 p = r.referenced(0);
    const Vec2 anchor{p.x, p.y - 1.6 * s};
    Segments lines{{p, anchor}, {{anchor.x - s, anchor.y}, {anchor.x + s, anchor.y}}};
    for (int k = 0; k < 3; ++k) {
        const Vec2 from{anchor.x - s + k * s, anchor.y};
        lines.push_back({from, {from.x - 0.5 * s, from.y - 0.6 * s}});
    }
    return {anchor, std::move(lines), std::nullopt};
}

Shape shapeOf(const Resolved& r, Kind kind, double s) {
    switch (kind) {
        case Kind::coincident: return {r.referenced(0), {}, OverlayMarkerKind::square};
        case Kind::horizontal:
        case Kind::vertical: return axisAligned(r, kind, s);
        case Kind::parallel:
        case Kind::perpendicular:
        case Kind::equalLength: return betweenLines(r, kind, s);
        case Kind::equalRadius: {
            const Vec2 c = (r.centre(0) + r.centre(1)) / 2;
            return {c, doubleStroke(c, s), std::nullopt};
        }
        case Kind::midpoint: return {r.referenced(0), {}, OverlayMarkerKind::triangle};
        case Kind::tangent: return tangent(r);
        case Kind::distance: return distance(r, s);
        case Kind::radius: return radius(r);
        case Kind::fix: return fixed(r, s);
    }
    return {};
}

}  // namespace

bool ConstraintGlyph::hitTest(const Vec2& p, double tolerance) const {
    return point.distance(p) <= tolerance;
}

std::optional<ConstraintGlyph> constraintGlyph(const SketchConstraint& constraint,
                                               std::span<const SketchEntity> entities,
                                               bool selected, double size) {
    const auto targets = resolveTargets(constraint, entities);
    if (!targets) return std::nullopt;
    Shape shape = shapeOf({entities, *targets}, constraint.kind, symbolScale(size));
    return ConstraintGlyph{constraint.id, shape.point, std::move(shape.lines),
                           shape.marker,  selected,    constraint.kind};
}

std::vector<ConstraintGlyph> constraintGlyphs(
    const Sketch& sketch, const std::unordered_set<SketchConstraintID>& selected, double size) {
    std::vector<ConstraintGlyph> glyphs;
    for (const SketchConstraint& c : sketch.constraints) {
        auto drawn = constraintGlyph(c, sketch.entities, selected.contains(c.id), size);
        if (drawn) glyphs.push_back(std::move(*drawn));
    }
    return glyphs;
}

}  // namespace brontile
