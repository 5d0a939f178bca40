// The keymap file that ships with the program: found from the build tree, no key taken twice,
// and the keys that hints and messages name really work. (That every binding reaches a command
// the program has is checked with the session, which knows them all.)
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unordered_set>

#include "shortcuts/keymap_store.hpp"

namespace brontile {
namespace {

const KeymapStore& shipped() {
    static const KeymapStore store = KeymapStore::loadDefault();
    return store;
}

TEST(ShippedKeymap, IsFoundNextToTheExecutableAndBindsNoChordTwice) {
    EXPECT_NE(shipped().profile(), KeymapProfile::builtInFallback());
    EXPECT_EQ(shipped().profile().profile, "default");
    std::unordered_set<KeyChord> seen;
    for (const KeyBinding& binding : shipped().profile().bindings) {
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
