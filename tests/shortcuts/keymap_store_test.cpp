// Key chords and the keymap store: the written forms keymap files may use and how chords are
// written back and shown, which command a key reaches, which shortcuts a command shows, rebinding,
// falling back quietly when the profile file is missing or broken, and the file that ships.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "shortcuts/key_chord.hpp"
#include "shortcuts/keymap_store.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

// Every spelling of a chord reads as the one chord its written form names: modifiers in fixed
// order, then the canonical key. The written form reads back as the same chord.
TEST(KeyChordForms, EverySpellingReadsAsOneChordWrittenAndShownInFixedOrder) {
    const struct {
        std::string written, description, display;
    } cases[] = {
        // clang-format off
        {"Cmd+Shift+K", "shift+cmd+k", "⇧⌘K"},     {"cmd + shift + k", "shift+cmd+k", "⇧⌘K"},
        {"⇧+⌘+k", "shift+cmd+k", "⇧⌘K"},           {"shift+cmd+K", "shift+cmd+k", "⇧⌘K"},
        {"\tCOMMAND+shift+shift+k\t", "shift+cmd+k", "⇧⌘K"},
        {"opt+^+control+1", "ctrl+alt+1", "⌃⌥1"},   {"cmd+ctrl+alt+x", "ctrl+alt+cmd+x", "⌃⌥⌘X"},
        {"cmd+", "cmd", "CMD"},                     {"cmd++", "cmd", "CMD"},
        {"Esc", "escape", "Esc"},                   {"ESC", "escape", "Esc"},
        {"Backspace", "delete", "⌫"},               {"del", "delete", "⌫"},
        {"ctrl+Enter", "ctrl+return", "⌃↩"},        {"shift+delete", "shift+delete", "⇧⌫"},
        {"Space", "space", "Space"},                {"alt+home", "alt+home", "⌥Home"},
        {"cmd+left", "cmd+left", "⌘←"},             {"cmd+/", "cmd+/", "⌘/"},
        // Shown in capitals exactly where key names are lower-cased, beyond ASCII too.
        {"cmd+É", "cmd+é", "⌘É"}, {"Ä", "ä", "Ä"}, {"ı", "ı", "ı"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const auto chord = KeyChord::parse(c.written);
        ASSERT_TRUE(chord) << c.written;
        EXPECT_EQ(chord->description(), c.description) << c.written;
        EXPECT_EQ(chord->display(), c.display) << c.written;
        EXPECT_EQ(KeyChord::parse(chord->description()), chord) << "round trip of " << c.written;
    }
    // Without a key, or with unknown modifiers.
    for (const char* text : {"", "+", "++", "  ", "hyper+k", "cmd+ +k", "cmd+shift+ \t", "⌘⇧+k"}) {
        EXPECT_EQ(KeyChord::parse(text), std::nullopt) << text;
    }
}

KeymapStore storeOf(std::vector<KeyBinding> bindings) {
    return KeymapStore(KeymapProfile{.version = 1, .profile = "test", .bindings = bindings});
}

KeyChord chord(std::string_view text) { return KeyChord::parse(text).value(); }

TEST(KeymapLookup, UnparsableBindingsAreSkippedOthersWork) {
    const KeymapStore store =
        storeOf({{"a.one", "hyper+k"}, {"a.two", "cmd+k"}, {"a.three", ""}, {"a.four", "Enter"}});
    EXPECT_EQ(store.command(chord("cmd+k")), CommandID("a.two"));
    EXPECT_EQ(store.command(chord("k")), std::nullopt);
    EXPECT_TRUE(store.chords("a.one").empty());
    EXPECT_EQ(store.profile().bindings.size(), 4u);  // kept, just not indexed

    EXPECT_EQ(store.command(KeyPress{"Enter", {}}), CommandID("a.four"));
    EXPECT_EQ(store.command(KeyPress{"return", {}}), CommandID("a.four"));
    EXPECT_EQ(store.command(KeyPress{"return", ModifierSet::shift}), std::nullopt);
    EXPECT_EQ(store.command(KeyPress{"K", ModifierSet::command}), CommandID("a.two"));
}

// The last binding of a key wins it, but every command bound to it lists it; the full list holds
// each chord once, sorted by command.
TEST(KeymapLookup, LastBindingWinsTheKeyBothCommandsListItAndAllBindingsHoldEachChordOnce) {
    const KeymapStore store = storeOf({{"view.top", "1"},
                                       {"edit.undo", "cmd+z"},
                                       {"view.top", "t"},
                                       {"edit.delete", "1"},
                                       {"edit.undo", "cmd+Z"},
                                       {"edit.undo", "ctrl+z"}});
    EXPECT_EQ(store.command(chord("1")), CommandID("edit.delete"));
    EXPECT_EQ(store.chords("view.top"), (std::vector{chord("1"), chord("t")}));
    EXPECT_EQ(store.chords("edit.delete"), std::vector{chord("1")});
    EXPECT_EQ(store.primaryChord("view.top"), chord("1"));
    EXPECT_EQ(store.displayShortcut("edit.undo"), "⌘Z");
    EXPECT_EQ(store.displayShortcut("a.none"), std::nullopt);
    const std::vector<std::pair<KeyChord, CommandID>> expected{
        {chord("1"), "edit.delete"},
        {chord("cmd+z"), "edit.undo"},
        {chord("ctrl+z"), "edit.undo"},
        {chord("t"), "view.top"},
    };
    EXPECT_EQ(store.allBindings(), expected);
}

TEST(KeymapRebinding, ReplacesEverySpellingOfTheChord) {
    KeymapStore store = storeOf({{"a.one", "k"},
                                 {"a.two", "K"},
                                 {"a.three", " k "},
                                 {"a.four", "shift+k"},
                                 {"a.five", "hyper+k"}});
    store.bind(chord("k"), "a.new");
    const std::vector<KeyBinding> expected{
        {"a.four", "shift+k"}, {"a.five", "hyper+k"}, {"a.new", "k"}};
    EXPECT_EQ(store.profile().bindings, expected);
    EXPECT_EQ(store.command(chord("k")), CommandID("a.new"));
    EXPECT_TRUE(store.chords("a.one").empty());

    store.bind(chord("cmd+shift+p"), "a.new");
    EXPECT_EQ(store.profile().bindings.back().key, "shift+cmd+p");
    EXPECT_EQ(store.chords("a.new").size(), 2u);
}

TEST(KeymapProfiles, JsonKeepsBindingsInOrderAndIgnoresUnknownKeys) {
    const KeymapProfile profile = KeymapProfile::builtInFallback();
    EXPECT_EQ(fromJsonText<KeymapProfile>(toJsonText(profile)), profile);

    const auto read = fromJsonText<KeymapProfile>(
        R"({"version": 2, "profile": "mine", "author": "me",
            "bindings": [{"command": "x.y", "key": "q", "note": 1}]})");
    EXPECT_EQ(read.bindings, (std::vector<KeyBinding>{{"x.y", "q"}}));
    EXPECT_THROW((void)fromJsonText<KeymapProfile>(R"({"version": 1, "bindings": []})"),
                 JsonDecodeError);
}

