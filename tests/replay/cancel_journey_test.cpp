// Long operations stopped by an armed cancel at one progress check or another: whatever the
// check, the operation either ends as Escape ends it, with the document as it was, or runs to
// its end when it makes fewer checks; and a stopped export leaves no file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>

#include "replay/replay_checks.hpp"

namespace brontile {
namespace {

using test::Json;
using test::replayAfterBox;
using test::volume;

// The box's top face rounded with a typed radius of 3 (worked out anew, so as an operation),
// with a cancel armed at check `k` first.
std::vector<Json> filletCancelledAt(std::uint64_t k) {
    return replayAfterBox(R"({"cancelAt": )" + std::to_string(k) + R"(},
        {"command": "tool.fillet"},
        {"click": {"world": [10, 5, 10]}},
        {"type": "3"})");
}

TEST(CancelJourney, AFilletStoppedAtAnyCheckLeavesTheBoxAsItWas) {
    bool ranToItsEnd = false;
    for (const std::uint64_t k : {0, 1, 2, 3, 5, 8, 13, 40, 200, 5000}) {
        const auto lines = filletCancelledAt(k);
        ASSERT_EQ(lines.size(), 10U);
        for (const Json& line : lines) EXPECT_TRUE(line["busy"].is_null());
        const Json& last = lines.back();
        if (last["undoName"] == "Fillet") {
            ranToItsEnd = true;
            EXPECT_LT(volume(last), 2000);
            continue;
        }
        EXPECT_EQ(last["statusMessage"], "Cancelled") << k;
        EXPECT_EQ(last["undoName"], "Extrude") << k;
        EXPECT_EQ(last["historyVersion"], lines[5]["historyVersion"]) << k;
        EXPECT_DOUBLE_EQ(volume(last), 2000) << k;
        EXPECT_EQ(last["activeToolID"], "fillet") << k;
    }
    EXPECT_EQ(filletCancelledAt(0).back()["statusMessage"], "Cancelled");
    EXPECT_TRUE(ranToItsEnd);
}

TEST(CancelJourney, AStoppedExportLeavesNoFileAndTheNextOneWritesIt) {
    const auto folder = std::filesystem::temp_directory_path() / "brontile-cancel-journey";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const std::string format : {"STL", "OBJ", "3MF", "STEP", "IGES"}) {
        const auto file = folder / ("box." + format);
        const std::string exporting = R"({"answer": {"savePanel": ")" + file.string() +
                                      R"("}}, {"command": "file.export)" + format + R"("})";
        const auto lines = replayAfterBox(R"({"cancelAt": 1}, )" + exporting + ", " + exporting);
        ASSERT_EQ(lines.size(), 11U);
        EXPECT_EQ(lines[8]["statusMessage"], "Cancelled") << format;
        EXPECT_TRUE(lines[8]["errorMessage"].is_null()) << format;
        EXPECT_EQ(lines[10]["statusMessage"], "Exported " + file.filename().string()) << format;
        // The finished file and nothing else: the stopped one left no temporary behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << format;
        EXPECT_TRUE(std::filesystem::exists(file)) << format;
        std::filesystem::remove(file);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace brontile
