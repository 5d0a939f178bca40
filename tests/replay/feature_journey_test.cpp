// Features, transforms, booleans and measuring replayed as a person works: every result checked
// by volume, bounds, names, step names and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "replay/replay_checks.hpp"

namespace brontile {
namespace {

using test::bodyNames;
using test::Json;
using test::replayAfterBox;
using test::replayedText;
using test::volume;

std::vector<double> corner(const Json& line, std::size_t body, const char* which) {
    return line["document"]["bodies"][body]["bounds"][which].get<std::vector<double>>();
}

TEST(FeatureJourney, ARectangleRevolvesIntoARingOnEitherSideOfItsAxis) {
    const auto lines = replayedText(R"({"steps": [
        {"command": "sketch.newFront"},
        {"command": "tool.rectangle"},
        {"click": {"world": [10, 0, 0]}},
        {"click": {"world": [20, 0, 5]}},
        {"command": "tool.line"},
        {"click": {"world": [0, 0, -10]}},
        {"doubleClick": {"world": [0, 0, 20]}},
        {"command": "tool.revolve"},
        {"click": {"world": [15, 0, 2]}},
        {"click": {"world": [0, 0, 10]}},
        {"key": "return"},
        {"command": "edit.undo"},
        {"command": "tool.revolve"},
        {"click": {"world": [15, 0, 2]}},
        {"click": {"world": [0, 0, 10]}},
        {"type": "90"},
        {"command": "tool.rectangle"},
        {"click": {"world": [-5, 0, 30]}},
        {"click": {"world": [5, 0, 35]}},
        {"command": "tool.revolve"},
        {"click": {"world": [0, 0, 32]}},
        {"click": {"world": [0, 0, 10]}},
        {"key": "return"}]})");
    ASSERT_EQ(lines.size(), 23U);
    EXPECT_EQ(lines[8]["statusHint"],
              "Click a sketch line to use as the axis, or press Return for a full revolution.");
    EXPECT_EQ(lines[8]["hud"]["text"], "360\u00B0");
    EXPECT_EQ(lines[8]["hud"]["quantity"], "angle");
    // Pappus: area 50 about a centroid 15 from the axis; the faceted ring is a little smaller.
    const double pappus = 2 * std::numbers::pi * 15 * 50;
    EXPECT_NEAR(volume(lines[10]), pappus, pappus * 0.01);
    EXPECT_LT(volume(lines[10]), pappus);
    EXPECT_EQ(lines[10]["activeToolID"], "select");
    EXPECT_EQ(lines[10]["undoName"], "Revolve");
    EXPECT_NEAR(volume(lines[15]), pappus / 4, pappus / 4 * 0.01);
    // A region across its axis would make a solid cutting through itself: refused.
    EXPECT_NE(lines[22]["errorMessage"].get<std::string>().find("The axis runs through the region"),
              std::string::npos);
    EXPECT_EQ(lines[22]["document"]["bodies"].size(), 1U);
    EXPECT_EQ(lines[22]["activeToolID"], "revolve");
}

TEST(FeatureJourney, FilletChamferAndShellCutTheBox) {
    const auto lines = replayAfterBox(R"(
        {"command": "tool.fillet"},
        {"click": {"world": [10, 5, 10]}},
        {"type": "2"},
        {"command": "edit.undo"},
        {"command": "tool.fillet"},
        {"click": {"world": [10, 5, 10]}},
        {"drag": {"from": {"world": [10, 5, 10]}, "to": {"world": [12, 5, 10]},
                  "modifiers": ["option"]}},
        {"key": "return"},
        {"command": "edit.undo"},
        {"command": "edit.deselect"},
        {"command": "tool.shell"},
        {"type": "1"},
        {"click": {"world": [10, 5, 10]}},
        {"type": "1"})");
    ASSERT_EQ(lines.size(), 20U);
    // Four edges rounded with radius 2 take a little less than (4 − π) mm² along 60 mm.
    const double removed = 2000 - volume(lines[8]);
    EXPECT_GT(removed, (4 - std::numbers::pi) * 52);
    EXPECT_LT(removed, (4 - std::numbers::pi) * 60);
    EXPECT_EQ(lines[8]["undoName"], "Fillet");
    EXPECT_EQ(lines[8]["activeToolID"], "select");
    EXPECT_EQ(lines[12]["hud"]["label"], "Chamfer");
    // Four 2 mm chamfers: 2 mm² along 60 mm, less the four corner pyramids counted twice.
    EXPECT_NEAR(volume(lines[13]), 2000 - (120 - 4 * 8.0 / 3), 1e-9);
    EXPECT_EQ(lines[13]["undoName"], "Chamfer");
    EXPECT_EQ(lines[17]["errorMessage"], "Select a body to shell.");
    EXPECT_DOUBLE_EQ(volume(lines[19]), 2000 - 18 * 8 * 8);
    EXPECT_EQ(lines[19]["undoName"], "Shell");
}