// A bundle folder in `scratch` holding a profile file with `text`.
fs::path bundleWith(const test::ScratchDirectory& scratch, const std::string& name,
                    const std::string& text) {
    fs::create_directories(scratch.path() / name);
    return test::writeBytes(scratch.path() / name / KeymapStore::kDefaultProfileFileName, text)
        .parent_path();
}

// The person hears why only the built-in keys work: the bundle is missing, or its file is named
// with what is wrong in it.
TEST(KeymapDefaults, FirstBundleWithTheFileIsUsedAndMissingOrBrokenOnesFallBackToTheBuiltIns) {
    const test::ScratchDirectory scratch;
    const std::vector<std::vector<fs::path>> candidateLists{
        {},
        {scratch.path() / "absent"},
        {bundleWith(scratch, "text", "not json at all")},
        {bundleWith(scratch, "empty", "")},
        {bundleWith(scratch, "noVersion", R"({"profile":"p","bindings":[]})")},
        {bundleWith(scratch, "badBinding",
                    R"({"version":1,"profile":"p","bindings":[{"key":"k"}]})")},
        {bundleWith(scratch, "wrongType", R"({"version":"1","profile":"p","bindings":[]})")},
        {bundleWith(scratch, "broken", "{"), bundleWith(scratch, "fine", "{}")},
    };
    for (const auto& candidates : candidateLists) {
        const auto [store, problem] = KeymapStore::loadDefaultReporting(candidates);
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(candidates.empty() || candidates[0].filename() == "absent"
                                    ? "were not found"
                                    : candidates[0].string()),
                  std::string::npos)
            << *problem;
        EXPECT_EQ(store.profile(), KeymapProfile::builtInFallback());
    }
    // Folders without the file are passed over; the first with it is used, the rest not read.
    const auto [store, problem] = KeymapStore::loadDefaultReporting(std::vector<fs::path>{
        scratch.path() / "absent", scratch.path(),
        bundleWith(scratch, "good",
                   R"({"version":1,"profile":"p","bindings":[{"command":"c.d","key":"z"}]})"),
        bundleWith(scratch, "later", "not read")});
    EXPECT_FALSE(problem);
    EXPECT_EQ(store.command(chord("z")), CommandID("c.d"));
}

// The keymap file that ships with the program: found from the build tree (the built-in keys alone
// lack most of these), the keys that hints and messages name really work, and no key is taken
// twice. (That every binding reaches a command the program has is checked with the session, which
// knows them all.)
TEST(ShippedKeymap, KeysNamedByHintsReachTheirCommandsAndNoChordIsBoundTwice) {
    const KeymapStore shipped = KeymapStore::loadDefault();
    const struct {
        const char* key;
        ModifierSet modifiers;
        const char* command;
    } promised[] = {
        // clang-format off
        {"s", {}, "sketch.new"},   {"l", {}, "tool.line"},   {"r", {}, "tool.rectangle"},
        {"c", {}, "tool.circle"},  {"a", {}, "tool.arc"},    {"g", {}, "tool.polygon"},
        {"e", {}, "tool.extrude"}, {"f", {}, "tool.fillet"}, {"v", {}, "tool.revolve"},
        {"d", {}, "tool.measure"}, {"tab", {}, "hud.edit"},  {"space", {}, "tool.select"},
        {"escape", {}, "tool.cancel"}, {"return", {}, "tool.confirm"},
        {"delete", {}, "edit.delete"}, {"k", ModifierSet::command, "palette.show"},
        // clang-format on
    };
    for (const auto& p : promised) {
        EXPECT_EQ(shipped.command(KeyPress{p.key, p.modifiers}), CommandID(p.command)) << p.key;
    }
    EXPECT_EQ(shipped.displayShortcut("palette.show"), "⌘K");
    std::unordered_set<KeyChord> seen;
    for (const KeyBinding& binding : shipped.profile().bindings) {
        const auto chord = KeyChord::parse(binding.key);
        ASSERT_TRUE(chord) << binding.key;
        EXPECT_TRUE(seen.insert(*chord).second) << binding.key << " is bound twice";
    }
}

}  // namespace
}  // namespace brontile
