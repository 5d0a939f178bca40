// The built-in command table, palette search and the identifiers' stored form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands/command_registry.hpp"

namespace brontile {
namespace {

using Entry = CommandRegistry::Entry;

std::vector<std::string> idsOf(const std::vector<Entry>& entries) {
    std::vector<std::string> ids;
    for (const Entry& e : entries) ids.push_back(e.id.rawValue);
    return ids;
}

TEST(CommandTable, RowsThatAreEasyToGetWrong) {
    const CommandRegistry registry;
    const auto all = registry.allEntries();
    ASSERT_EQ(all.size(), 64u);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const Entry& e) { return !e.symbol; }), 11);
    // The ellipsis is the single character U+2026, spelt here as its UTF-8 bytes.
    for (const Entry& e : std::vector<Entry>{
             {"file.open", "Open\xE2\x80\xA6", "File", "folder"},
             {"file.exportSTL", "Export STL\xE2\x80\xA6", "File", "square.and.arrow.up"},
             {"file.saveAs", "Save As\xE2\x80\xA6", "File", std::nullopt},
             {"edit.construction", "Toggle Construction", "Sketch", "line.diagonal.dashed"},
             {"constraint.coincident", "Coincident", "Constraints", "circle.circle"},
         }) {
        EXPECT_EQ(registry.entry(e.id), e) << e.id;
    }
    EXPECT_EQ(all.back(),
              (Entry{AppCommandID::hudEdit, "Edit Dimension Value", "Tools", "number"}));
    EXPECT_EQ(AppCommandID::exportOBJ.rawValue, "file.exportOBJ");
}

TEST(CommandTable, GroupsByExactCategoryInFirstAppearanceOrder) {
    const CommandRegistry registry;
    EXPECT_EQ(registry.categories(),
              (std::vector<std::string>{"File", "Edit", "Sketch", "Tools", "Solid", "Transform",
                                        "Inspect", "Body", "View", "Constraints", "Help"}));
    EXPECT_EQ(idsOf(registry.entries("Sketch")),
              (std::vector<std::string>{"edit.construction", "tool.line", "tool.rectangle",
                                        "tool.circle", "tool.arc", "tool.polygon", "tool.offset",
                                        "tool.trim", "sketch.new", "sketch.newFront",
                                        "sketch.newRight", "sketch.finish"}));
    EXPECT_TRUE(registry.entries("sketch").empty());
}

TEST(CommandRegistry, UnknownIdsHaveTheirOwnTextAsTitleAndAppearNowhere) {
    const CommandRegistry registry;
    EXPECT_EQ(registry.title("Edit.Undo"), "Edit.Undo");  // ids are case-sensitive
    EXPECT_EQ(registry.entry("Edit.Undo"), std::nullopt);
    EXPECT_TRUE(registry.search("frobnicate").empty());
}

TEST(CommandRegistry, ReRegisteringReplacesContentButKeepsPosition) {
    CommandRegistry registry;
    registry.registerEntry({AppCommandID::editRedo, "Redo Again", "Edit", std::nullopt});
    registry.registerEntry({"plugin.extra", "Extra", "Plugins", "star"});
    const auto all = registry.allEntries();
    ASSERT_EQ(all.size(), 65u);
    EXPECT_EQ(all[7], (Entry{"edit.redo", "Redo Again", "Edit", std::nullopt}));
    EXPECT_EQ(all.back().id, CommandID{"plugin.extra"});
}

TEST(PaletteSearch, BlankQueriesListEveryCommandInTableOrder) {
    const CommandRegistry registry;
    for (const char* query : {"", "   ", "\n", "\u00A0\u2028"}) {
        EXPECT_EQ(registry.search(query), registry.allEntries()) << query;
    }
}

TEST(PaletteSearch, IdPrefixFindsEveryIdWithThatPrefix) {
    const CommandRegistry registry;
    std::vector<std::string> expected;
    for (const std::string& id : idsOf(registry.allEntries())) {
        if (id.starts_with("tool.")) expected.push_back(id);
    }
    EXPECT_EQ(expected.size(), 23u);
    EXPECT_EQ(idsOf(registry.search("tool.")), expected);
}

struct SearchCase {
    std::string name;
    std::string query;
    std::vector<std::string> ids;
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, FindsExactlyTheseIdsInTableOrder) {
    EXPECT_EQ(idsOf(CommandRegistry{}.search(GetParam().query)), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    PaletteSearch, Search,
    testing::Values(
        SearchCase{"TrimmedAndCaseInsensitive", "  UNDO  ", {"edit.undo"}},
        SearchCase{"CategoryEachOnce",
                   "view",
                   {"view.frameAll", "view.resetCamera", "view.top", "view.front", "view.right",
                    "view.iso", "view.toggleGrid", "view.section"}},
        SearchCase{"InsideParentheses", "xy", {"sketch.new"}},
        SearchCase{"AcrossWords", "new sk", {"sketch.new", "sketch.newFront", "sketch.newRight"}},
        SearchCase{"UnicodeSpacesTrimmed", "\u00A0open\u3000", {"file.open"}},
        SearchCase{"NonAsciiCharacter",
                   "\u2026",
                   {"file.open", "file.saveAs", "file.exportSTL", "file.exportOBJ"}},
        SearchCase{"NoWordSplitting", "sketch new", {}}),
    [](const auto& row) { return row.param.name; });

TEST(CommandIDJson, IsABareStringThatRoundTripsAndRejectsOtherKinds) {
    EXPECT_EQ(toJsonText(CommandID{"tool.line"}), "\"tool.line\"");
    const CommandID odd{"Ünïcode \"quoted\"\n"};
    EXPECT_EQ(fromJsonText<CommandID>(toJsonText(odd)), odd);
    try {
        (void)fromJsonText<std::vector<CommandID>>(R"(["tool.line", {"rawValue": "tool.arc"}])");
        FAIL() << "read an object as a command id";
    } catch (const JsonDecodeError& e) {
        EXPECT_EQ(std::string(e.what()), "Expected a string but found an object (at [1])");
    }
}

}  // namespace
}  // namespace brontile
