// Whole sessions replayed as a person would work: files, bodies, sketches, undo and autosave,
// checked through the trace the replay prints.
#include <gtest/gtest.h>

#include "replay/replay_checks.hpp"
#include "support/scratch_directory.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

using test::bodyNames;
using test::Json;
using test::replayed;

TEST(UserJourney, BodiesSurviveDuplicateHideIsolateRenameSaveAndReopen) {
    test::ScratchDirectory scratch;
    const std::string rich = test::testDataPath("golden/rich.brontdoc").string();
    const std::string saved = (scratch.path() / "bracket").string();
    const auto lines =
        replayed({{"steps",
                   {{{"answer", {{"openPanel", rich}}}},
                    {{"command", "file.open"}},
                    {{"inspector", {{"op", "selectBody"}, {"body", 0}}}},
                    {{"command", "edit.duplicate"}},
                    {{"command", "body.hide"}},
                    {{"inspector", {{"op", "selectBody"}, {"body", 0}}}},
                    {{"command", "body.isolate"}},
                    {{"command", "body.showAll"}},
                    {{"inspector", {{"op", "renameBody"}, {"body", 0}, {"name", "Base"}}}},
                    {{"answer", {{"savePanel", saved}}}},
                    {{"command", "file.saveAs"}},
                    {{"command", "file.new"}},
                    {{"answer", {{"openPanel", saved + ".brontdoc"}}}},
                    {{"command", "file.open"}}}}});
    ASSERT_EQ(lines.size(), 14U);
    EXPECT_EQ(lines[1]["statusMessage"], "Opened rich.brontdoc");
    EXPECT_EQ(bodyNames(lines[3]),
              (std::vector<std::string>{"Body 1", "Odd numbers", "Body 1 copy"}));
    EXPECT_FALSE(lines[4]["document"]["bodies"][2]["isVisible"]);
    EXPECT_EQ(lines[7]["undoName"], "Show All Bodies");
    EXPECT_EQ(lines[10]["statusMessage"], "Saved bracket.brontdoc");
    EXPECT_EQ(lines[10]["windowTitle"], "bracket");
    EXPECT_EQ(lines[11]["document"]["bodies"].size(), 0U);
    const Json& reopened = lines[13];
    EXPECT_EQ(bodyNames(reopened),
              (std::vector<std::string>{"Base", "Odd numbers", "Body 1 copy"}));
    EXPECT_EQ(reopened["document"]["title"], "bracket");
    EXPECT_EQ(reopened["document"]["bodies"][0]["volume"],
              lines[1]["document"]["bodies"][0]["volume"]);
    EXPECT_EQ(reopened["document"]["bodies"][2]["volume"],
              lines[1]["document"]["bodies"][0]["volume"]);
    for (const auto& body : reopened["document"]["bodies"]) EXPECT_TRUE(body["isVisible"]);
}

TEST(UserJourney, SketchesOnEachPlaneUndoAndRedoWithTheirMessages) {
    const auto lines = replayed({{"steps",
                                  {{{"command", "sketch.new"}},
                                   {{"command", "sketch.finish"}},
                                   {{"command", "sketch.newFront"}},
                                   {{"command", "sketch.finish"}},
                                   {{"command", "sketch.newRight"}},
                                   {{"command", "edit.undo"}},
                                   {{"command", "edit.redo"}},
                                   {{"command", "sketch.finish"}}}}});
    ASSERT_EQ(lines.size(), 8U);
    const auto& sketches = lines[7]["document"]["sketches"];
    ASSERT_EQ(sketches.size(), 3U);
    EXPECT_EQ(sketches[0]["plane"]["xAxis"], Json({1.0, 0.0, 0.0}));
    EXPECT_EQ(sketches[1]["plane"]["yAxis"], Json({0.0, 0.0, 1.0}));
    EXPECT_EQ(sketches[2]["plane"]["xAxis"], Json({0.0, 1.0, 0.0}));
    EXPECT_EQ(lines[0]["activeToolID"], "line");
    EXPECT_EQ(lines[1]["activeToolID"], "select");
    EXPECT_EQ(lines[5]["statusMessage"], "Undo New Sketch");
    EXPECT_TRUE(lines[5]["activeSketch"].is_null());
    EXPECT_EQ(lines[6]["statusMessage"], "Redo New Sketch");
    EXPECT_EQ(lines[6]["redoName"], nullptr);
}

TEST(UserJourney, AutosaveWaitsForAFirstSaveAndUnsavedChangesAreAskedAbout) {
    test::ScratchDirectory scratch;
    const std::string part = (scratch.path() / "part.brontdoc").string();
    const auto lines = replayed({{"steps",
                                  {{{"command", "sketch.new"}},
                                   {{"advanceClock", 31}},
                                   {{"answer", {{"savePanel", part}}}},
                                   {{"command", "file.save"}},
                                   {{"command", "view.toggleGrid"}},
                                   {{"advanceClock", 30}},
                                   {{"command", "sketch.finish"}},
                                   {{"command", "view.toggleGrid"}},
                                   {{"answer", {{"alert", "Cancel"}}}},
                                   {{"command", "file.new"}},
                                   {{"answer", {{"alert", "Discard"}}}},
                                   {{"answer", {{"openPanel", "/no/such/package.brontdoc"}}}},
                                   {{"command", "file.open"}}}}});
    ASSERT_EQ(lines.size(), 13U);
    EXPECT_TRUE(lines[1]["isDirty"]);
    EXPECT_EQ(lines[3]["statusMessage"], "Saved part.brontdoc");
    EXPECT_EQ(lines[5]["statusMessage"], "Autosaved");
    EXPECT_FALSE(lines[5]["isDirty"]);
    const Json& asked = lines[9]["alertsShown"][0];
    EXPECT_EQ(asked["message"], "Discard unsaved changes?");
    EXPECT_EQ(asked["informative"], "part \u2014 Edited has changes that have not been saved.");
    EXPECT_EQ(asked["buttons"], Json({"Save\u2026", "Discard", "Cancel"}));
    EXPECT_EQ(lines[9]["document"]["sketches"].size(), 1U);
    // A failing open leaves the document as it was.
    EXPECT_EQ(lines[12]["errorMessage"].get<std::string>().rfind("Open failed: ", 0), 0U);
    EXPECT_EQ(lines[12]["document"]["sketches"].size(), 1U);
    EXPECT_EQ(lines[12]["fileURL"], part);
}

}  // namespace
}  // namespace brontile