TEST(FeatureJourney, TypedTransformsMoveTurnScaleMirrorAndRepeatTheBody) {
    const auto lines = replayAfterBox(R"(
        {"command": "tool.move"},
        {"type": "25"},
        {"command": "tool.rotate"},
        {"type": "90"},
        {"command": "tool.scale"},
        {"type": "0.01"},
        {"command": "edit.undo"},
        {"command": "tool.scale"},
        {"type": "2"},
        {"command": "tool.pattern"},
        {"type": "3"},
        {"inspector": {"op": "selectBody", "body": 0}},
        {"command": "tool.mirror"},
        {"click": {"world": [35, 5, 15]}, "modifiers": ["shift"]})");
    ASSERT_EQ(lines.size(), 20U);
    EXPECT_EQ(corner(lines[7], 0, "min"), (std::vector<double>{25, 0, 0}));
    EXPECT_EQ(lines[7]["undoName"], "Move");
    // A quarter turn about the centre (35, 5): 20 × 10 becomes 10 × 20.
    EXPECT_NEAR(corner(lines[9], 0, "min")[0], 30, 1e-9);
    EXPECT_NEAR(corner(lines[9], 0, "max")[1], 15, 1e-9);
    // Factors below 0.05 are raised to it.
    EXPECT_NEAR(volume(lines[11]), 2000 * std::pow(0.05, 3), 1e-9);
    EXPECT_NEAR(volume(lines[14]), 16000, 1e-9);
    EXPECT_EQ(lines[16]["undoName"], "Pattern");
    EXPECT_EQ(bodyNames(lines[16]), (std::vector<std::string>{"Body 1", "Body 1 2", "Body 1 3"}));
    EXPECT_NEAR(corner(lines[16], 1, "min")[0] - corner(lines[16], 0, "min")[0], 23, 1e-9);
    EXPECT_EQ(lines[16]["activeToolID"], "select");
    // Shift keeps the original and adds its mirror image above the top face.
    EXPECT_EQ(lines[19]["undoName"], "Mirror");
    ASSERT_EQ(lines[19]["document"]["bodies"].size(), 4U);
    EXPECT_EQ(lines[19]["document"]["bodies"][3]["name"], "Body 1 mirrored");
    EXPECT_NEAR(corner(lines[19], 3, "min")[2], 15, 1e-9);
}

TEST(FeatureJourney, BooleansOfTwoOverlappingBoxesAndAMeasurement) {
    const auto lines = replayedText(R"({"steps": [
        {"command": "tool.rectangle"},
        {"click": {"world": [0, 0, 0]}},
        {"click": {"world": [20, 10, 0]}},
        {"click": {"world": [10, 5, 0]}},
        {"click": {"world": [30, 15, 0]}},
        {"command": "tool.extrude"},
        {"click": {"world": [5, 3, 0]}},
        {"click": {"world": [15, 7, 0]}, "modifiers": ["shift"]},
        {"type": "10"},
        {"command": "tool.extrude"},
        {"click": {"world": [25, 12, 0]}},
        {"click": {"world": [15, 7, 0]}, "modifiers": ["shift"]},
        {"key": "b"},
        {"type": "10"},
        {"command": "edit.deselect"},
        {"command": "tool.subtract"},
        {"click": {"world": [5, 3, 10]}},
        {"click": {"world": [5, 3, 10]}},
        {"click": {"world": [25, 12, 10]}},
        {"command": "edit.undo"},
        {"command": "edit.selectAll"},
        {"command": "tool.union"},
        {"command": "edit.undo"},
        {"command": "edit.selectAll"},
        {"command": "tool.intersect"},
        {"command": "edit.undo"},
        {"command": "tool.measure"},
        {"click": {"world": [-10, -10, 0]}},
        {"key": "escape"},
        {"click": {"world": [-40, -10, 0]}},
        {"click": {"world": [-30, 10, 0]}}]})");
    ASSERT_EQ(lines.size(), 31U);
    // The second box's regions: the one of its own, and the overlap under the first box, whose
    // bottom face makes cutting the default; the mode key makes it a body of its own.
    EXPECT_EQ(lines[11]["hud"]["detail"], "Cut Body 1");
    EXPECT_EQ(lines[12]["hud"]["detail"], "New body");
    EXPECT_EQ(lines[16]["statusHint"], "Subtracting from Body 1: click the body to take away.");
    EXPECT_EQ(lines[17]["statusHint"], "Subtracting from Body 1: click the body to take away.");
    EXPECT_EQ(lines[18]["undoName"], "Subtract");
    EXPECT_DOUBLE_EQ(volume(lines[18]), 1500);
    EXPECT_EQ(bodyNames(lines[18]), std::vector<std::string>{"Body 1"});
    EXPECT_EQ(lines[21]["undoName"], "Union");
    EXPECT_DOUBLE_EQ(volume(lines[21]), 3500);
    EXPECT_EQ(lines[24]["undoName"], "Intersect");
    EXPECT_DOUBLE_EQ(volume(lines[24]), 500);
    EXPECT_EQ(lines[28]["activeToolID"], "measure");
    EXPECT_EQ(lines[30]["statusHint"],
              "22.36 mm  \u00B7  \u0394X 10 mm  \u0394Y 20 mm  \u0394Z 0 mm");
    EXPECT_EQ(lines[30]["hud"]["label"], "Distance");
}

}  // namespace
}  // namespace brontile
