// Constraints as the viewport shows and makes them: where each constraint's glyph sits and what it
// draws, over a small fixed sketch, and the constraints implied by drawing gestures (snaps at a new
// line's ends, rectangle and polygon structure).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include "interaction/constraint_glyph.hpp"
#include "interaction/sketch_auto_constraints.hpp"
#include "sketch/sketch.hpp"
#include "support/geometry_checks.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Marker = OverlayMarkerKind;
using test::expectNear;

struct Fixture {
    SketchEntity h = test::line({0, 0}, {4, 0}), v = test::line({10, 0}, {10, 4});
    SketchEntity c = test::circle({1, 10}, 2), a = test::arc({6, 10}, 1, 0, std::numbers::pi);
    Sketch sketch;
    Fixture() { sketch.entities = {h, v, c, a}; }

    SketchConstraint add(Kind kind, std::vector<SketchGeomRef> refs) {
        sketch.constraints.push_back(test::constraint(kind, std::move(refs)));
        return sketch.constraints.back();
    }
};

// The anchor is also the pick point; the strokes' exact shapes are left to the drawing code,
// except the dimension line, which must span the measured points.
TEST(ConstraintGlyph, EveryKindAnchorsItsSymbol) {
    Fixture f;
    const auto& [h, v, c, a] = std::tie(f.h.id, f.v.id, f.c.id, f.a.id);
    const Role E = Role::entity, C = Role::center;
    struct Case {
        std::vector<SketchGeomRef> refs;
        Kind kind;
        Vec2 point;
        std::size_t strokes;
        std::optional<Marker> marker;
    };
    const std::vector<Case> cases{
        {{{h, Role::end}, {v, Role::start}}, Kind::coincident, {4, 0}, 0, Marker::square},
        {{{h, E}}, Kind::horizontal, {2, 1.8}, 1, {}},
        {{{v, E}}, Kind::vertical, {8.2, 2}, 1, {}},
        {{{h, E}, {v, E}}, Kind::parallel, {6, 1}, 2, {}},
        {{{h, E}, {v, E}}, Kind::equalLength, {6, 1}, 2, {}},
        {{{h, E}, {v, E}}, Kind::perpendicular, {6, 1}, 2, {}},
        {{{c, C}, {a, C}}, Kind::equalRadius, {3.5, 10}, 2, {}},
        {{{a, Role::start}, {h, E}}, Kind::midpoint, {7, 10}, 0, Marker::triangle},
        {{{h, E}, {c, C}}, Kind::tangent, {1, 0}, 0, Marker::circle},
        {{{c, C}, {a, C}}, Kind::tangent, {3.5, 10}, 0, Marker::circle},
        {{{v, Role::start}, {v, Role::end}}, Kind::distance, {8.8, 2}, 5, {}},
        {{{a, C}}, Kind::radius, {6.5, 10}, 1, Marker::circle},
    };
    for (const Case& row : cases) f.add(row.kind, row.refs);

    const auto glyphs = constraintGlyphs(f.sketch, {}, 1);
    ASSERT_EQ(glyphs.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(glyphs[i].id, f.sketch.constraints[i].id);
        EXPECT_EQ(glyphs[i].kind, cases[i].kind);
        EXPECT_EQ(glyphs[i].marker, cases[i].marker);
        expectNear(glyphs[i].point, cases[i].point);
        EXPECT_EQ(glyphs[i].lines.size(), cases[i].strokes);
    }
    expectNear(glyphs[10].lines[2].first, {8.8, 0});
    expectNear(glyphs[10].lines[2].second, {8.8, 4});
}

TEST(ConstraintGlyph, BrokenSizesAndDegenerateLinesStayFinite) {
    Fixture f;
    f.add(Kind::horizontal, {{f.h.id, Role::entity}});
    for (double size : {0.1, std::nan(""), std::numeric_limits<double>::infinity()}) {
        expectNear(constraintGlyphs(f.sketch, {}, size)[0].point, {2, 1.8 * 0.4});
    }
    f.sketch.entities[0].geometry = SketchLine{{3, 3}, {3, 3}};
    f.add(Kind::distance, {{f.h.id, Role::start}, {f.h.id, Role::end}});
    const auto glyphs = constraintGlyphs(f.sketch, {}, 1);
    expectNear(glyphs[0].point, {3, 3});
    expectNear(glyphs[1].point, {3, 4.2});
    expectNear(glyphs[1].lines[3].first, {2.5, 4.2});
    expectNear(glyphs[1].lines[3].second, {3.5, 4.2});
}

