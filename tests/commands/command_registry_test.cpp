// The registry's own rules: unknown ids, re-registering, where the tools' entries go, and the
// identifiers' stored form. The whole table, with the tools' rows, is checked with the tools.
#include <gtest/gtest.h>

#include <vector>

#include "commands/command_registry.hpp"
#include "support/error_checks.hpp"
#include "support/json_checks.hpp"

namespace brontile {
namespace {

using Entry = CommandRegistry::Entry;

TEST(CommandRegistry, ToolEntriesTakeTheirPlacesAndTheRestGoLast) {
    // Without its tools a registry lists none of their commands.
    EXPECT_FALSE(CommandRegistry{}.entry(AppCommandID::toolLine));
    const Entry line{AppCommandID::toolLine, "Line", "Sketch", "line.diagonal"};
    const Entry gear{"tool.gear", "Gear", "Solid", std::nullopt};
    CommandRegistry registry(std::vector<Entry>{gear, line});
    auto all = registry.allEntries();
    ASSERT_EQ(all.size(), CommandRegistry{}.allEntries().size() + 2);
    const auto at = [&](const CommandID& id) {
        return std::ranges::find(all, id, &Entry::id) - all.begin();
    };
    EXPECT_EQ(at(AppCommandID::toolLine), at(AppCommandID::editConstruction) + 1);
    EXPECT_EQ(all.back(), gear);
    EXPECT_EQ(registry.title("Edit.Undo"), "Edit.Undo");  // ids are case-sensitive
    EXPECT_EQ(registry.entry("Edit.Undo"), std::nullopt);
    // Re-registering replaces the content but keeps the position.
    const auto redo = at(AppCommandID::editRedo);
    registry.registerEntry({AppCommandID::editRedo, "Redo Again", "Edit", std::nullopt});
    all = registry.allEntries();
    EXPECT_EQ(at(AppCommandID::editRedo), redo);
    EXPECT_EQ(all[static_cast<std::size_t>(redo)],
              (Entry{"edit.redo", "Redo Again", "Edit", std::nullopt}));
    EXPECT_EQ(all.back(), gear);
}

TEST(CommandIDJson, IsABareStringThatRoundTripsAndRejectsOtherKinds) {
    EXPECT_EQ(toJsonText(CommandID{"tool.line"}), "\"tool.line\"");
    EXPECT_TRUE(test::roundTripsThroughJson(CommandID{"Ünïcode \"quoted\"\n"}));
    EXPECT_EQ(test::refusalMessage<JsonDecodeError>([] {
                  return fromJsonText<std::vector<CommandID>>(
                      R"(["tool.line", {"rawValue": "tool.arc"}])");
              }),
              "Expected a string but found an object (at [1])");
}

}  // namespace
}  // namespace brontile
