// Where each constraint's glyph sits and what it draws, over a small fixed sketch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>
#include <vector>

#include "domain/sketch.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Marker = OverlayMarkerKind;
using Segments = std::vector<std::pair<Vec2, Vec2>>;

// h: (0,0)–(4,0); v: (10,0)–(10,4); c: circle at (1,10) r 2; a: arc at (6,10) r 1.
struct Fixture {
    SketchEntity h{SketchEntityID::generate(), SketchLine{{0, 0}, {4, 0}}, false};
    SketchEntity v{SketchEntityID::generate(), SketchLine{{10, 0}, {10, 4}}, false};
    SketchEntity c{SketchEntityID::generate(), SketchCircle{{1, 10}, 2}, false};
    SketchEntity a{SketchEntityID::generate(), SketchArc{{6, 10}, 1, 0, std::numbers::pi}, false};
    Sketch sketch;
    Fixture() { sketch.entities = {h, v, c, a}; }

    SketchConstraint add(Kind kind, std::vector<SketchGeomRef> refs) {
        sketch.constraints.push_back({SketchConstraintID::generate(), kind, std::move(refs), {}});
        return sketch.constraints.back();
    }
};

void expectNear(const Vec2& actual, const Vec2& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-12);
    EXPECT_NEAR(actual.y, expected.y, 1e-12);
}

struct GlyphCase {
    Kind kind;
    Vec2 point;
    Segments lines;
    std::optional<Marker> marker;
};

TEST(ConstraintGlyph, EveryKindAnchorsAndDrawsItsSymbol) {
    Fixture f;
    const auto& [h, v, c, a] = std::tie(f.h.id, f.v.id, f.c.id, f.a.id);
    const Segments doubleStroke{{{-1.4, 0.45}, {1.4, 0.45}}, {{-1.4, -0.45}, {1.4, -0.45}}};
    auto shifted = [](Segments lines, Vec2 by) {
        for (auto& [p, q] : lines) {
            p += by;
            q += by;
        }
        return lines;
    };
    const std::vector<std::pair<std::vector<SketchGeomRef>, GlyphCase>> cases{
        {{{h, Role::end}, {v, Role::start}}, {Kind::coincident, {4, 0}, {}, Marker::square}},
        {{{h, Role::entity}}, {Kind::horizontal, {2, 1.8}, {{{0.4, 1.8}, {3.6, 1.8}}}, {}}},
        {{{v, Role::entity}}, {Kind::vertical, {8.2, 2}, {{{8.2, 0.4}, {8.2, 3.6}}}, {}}},
        {{{h, Role::entity}, {v, Role::entity}},
         {Kind::parallel, {6, 1}, shifted(doubleStroke, {6, 1}), {}}},
        {{{h, Role::entity}, {v, Role::entity}},
         {Kind::equalLength, {6, 1}, shifted(doubleStroke, {6, 1}), {}}},
        {{{h, Role::entity}, {v, Role::entity}},
         {Kind::perpendicular, {6, 1}, {{{5, 1}, {7, 1}}, {{6, 1}, {6, 2.6}}}, {}}},
        {{{c, Role::center}, {a, Role::center}},
         {Kind::equalRadius, {3.5, 10}, shifted(doubleStroke, {3.5, 10}), {}}},
        {{{a, Role::start}, {h, Role::entity}}, {Kind::midpoint, {7, 10}, {}, Marker::triangle}},
        {{{h, Role::entity}, {c, Role::center}}, {Kind::tangent, {1, 0}, {}, Marker::circle}},
        {{{c, Role::center}, {a, Role::center}}, {Kind::tangent, {3.5, 10}, {}, Marker::circle}},
        // clang-format off
        {{{v, Role::start}, {v, Role::end}}, {Kind::distance, {8.8, 2},
            {{{10, 0}, {8.8, 0}}, {{10, 4}, {8.8, 4}}, {{8.8, 0}, {8.8, 4}},
             {{8.8, -0.5}, {8.8, 0.5}}, {{8.8, 3.5}, {8.8, 4.5}}}, {}}},
        // clang-format on
        {{{a, Role::center}}, {Kind::radius, {6.5, 10}, {{{6, 10}, {7, 10}}}, Marker::circle}},
    };
    for (const auto& [refs, expected] : cases) f.add(expected.kind, refs);

    const auto glyphs = f.sketch.constraintGlyphs({}, 1);
    ASSERT_EQ(glyphs.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const GlyphCase& expected = cases[i].second;
        SCOPED_TRACE(i);
        EXPECT_EQ(glyphs[i].id, f.sketch.constraints[i].id);
        EXPECT_EQ(glyphs[i].kind, expected.kind);
        EXPECT_EQ(glyphs[i].marker, expected.marker);
        expectNear(glyphs[i].point, expected.point);
        ASSERT_EQ(glyphs[i].lines.size(), expected.lines.size());
        for (std::size_t j = 0; j < expected.lines.size(); ++j) {
            expectNear(glyphs[i].lines[j].first, expected.lines[j].first);
            expectNear(glyphs[i].lines[j].second, expected.lines[j].second);
        }
    }
}

TEST(ConstraintGlyph, BrokenSizesAndDegenerateLinesStayFinite) {
    Fixture f;
    f.add(Kind::horizontal, {{f.h.id, Role::entity}});
    for (double size : {0.1, std::nan(""), std::numeric_limits<double>::infinity()}) {
        expectNear(f.sketch.constraintGlyphs({}, size)[0].point, {2, 1.8 * 0.4});
    }
    f.sketch.entities[0].geometry = SketchLine{{3, 3}, {3, 3}};
    f.add(Kind::distance, {{f.h.id, Role::start}, {f.h.id, Role::end}});
    const auto glyphs = f.sketch.constraintGlyphs({}, 1);
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

    const auto glyphs = f.sketch.constraintGlyphs({kept.id}, 1);
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
