// Replaying scripts of user actions: the trace after every step, and bad scripts refused with
// the step they went wrong at.
#include <gtest/gtest.h>

#include "replay/replay_checks.hpp"

namespace brontile {
namespace {

using test::runReplay;

TEST(Replay, PrintsTheSessionAfterEveryStep) {
    const auto r = runReplay(R"({"steps": [
        {"command": "sketch.newFront"},
        {"key": "escape"},
        {"command": "edit.undo"}]})");
    ASSERT_EQ(r.code, replay::kReplayed) << r.error;
    ASSERT_EQ(r.lines.size(), 3U);
    EXPECT_EQ(r.lines[0]["step"], 1);
    EXPECT_EQ(r.lines[0]["activeToolID"], "line");
    ASSERT_EQ(r.lines[0]["document"]["sketches"].size(), 1U);
    const auto& plane = r.lines[0]["document"]["sketches"][0]["plane"];
    EXPECT_EQ(plane["xAxis"], test::Json({1.0, 0.0, 0.0}));
    EXPECT_EQ(plane["yAxis"], test::Json({0.0, 0.0, 1.0}));
    EXPECT_EQ(r.lines[0]["undoName"], "New Sketch");
    EXPECT_EQ(r.lines[1]["activeToolID"], "select");
    EXPECT_EQ(r.lines[2]["statusMessage"], "Undo New Sketch");
    EXPECT_TRUE(r.lines[2]["activeSketch"].is_null());
    EXPECT_EQ(r.lines[2]["windowTitle"], "Untitled \u2014 Edited");
    EXPECT_TRUE(runReplay(R"({"steps": []})").lines.empty());
}

TEST(Replay, KeysGoThroughTheShippedBindingsAndTypingNeedsTabToOpenTheField) {
    const auto r = runReplay(R"({"steps": [
        {"key": "s"},
        {"key": "escape"},
        {"command": "hud.edit"},
        {"type": "25"}]})");
    ASSERT_EQ(r.code, replay::kReplayed) << r.error;
    EXPECT_EQ(r.lines[0]["activeToolID"], "line");
    EXPECT_EQ(r.lines[0]["undoName"], "New Sketch");
    // The welcome hint's S starts a sketch; Tab with no HUD opens nothing to type into.
    EXPECT_FALSE(r.lines[3]["hudEditing"].get<bool>());
    EXPECT_EQ(r.lines[3]["undoName"], "New Sketch");
}

TEST(Replay, BadScriptsNameTheStepAfterTheLinesBeforeIt) {
    for (const auto& [script, message] : std::vector<std::pair<std::string, std::string>>{
             {"not json", "not JSON"},
             {R"({"steps": [{"command": "view.section"}, {"fly": 1}]})", "step 2: unknown action"},
             {R"({"steps": [{"command": "view.section"}, {"click": {"world": [0, 0, 1e9]}}]})",
              "step 2: the world point lies behind the camera"},
             {R"({"steps": [{"command": "view.section", "extra": 1}]})", "step 1: unknown key"},
             {R"({"steps": [{"inspector": {"op": "renameBody", "body": 0, "name": "x"}}]})",
              "step 1: body index 0 is out of range"},
             {R"({"steps": [{"inspector": {"op": "setUnits", "units": "inches", "x": 1}}]})",
              "step 1: setUnits has an unknown key"},
             {R"({"steps": [{"click": {"screen": [1, 1], "bogus": true}}]})",
              "step 1: click has an unknown key"},
             {R"({"steps": [{"drag": {"from": {"screen": [1, 1], "world": [0, 0, 0]},
                                      "to": {"screen": [2, 2]}}}]})",
              "step 1: a point takes \"world\" or \"screen\", not both"},
             {R"({"steps": [{"advanceClock": 1e7}, {"advanceClock": 9.95e8}]})",
              "step 2: the clock may run at most"},
             {R"({"viewport": {"width": 0, "height": 5}, "steps": []})",
              "viewport: the viewport must be"},
             {R"({"steps": [{"cancelAt": -1}]})", "step 1: cancelAt must be a whole number"},
             {R"({"steps": [{"cancelAt": 0.5}]})", "step 1: cancelAt must be a whole number"},
         }) {
        const auto r = runReplay(script);
        EXPECT_EQ(r.code, replay::kBadScript) << script;
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
        if (script.starts_with("{\"steps\": [{\"command\": \"view.section\"}, ")) {
            EXPECT_EQ(r.lines.size(), 1U) << script;
        }
    }
}

TEST(Replay, AnswersPanelsAndAlertsFromTheScript) {
    const auto r = runReplay(R"({"steps": [
        {"command": "sketch.new"},
        {"answer": {"alert": "Cancel"}},
        {"command": "file.new"},
        {"answer": {"alert": "Perhaps"}},
        {"command": "file.new"}]})");
    EXPECT_EQ(r.code, replay::kBadScript);
    ASSERT_EQ(r.lines.size(), 4U);
    const auto& asked = r.lines[2]["alertsShown"];
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0]["message"], "Discard unsaved changes?");
    EXPECT_EQ(asked[0]["informative"],
              "Untitled \u2014 Edited has changes that have not been saved.");
    EXPECT_EQ(asked[0]["buttons"], test::Json({"Save\u2026", "Discard", "Cancel"}));
    EXPECT_EQ(r.lines[2]["document"]["sketches"].size(), 1U);
    EXPECT_NE(r.error.find("step 5"), std::string::npos);
}

}  // namespace
}  // namespace brontile
