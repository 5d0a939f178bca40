// A whole session replayed as a person would work, files and bodies, checked through the trace
// the replay prints.
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
    EXPECT_EQ(lines[10]["fileURL"], saved + ".brontdoc");
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

}  // namespace
}  // namespace brontile
