// Parts modelled the way a person does it, replayed through the script driver: clicks and drags
// at world points, typed values and keys, checked by volumes, names, steps and texts.
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

std::size_t entityCount(const Json& line) {
    return line["document"]["sketches"][0]["entities"].size();
}

// The area of the 64-sided polygon a circle of radius r becomes in a region.
double circleRegionArea(double r) { return 32 * r * r * std::sin(2 * std::numbers::pi / 64); }

TEST(ModelingJourney, ARectangleExtrudedByTypingAndACircleBesideItByDragging) {
    const auto lines = replayAfterBox(R"(
        {"command": "tool.circle"},
        {"drag": {"from": {"world": [40, 5, 0]}, "to": {"world": [45, 5, 0]}}},
        {"command": "tool.extrude"},
        {"drag": {"from": {"world": [40, 5, 0]}, "to": {"world": [40, 5, 7.5]}}},
        {"command": "edit.undo"}, {"command": "edit.undo"}, {"command": "edit.undo"},
        {"command": "edit.undo"}, {"command": "edit.undo"},
        {"command": "edit.redo"}, {"command": "edit.redo"}, {"command": "edit.redo"},
        {"command": "edit.redo"}, {"command": "edit.redo"})");
    ASSERT_EQ(lines.size(), 20U);
    EXPECT_EQ(lines[2]["undoName"], "Sketch Rectangle");
    EXPECT_EQ(entityCount(lines[2]), 4U);
    EXPECT_EQ(lines[4]["statusHint"],
              "Type a distance and press Return, click the orange "
              "reverse arrow to flip, or drag again.");
    EXPECT_EQ(lines[4]["hud"]["label"], "Distance");
    EXPECT_DOUBLE_EQ(volume(lines[5], 0), 2000);
    EXPECT_EQ(lines[5]["selection"]["bodies"], Json::array({0}));
    EXPECT_EQ(lines[7]["undoName"], "Sketch Circle");
    // A drag rounds down to whole millimetres: 7.5 gives 7.
    EXPECT_NEAR(volume(lines[9], 1), circleRegionArea(5) * 7, 1e-9);
    EXPECT_EQ(bodyNames(lines[9]), (std::vector<std::string>{"Body 1", "Body 2"}));
    const std::vector<std::string> steps{"Extrude", "Sketch Circle", "Extrude", "Sketch Rectangle",
                                         "New Sketch"};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(lines[10 + i]["statusMessage"], "Undo " + steps[i]);
        EXPECT_EQ(lines[19 - i]["statusMessage"], "Redo " + steps[i]);
    }
    EXPECT_TRUE(lines[14]["document"]["sketches"].empty());
    EXPECT_EQ(lines[19]["document"], lines[9]["document"]);
}

TEST(ModelingJourney, FacesArePushedAndPulledByDraggingAndByTyping) {
    const auto lines = replayAfterBox(R"(
        {"command": "tool.select"},
        {"click": {"world": [10, 5, 10]}},
        {"drag": {"from": {"world": [10, 5, 10]}, "to": {"world": [10, 5, 15]}}},
        {"type": "3"},
        {"click": {"world": [5, 0, 5]}},
        {"type": "-25"},
        {"command": "edit.undo"})");
    ASSERT_EQ(lines.size(), 13U);
    EXPECT_EQ(lines[7]["hud"]["label"], "Push/Pull");
    EXPECT_EQ(lines[7]["selection"]["faces"], 1);
    EXPECT_DOUBLE_EQ(volume(lines[8], 0), 3000);
    EXPECT_EQ(lines[8]["undoName"], "Push/Pull");
    EXPECT_DOUBLE_EQ(volume(lines[9], 0), 3600);
    // Pushing the front face 25 mm in would go through the back: refused, nothing recorded.
    EXPECT_EQ(lines[11]["errorMessage"],
              "Push/Pull would turn the body inside out: the face would pass through another "
              "side of it.");
    EXPECT_EQ(lines[11]["historyVersion"], lines[10]["historyVersion"]);
    EXPECT_DOUBLE_EQ(volume(lines[12], 0), 3000);
    EXPECT_EQ(lines[12]["statusMessage"], "Undo Push/Pull");
}

TEST(ModelingJourney, AChainOfLinesClosesIntoARegionThatExtrudes) {
    const auto lines = replayedText(R"({"steps": [
        {"command": "tool.line"},
        {"click": {"world": [0, 0, 0]}},
        {"click": {"world": [30, 0, 0]}},
        {"click": {"world": [30, 10, 0]}},
        {"click": {"world": [10, 10, 0]}},
        {"click": {"world": [10, 30, 0]}},
        {"click": {"world": [0, 30, 0]}},
        {"click": {"world": [0, 0, 0]}},
        {"key": "e"},
        {"click": {"world": [5, 5, 0]}},
        {"type": "5"}]})");
    ASSERT_EQ(lines.size(), 11U);
    EXPECT_EQ(entityCount(lines[7]), 6U);
    EXPECT_EQ(lines[7]["undoName"], "Sketch Line");
    EXPECT_EQ(lines[8]["activeToolID"], "extrude");
    EXPECT_DOUBLE_EQ(volume(lines[10], 0), 2500);
}

TEST(ModelingJourney, TrimAndOffsetEditTheSketch) {
    const auto lines = replayedText(R"({"steps": [
        {"command": "tool.line"},
        {"click": {"world": [0, 0, 0]}},
        {"doubleClick": {"world": [20, 0, 0]}},
        {"click": {"world": [10, -5, 0]}},
        {"doubleClick": {"world": [10, 5, 0]}},
        {"command": "tool.trim"},
        {"click": {"world": [16, 0, 0]}},
        {"command": "tool.rectangle"},
        {"click": {"world": [30, 0, 0]}},
        {"click": {"world": [40, 10, 0]}},
        {"command": "tool.offset"},
        {"click": {"world": [35, 5, 0]}},
        {"type": "2"},
        {"command": "edit.undo"},
        {"command": "edit.undo"}]})");
    ASSERT_EQ(lines.size(), 15U);
    const auto& trimmed = lines[6]["document"]["sketches"][0]["entities"];
    ASSERT_EQ(trimmed.size(), 2U);
    EXPECT_EQ(trimmed[1]["start"], Json::array({0.0, 0.0}));
    EXPECT_EQ(trimmed[1]["end"], Json::array({10.0, 0.0}));
    EXPECT_EQ(lines[6]["undoName"], "Trim");
    EXPECT_EQ(lines[12]["undoName"], "Offset");
    EXPECT_EQ(entityCount(lines[12]), 10U);
    EXPECT_EQ(lines[12]["document"]["sketches"][0]["entities"][6]["start"],
              Json::array({28.0, -2.0}));
    EXPECT_EQ(lines[13]["statusMessage"], "Undo Offset");
    EXPECT_EQ(lines[14]["statusMessage"], "Undo Sketch Rectangle");
}

}  // namespace
}  // namespace brontile
