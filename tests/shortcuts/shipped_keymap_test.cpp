// The keymap file that ships with the program: found from the build tree, bound only to real
// commands, no key taken twice, and the keys that hints and messages name really work.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unordered_set>

#include "commands/command_registry.hpp"
#include "shortcuts/keymap_store.hpp"

namespace brontile {
namespace {

const KeymapStore& shipped() {
    static const KeymapStore store = KeymapStore::loadDefault();
    return store;
}

TEST(ShippedKeymap, IsFoundNextToTheExecutableAndBindsOnlyRegisteredCommandsNoChordTwice) {
    EXPECT_NE(shipped().profile(), KeymapProfile::builtInFallback());
    EXPECT_EQ(shipped().profile().profile, "default");
    const CommandRegistry registry;
    std::unordered_set<KeyChord> seen;
    for (const KeyBinding& binding : shipped().profile().bindings) {
        EXPECT_TRUE(registry.entry(binding.command)) << binding.command.rawValue;
        const auto chord = KeyChord::parse(binding.key);
        ASSERT_TRUE(chord) << binding.key;
        EXPECT_TRUE(seen.insert(*chord).second) << binding.key << " is bound twice";
    }
}

TEST(ShippedKeymap, KeysNamedByHintsAndMessagesReachTheirCommands) {
    const struct {
        KeyPress press;
        CommandID command;
    } promised[] = {
        // clang-format off
        {{"s", {}}, "sketch.new"},   {{"l", {}}, "tool.line"},   {{"r", {}}, "tool.rectangle"},
        {{"c", {}}, "tool.circle"},  {{"a", {}}, "tool.arc"},    {{"g", {}}, "tool.polygon"},
        {{"e", {}}, "tool.extrude"}, {{"f", {}}, "tool.fillet"}, {{"v", {}}, "tool.revolve"},
        {{"d", {}}, "tool.measure"}, {{"tab", {}}, "hud.edit"},  {{"space", {}}, "tool.select"},
        {{"escape", {}}, "tool.cancel"}, {{"return", {}}, "tool.confirm"},
        {{"delete", {}}, "edit.delete"}, {{"k", ModifierSet::command}, "palette.show"},
        // clang-format on
    };
    for (const auto& p : promised) {
        EXPECT_EQ(shipped().command(p.press), p.command) << p.press.key;
    }
    EXPECT_EQ(shipped().displayShortcut("palette.show"), "⌘K");
}

}  // namespace
}  // namespace brontile
