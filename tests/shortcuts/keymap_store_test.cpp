// The keymap store: which command a key reaches, which shortcuts a command shows, rebinding,
// and falling back quietly when the profile file is missing or broken.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "shortcuts/keymap_store.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

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

TEST(KeymapLookup, LastBindingWinsTheKeyButBothCommandsListIt) {
    const KeymapStore store = storeOf({{"a.first", "e"}, {"a.first", "x"}, {"a.second", "E"}});
    EXPECT_EQ(store.command(chord("e")), CommandID("a.second"));
    EXPECT_EQ(store.chords("a.first"), (std::vector{chord("e"), chord("x")}));
    EXPECT_EQ(store.chords("a.second"), std::vector{chord("e")});
    EXPECT_EQ(store.primaryChord("a.first"), chord("e"));
    EXPECT_EQ(store.displayShortcut("a.second"), "E");
    EXPECT_EQ(store.displayShortcut("a.none"), std::nullopt);
}

TEST(KeymapLookup, AllBindingsSortedByCommandEachChordOnce) {
    const KeymapStore store = storeOf({{"view.top", "1"},
                                       {"edit.undo", "cmd+z"},
                                       {"view.top", "t"},
                                       {"edit.delete", "1"},
                                       {"edit.undo", "cmd+z"},
                                       {"edit.undo", "ctrl+z"}});
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
    EXPECT_EQ(toJson(profile)["bindings"][0]["command"], "palette.show");

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

TEST(KeymapDefaults, FirstBundleWithTheFileIsUsed) {
    const test::ScratchDirectory scratch;
    const std::vector<fs::path> candidates{
        scratch.path() / "absent",
        scratch.path(),  // exists, but has no profile
        bundleWith(scratch, "good",
                   R"({"version":1,"profile":"p","bindings":[{"command":"c.d","key":"z"}]})"),
        bundleWith(scratch, "later", "not read"),
    };
    const auto [store, problem] = KeymapStore::loadDefaultReporting(candidates);
    EXPECT_FALSE(problem);
    EXPECT_EQ(store.profile().profile, "p");
    EXPECT_EQ(store.command(chord("z")), CommandID("c.d"));
}

TEST(KeymapDefaults, MissingOrBrokenProfilesFallBackToTheThreeBuiltInBindings) {
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
        // The person hears why only three keys work: the bundle is missing, or its file is
        // named with what is wrong in it.
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(candidates.empty() || candidates[0].filename() == "absent"
                                    ? "were not found"
                                    : candidates[0].string()),
                  std::string::npos)
            << *problem;
        EXPECT_EQ(store.profile(), KeymapProfile::builtInFallback());
        EXPECT_EQ(store.allBindings().size(), 3u);
        EXPECT_EQ(store.command(KeyPress{"escape", {}}), CommandID("tool.cancel"));
    }
}

}  // namespace
}  // namespace brontile
