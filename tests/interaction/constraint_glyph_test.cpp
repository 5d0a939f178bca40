// Where each constraint's glyph sits and what it draws, over a small fixed sketch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>
#include <vector>

#include "interaction/constraint_glyph.hpp"
#include "sketch/sketch.hpp"
#include "support/geometry_checks.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Marker = OverlayMarkerKind;
using test::expectNear;

// h: (0,0)–(4,0); v: (10,0)–(10,4); c: circle at (1,10) r 2; a: arc at (6,10) r 1.
struct Fixture {
    SketchEntity h{SketchEntityID::generate(), SketchLine{{0, 0}, {4, 0}}, false};
    SketchEntity v{SketchEntityID::generate(), SketchLine{{10, 0}, {10, 4}}, false};
    SketchEntity c{SketchEntityID::generate(), SketchCircle{{1, 10}, 2}, false};
    SketchEntity a{SketchEntityID::generate(), SketchArc{{6, 10}, 1, 0, std::numbers::pi}, false};
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

}  // namespace
}  // namespace brontile
