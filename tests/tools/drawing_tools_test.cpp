// The five sketch drawing tools driven by pointer events and typed values: what each adds to
// the sketch, when it waits, and the rules that are easy to get wrong.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "base/identified.hpp"
#include "support/geometry_checks.hpp"
#include "support/sketch_fixtures.hpp"
#include "tools/arc_tool.hpp"
#include "tools/circle_tool.hpp"
#include "tools/fake_context.hpp"
#include "tools/line_tool.hpp"
#include "tools/polygon_tool.hpp"
#include "tools/rectangle_tool.hpp"

namespace brontile {
namespace {

using test::clickAt;
using test::dragFrom;
using test::FakeContext;

// A tool activated in a fresh context, which makes its sketch on the ground plane.
template <class Tool>
struct Drawing {
    FakeContext context;
    Tool tool;

    Drawing() { tool.activate(context); }

    const Sketch& sketch() const { return context.doc.sketches.front(); }
    std::vector<SketchGeometry> geometry() const {
        std::vector<SketchGeometry> result;
        for (const SketchEntity& e : sketch().entities) result.push_back(e.geometry);
        return result;
    }
    void click(double x, double y, int clicks = 1) {
        clickAt(tool, context, {x, y, 0}, {}, clicks);
    }
    void clicks(std::initializer_list<Vec2> points) {
        for (const Vec2& p : points) click(p.x, p.y);
    }
};

void expectLine(const SketchGeometry& g, const Vec2& start, const Vec2& end) {
    const auto* line = std::get_if<SketchLine>(&g);
    ASSERT_NE(line, nullptr);
    test::expectNear(line->start, start);
    test::expectNear(line->end, end);
}

// The sketch's coincidences as "i.role-j.role" over entity indices in sketch order, the lesser
// first: one made twice shows twice.
std::multiset<std::string> joins(const Sketch& sketch) {
    const auto name = [&](const SketchGeomRef& ref) {
        const auto index = indexOfId(sketch.entities, ref.entity);
        std::string text = index ? std::to_string(*index) : std::string("?");
        text += '.';
        text += rawValue(ref.role);
        return text;
    };
    std::multiset<std::string> result;
    for (const SketchConstraint& c : sketch.constraints) {
        if (c.kind != SketchConstraintKind::coincident || c.refs.size() != 2) continue;
        std::string a = name(c.refs[0]), b = name(c.refs[1]);
        if (b < a) std::swap(a, b);
        result.insert(a + "-" + b);
    }
    return result;
}

// Each segment after the first is joined to the one before exactly once, however its points
// snapped or were typed; closing on the first point joins the last segment to the first.
TEST(LineTool, ChainSegmentsStayJoinedOnceWhateverPlacedTheirPoints) {
    using Joins = std::multiset<std::string>;
    Drawing<LineTool> open;
    // Off whole millimetres and 10° or more from any direction that aligns: each point is rounded
    // to the grid.
    open.clicks({{0.1, 0.2}, {10.2, 3.1}, {15.1, -5.8}, {20.1, 2.8}});
    ASSERT_EQ(open.geometry().size(), 3U);
    expectLine(open.geometry()[1], {10, 3}, {15, -6});
    expectLine(open.geometry()[2], {15, -6}, {20, 3});
    EXPECT_EQ(joins(open.sketch()), (Joins{"0.end-1.start", "1.end-2.start"}));

    Drawing<LineTool> triangle;
    triangle.clicks({{0.1, 0.2}, {10.2, 3.1}, {5.2, 9.9}, {0.3, -0.2}});
    EXPECT_FALSE(triangle.tool.isBusy());
    EXPECT_EQ(joins(triangle.sketch()), (Joins{"0.end-1.start", "1.end-2.start", "0.start-2.end"}));

    // A typed length is held by its join alone; the next segment, ending back on the first join,
    // is joined to it and to that point, each once.
    Drawing<LineTool> typed;
    typed.clicks({{0, 0}, {10, 0}});
    typed.tool.pointer(test::pointerAt(PointerPhase::move, {13.3, 6.2, 0}), typed.context);
    typed.tool.hudCommit(4, typed.context);
    ASSERT_EQ(typed.geometry().size(), 2U);
    EXPECT_EQ(typed.sketch().constraintsInvolving({typed.sketch().entities[1].id}).size(), 1U);
    typed.click(10.2, 0.1);
    EXPECT_EQ(joins(typed.sketch()), (Joins{"0.end-1.start", "1.end-2.start", "0.end-2.end"}));
}

TEST(LineTool, ChainsCloseOnTheFirstPointOrEndOnADoubleClick) {
    Drawing<LineTool> d;
    EXPECT_EQ(d.context.steps, std::vector<std::string>{"New Sketch"});
    d.clicks({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
    ASSERT_EQ(d.geometry().size(), 3U);
    expectLine(d.geometry()[2], {10, 10}, {0, 0});
    EXPECT_FALSE(d.tool.isBusy());
    // A double click ends the chain without a segment for its second click.
    d.clicks({{20, 0}, {30, 0}});
    d.click(30, 0, 2);
    EXPECT_EQ(d.geometry().size(), 4U);
    EXPECT_FALSE(d.tool.isBusy());
    EXPECT_EQ(std::ranges::count(d.context.steps, "Sketch Line"), 4);
    // A chain started in one sketch never continues in another made active meanwhile.
    d.click(40, 0);
    d.context.doc.sketches.push_back(test::sketchOf({}, {}, SketchPlane::xz));
    d.context.sketchID = d.context.doc.sketches.back().id;
    d.tool.hudCommit(5, d.context);
    d.tool.pointer(test::pointerAt(PointerPhase::down, {50, 0, 0}, {}, 1, {0, 1, 0}), d.context);
    EXPECT_EQ(d.geometry().size(), 4U);
    EXPECT_TRUE(d.context.doc.sketches.back().entities.empty());
}

TEST(LineTool, ATypedLengthGoesAlongTheLastDirectionAndTheChainGoesOn) {
    Drawing<LineTool> d;
    // A press with no pointer move before it shows the HUD as well.
    d.tool.pointer(test::pointerAt(PointerPhase::down, {5, 5, 0}), d.context);
    d.tool.pointer(test::pointerAt(PointerPhase::up, {5, 5, 0}), d.context);
    ASSERT_TRUE(d.context.currentHud);
    EXPECT_EQ(d.context.currentHud->label, "Length");
    // Without a move there is no direction: +x.
    d.tool.hudCommit(25, d.context);
    expectLine(d.geometry()[0], {5, 5}, {30, 5});
    EXPECT_TRUE(d.tool.isBusy());
    d.tool.pointer(test::pointerAt(PointerPhase::move, {30, 9, 0}), d.context);
    d.tool.hudCommit(2, d.context);
    expectLine(d.geometry()[1], {30, 5}, {30, 7});
    // Not a number, or no length at all: refused in words.
    d.tool.hudCommit(std::numeric_limits<double>::infinity(), d.context);
    d.tool.hudCommit(0, d.context);
    EXPECT_EQ(d.geometry().size(), 2U);
    EXPECT_EQ(d.context.errors, (std::vector<std::string>{
                                    "The typed length is not a finite number; nothing was changed.",
                                    "A length must be more than 0."}));
    // Return finishes the chain; Escape with nothing under way is left to the controller.
    EXPECT_TRUE(d.tool.key(ToolKey::confirm, d.context));
    EXPECT_FALSE(d.tool.key(ToolKey::escape, d.context));
    EXPECT_FALSE(d.context.currentHud);
}

TEST(RectangleTool, PressDragReleaseOrTwoClicksAndNothingFlat) {
    Drawing<RectangleTool> d;
    dragFrom(d.tool, d.context, {0, 0, 0}, {10, 5, 0});
    ASSERT_EQ(d.geometry().size(), 4U);
    expectLine(d.geometry()[0], {0, 0}, {10, 0});
    expectLine(d.geometry()[3], {0, 5}, {0, 0});
    EXPECT_EQ(d.sketch().constraints.size(), 8U);
    EXPECT_FALSE(d.tool.isBusy());
    // A release within four view points (0.4 mm here) waits for a second click.
    dragFrom(d.tool, d.context, {20, 0, 0}, {20.3, 0.3, 0});
    EXPECT_TRUE(d.tool.isBusy());
    d.tool.pointer(test::pointerAt(PointerPhase::move, {26, 3, 0}), d.context);
    ASSERT_TRUE(d.context.currentHud);
    EXPECT_EQ(d.context.currentHud->text,
              d.context.formatted(6) + " \u00D7 " + d.context.formatted(3));
    // No width: nothing, and the first corner stays.
    d.click(20, 8);
    EXPECT_EQ(d.geometry().size(), 4U);
    EXPECT_TRUE(d.tool.isBusy());
    d.click(26, 8);
    EXPECT_EQ(d.geometry().size(), 8U);
}

TEST(CircleTool, TypedRadiiAndEscapeInTwoSteps) {
    Drawing<CircleTool> d;
    d.click(3, 4);
    d.tool.hudCommit(0, d.context);
    EXPECT_TRUE(d.geometry().empty());
    d.tool.hudCommit(2.5, d.context);
    ASSERT_EQ(d.geometry().size(), 1U);
    EXPECT_EQ(std::get<SketchCircle>(d.geometry()[0]), (SketchCircle{{3, 4}, 2.5}));
    EXPECT_EQ(d.context.steps.back(), "Sketch Circle");
    d.click(10, 10);
    EXPECT_TRUE(d.tool.key(ToolKey::escape, d.context));
    EXPECT_FALSE(d.tool.isBusy());
    EXPECT_FALSE(d.tool.key(ToolKey::escape, d.context));
}

TEST(ArcTool, PassesThroughItsThirdPointWhicheverWayItTurns) {
    for (const Vec2 third : {Vec2{0, 5}, Vec2{0, -5}, Vec2{3, 4}}) {
        const auto arc = ArcTool::throughPoints({-5, 0}, {5, 0}, third);
        ASSERT_TRUE(arc);
        test::expectNear(arc->center, {0, 0});
        const double angle = std::atan2(third.y, third.x);
        const double along = std::remainder(angle - arc->startAngle, 2 * std::numbers::pi);
        const double from = along < 0 ? along + 2 * std::numbers::pi : along;
        EXPECT_LT(from, arc->sweep()) << third.x << ", " << third.y;
    }
    EXPECT_FALSE(ArcTool::throughPoints({-5, 0}, {5, 0}, {1, 0}));
    EXPECT_FALSE(ArcTool::throughPoints({1, 1}, {1, 1}, {4, 4}));
}

TEST(ArcTool, TypedRadiiNeedAChordTheyCanSpan) {
    Drawing<ArcTool> d;
    d.click(-5, 0);
    // An end on the start makes no chord: the tool waits for another.
    d.click(-5, 0);
    EXPECT_EQ(d.context.currentHud->label, "Chord");
    d.click(5, 0);
    // With the end placed a radius can be typed at once: the HUD offers the half chord.
    EXPECT_EQ(d.context.currentHud->label, "Radius");
    EXPECT_EQ(d.context.currentHud->valueMM, 5.0);
    EXPECT_TRUE(d.context.currentHud->editable);
    d.tool.hudCommit(4, d.context);
    EXPECT_TRUE(d.geometry().empty());
    d.tool.hudCommit(5, d.context);
    ASSERT_EQ(d.geometry().size(), 1U);
    const auto arc = std::get<SketchArc>(d.geometry()[0]);
    test::expectNear(arc.center, {0, 0});
    EXPECT_NEAR(arc.sweep(), std::numbers::pi, 1e-12);
    EXPECT_FALSE(d.tool.isBusy());
}

TEST(PolygonTool, TypedRadiusPutsTheFirstVertexOnXAndShiftStepsTheSides) {
    Drawing<PolygonTool> d;
    d.click(0, 0);
    EXPECT_EQ(d.context.currentHud->label, "6-gon");
    d.tool.hudCommit(10, d.context);
    ASSERT_EQ(d.geometry().size(), 6U);
    expectLine(d.geometry()[0], {10, 0}, {5, 5 * std::sqrt(3.0)});
    EXPECT_EQ(d.sketch().constraints.size(), 6U);
    // Each press of Shift steps the count; holding it does not, and 12 goes round to 3.
    const auto move = [&](ModifierSet modifiers) {
        d.tool.pointer(test::pointerAt(PointerPhase::move, {1, 1, 0}, modifiers), d.context);
    };
    move(ModifierSet::shift);
    move(ModifierSet::shift);
    EXPECT_EQ(d.tool.sides(), 7);
    for (int i = 0; i < 5; ++i) {
        move({});
        move(ModifierSet::shift);
    }
    EXPECT_EQ(d.tool.sides(), 12);
    move({});
    move(ModifierSet::shift);
    EXPECT_EQ(d.tool.sides(), 3);
    d.click(0, 0);
    d.tool.hudCommit(1e-7, d.context);
    EXPECT_EQ(d.geometry().size(), 6U);
}

}  // namespace
}  // namespace brontile