TEST(ConstraintGlyph, UnresolvableConstraintsAreSkippedAndSelectionIsMarked) {
    Fixture f;
    const SketchConstraint kept = f.add(Kind::vertical, {{f.v.id, Role::entity}});
    f.add(Kind::horizontal, {{SketchEntityID::generate(), Role::entity}});
    f.add(Kind::horizontal, {{f.c.id, Role::entity}});
    f.add(Kind::coincident, {{f.c.id, Role::start}, {f.h.id, Role::start}});
    const SketchConstraint other = f.add(Kind::radius, {{f.c.id, Role::center}});

    const auto glyphs = constraintGlyphs(f.sketch, {kept.id}, 1);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].id, kept.id);
    EXPECT_TRUE(glyphs[0].selected);
    EXPECT_EQ(glyphs[1].id, other.id);
    EXPECT_FALSE(glyphs[1].selected);
    EXPECT_TRUE(glyphs[1].hitTest({2, 10.5}, 0.5 + 1e-9));
    EXPECT_FALSE(glyphs[1].hitTest({2, 10.5}, 0.49));
}

struct Shape {
    Kind kind;
    std::vector<SketchGeomRef> refs;
    friend bool operator==(const Shape&, const Shape&) = default;
};

// Kinds and refs only; every constraint must come with a distinct fresh id and no value.
std::vector<Shape> shapes(const std::vector<SketchConstraint>& constraints) {
    std::vector<Shape> result;
    std::set<SketchConstraintID> ids;
    for (const auto& c : constraints) {
        EXPECT_FALSE(c.value);
        EXPECT_TRUE(ids.insert(c.id).second);
        result.push_back({c.kind, c.refs});
    }
    return result;
}

SnapHit hitOn(SnapKind kind, std::optional<SketchEntityID> entity = std::nullopt,
              std::optional<Role> role = std::nullopt) {
    return {.point = {1, 1}, .kind = kind, .entityID = entity, .paramRole = role};
}

TEST(SketchAutoConstraintsLine, OnlySnapsThatTookPlaceAddConstraints) {
    const auto line = SketchEntityID::generate(), other = SketchEntityID::generate();
    const auto forHits = [&](std::optional<SnapHit> from, std::optional<SnapHit> to) {
        return shapes(SketchAutoConstraints::forLine(line, {0, 0}, {1, 0}, from, to));
    };
    EXPECT_EQ(forHits(std::nullopt, hitOn(SnapKind::horizontal)),
              (std::vector<Shape>{{Kind::horizontal, {{line, Role::entity}}}}));
    EXPECT_EQ(forHits(std::nullopt, hitOn(SnapKind::vertical)),
              (std::vector<Shape>{{Kind::vertical, {{line, Role::entity}}}}));
    // A horizontal start hit means nothing: only the end aligns with the start.
    EXPECT_TRUE(forHits(hitOn(SnapKind::horizontal), std::nullopt).empty());
    EXPECT_EQ(forHits(hitOn(SnapKind::endpoint, other, Role::end),
                      hitOn(SnapKind::endpoint, other, Role::start)),
              (std::vector<Shape>{{Kind::coincident, {{line, Role::start}, {other, Role::end}}},
                                  {Kind::coincident, {{line, Role::end}, {other, Role::start}}}}));

    for (const auto& nothing :
         {hitOn(SnapKind::endpoint, line, Role::end),  // itself
          hitOn(SnapKind::endpoint, other),            // circle quadrant
          hitOn(SnapKind::endpoint),                   // body vertex
          hitOn(SnapKind::grid), hitOn(SnapKind::onCurve, other),
          hitOn(SnapKind::midpoint, other, Role::start), hitOn(SnapKind::intersection, other)}) {
        EXPECT_TRUE(forHits(nothing, std::nullopt).empty()) << rawValue(nothing.kind);
    }
}

TEST(SketchAutoConstraintsShapes, RectangleAndPolygonStructure) {
    std::vector<SketchEntityID> e(6);
    for (auto& id : e) id = SketchEntityID::generate();
    const auto corner = [&](std::size_t i, std::size_t j) {
        return Shape{Kind::coincident, {{e[i], Role::end}, {e[j], Role::start}}};
    };
    const auto on = [&](Kind kind, std::size_t i) { return Shape{kind, {{e[i], Role::entity}}}; };
    EXPECT_EQ(shapes(SketchAutoConstraints::forRectangle(std::span(e).first(4))),
              (std::vector<Shape>{on(Kind::horizontal, 0), on(Kind::vertical, 1),
                                  on(Kind::horizontal, 2), on(Kind::vertical, 3), corner(0, 1),
                                  corner(1, 2), corner(2, 3), corner(3, 0)}));
    EXPECT_EQ(shapes(SketchAutoConstraints::forPolygon(e)),
              (std::vector<Shape>{corner(0, 1), corner(1, 2), corner(2, 3), corner(3, 4),
                                  corner(4, 5), corner(5, 0)}));
    EXPECT_TRUE(SketchAutoConstraints::forRectangle(std::span(e).first(3)).empty());
    EXPECT_TRUE(SketchAutoConstraints::forRectangle(e).empty());
    EXPECT_TRUE(SketchAutoConstraints::forPolygon(std::span(e).first(2)).empty());
}

}  // namespace
}  // namespace brontile
