// The scripted platform that tests and replays drive the session through.
#include <gtest/gtest.h>

#include "session/scripted_platform.hpp"

namespace brontile {
namespace {

TEST(ScriptedPlatform, AnswersFromQueuesPerKindAndCancelsWithoutOne) {
    ScriptedPlatform platform{DateTime{}};
    platform.answerAlert("Discard");
    platform.answerSavePanel(std::filesystem::path("/tmp/part.brontdoc"));
    EXPECT_EQ(platform.openPanel({"Choose", "Open", "brontdoc"}), std::nullopt);
    EXPECT_EQ(platform.savePanel({"Save", "Untitled.brontdoc", std::nullopt}),
              std::filesystem::path("/tmp/part.brontdoc"));
    EXPECT_EQ(platform.alert({"Discard unsaved changes?", "", {"Save\u2026", "Discard", "Cancel"}}),
              1U);
    // An answer that names no button closes the alert.
    platform.answerAlert("Maybe");
    EXPECT_EQ(platform.alert({"Q", "", {"Yes", "No"}}), std::nullopt);
    EXPECT_EQ(platform.takeRequests().size(), 4U);
    EXPECT_TRUE(platform.takeRequests().empty());
    // With no person to close them, the window's own panels stay shown once asked for.
    EXPECT_FALSE(platform.isShowing(WindowPanel::commandPalette));
    platform.showPanel(WindowPanel::commandPalette);
    platform.showPanel(WindowPanel::commandPalette);
    EXPECT_TRUE(platform.isShowing(WindowPanel::commandPalette));
    EXPECT_FALSE(platform.isShowing(WindowPanel::shortcutSheet));
}

TEST(ScriptedPlatform, TimersFireAsTheClockPassesThemUntilTheirHandleGoes) {
    ScriptedPlatform platform{DateTime{}};
    int ticks = 0;
    auto handle = platform.repeat(30, [&] { ++ticks; });
    platform.advance(29);
    EXPECT_EQ(ticks, 0);
    platform.advance(61);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(platform.now(), DateTime{} + std::chrono::seconds(90));
    handle.reset();
    platform.advance(100);
    EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace brontile
