// The program's command table, its tools' rows given by the tools themselves: every command in
// presentation order with its title, group and icon, and the palette's search over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_registry.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {
namespace {

using Entry = CommandRegistry::Entry;

CommandRegistry programRegistry() { return CommandRegistry(toolCommandEntries()); }

std::vector<std::string> idsOf(const std::vector<Entry>& entries) {
    std::vector<std::string> ids;
    for (const Entry& e : entries) ids.push_back(e.id.rawValue);
    return ids;
}

// Every command in presentation order, the tools' rows in the places the registry keeps for them.
constexpr std::string_view kOrder =
    "file.new file.open file.import file.save file.saveAs file.exportSTL file.exportOBJ "
    "file.export3MF "
    "file.exportSTEP file.exportIGES edit.undo edit.redo edit.delete edit.selectAll "
    "edit.deselect edit.repeatLast edit.duplicate edit.construction tool.select tool.line "
    "tool.rectangle tool.circle tool.arc tool.polygon tool.offset tool.trim sketch.new "
    "sketch.newFront sketch.newRight sketch.finish tool.extrude tool.revolve tool.fillet "
    "tool.shell tool.union tool.subtract tool.intersect tool.move tool.rotate tool.scale "
    "tool.mirror tool.pattern tool.measure tool.cancel tool.confirm tool.bodyMode body.hide "
    "body.showAll "
    "body.isolate view.frameAll view.resetCamera view.top view.front view.right view.iso "
    "view.toggleGrid view.section view.projection tool.section view.sectionTop "
    "view.sectionFront view.sectionRight constraint.horizontal constraint.vertical "
    "constraint.parallel "
    "constraint.perpendicular constraint.equal constraint.coincident constraint.midpoint "
    "constraint.tangent constraint.dimension constraint.fix palette.show help.cheatSheet "
    "hud.edit";

TEST(CommandTable, EveryCommandInItsPlaceWithItsTitleGroupAndIcon) {
    const CommandRegistry registry = programRegistry();
    std::vector<std::string> order;
    for (std::string_view rest = kOrder; !rest.empty();) {
        const std::size_t space = std::min(rest.find(' '), rest.size());
        order.emplace_back(rest.substr(0, space));
        rest.remove_prefix(std::min(space + 1, rest.size()));
    }
    EXPECT_EQ(idsOf(registry.allEntries()), order);
    const auto entry = [&](std::string_view id) {
        return *registry.entry(CommandID(std::string(id)));
    };
    // The tools name their commands, some with more than the tool's own name.
    EXPECT_EQ(entry("tool.fillet"), (Entry{"tool.fillet", "Fillet / Chamfer", "Solid", "capsule"}));
    EXPECT_EQ(entry("tool.pattern").title, "Linear Pattern");
    EXPECT_EQ(entry("tool.select").category, "Tools");
    EXPECT_EQ(entry("hud.edit"), (Entry{"hud.edit", "Edit Dimension Value", "Tools", "number"}));
    EXPECT_EQ(entry("edit.construction").category, "Sketch");
    // Every command has an icon, and none shares one with another.
    std::set<std::string> symbols;
    for (const Entry& e : registry.allEntries()) {
        ASSERT_TRUE(e.symbol) << e.id;
        EXPECT_TRUE(symbols.insert(*e.symbol).second) << *e.symbol;
    }
}

TEST(CommandTable, GroupsByExactCategoryInFirstAppearanceOrder) {
    const CommandRegistry registry = programRegistry();
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

TEST(PaletteSearch, FindsExactlyTheseIdsInTableOrder) {
    const CommandRegistry registry = programRegistry();
    // Blank queries list every command; an id prefix finds every id with it.
    for (const char* query : {"", "   ", "\n", "\u00A0\u2028"}) {
        EXPECT_EQ(registry.search(query), registry.allEntries()) << query;
    }
    std::vector<std::string> tools;
    for (const std::string& id : idsOf(registry.allEntries())) {
        if (id.starts_with("tool.")) tools.push_back(id);
    }
    EXPECT_EQ(tools.size(), 25u);
    const struct {
        std::string name, query;
        std::vector<std::string> ids;
    } rows[] = {
        {"id prefix", "tool.", tools},
        {"trimmed and case-insensitive", "  UNDO  ", {"edit.undo"}},
        {"category, each once",
         "view",
         {"view.frameAll", "view.resetCamera", "view.top", "view.front", "view.right", "view.iso",
          "view.toggleGrid", "view.section", "view.projection", "tool.section", "view.sectionTop",
          "view.sectionFront", "view.sectionRight"}},
        {"inside parentheses", "xy", {"sketch.new"}},
        {"across words", "new sk", {"sketch.new", "sketch.newFront", "sketch.newRight"}},
        {"Unicode spaces trimmed", "\u00A0open\u3000", {"file.open"}},
        {"non-ASCII character",
         "\u2026",
         {"file.open", "file.import", "file.saveAs", "file.exportSTL", "file.exportOBJ",
          "file.export3MF", "file.exportSTEP", "file.exportIGES"}},
        {"no word splitting", "sketch new", {}},
        {"unknown", "frobnicate", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(idsOf(registry.search(row.query)), row.ids) << row.name;
}

// Each tool's title is written once, in its descriptor, and no two commands share a title.
TEST(CommandTable, EveryToolHasItsOwnRowAndNoTitleIsWrittenTwice) {
    const CommandRegistry registry = programRegistry();
    for (const ToolDescriptor& tool : toolDescriptors()) {
        const auto entry = registry.entry(tool.command);
        ASSERT_TRUE(entry) << tool.id.rawValue;
        EXPECT_EQ(*entry, tool.commandEntry());
        EXPECT_EQ(findToolDescriptor(tool.command), &tool);
    }
    std::set<std::string> titles;
    for (const Entry& entry : registry.allEntries()) {
        EXPECT_TRUE(titles.insert(entry.title).second) << entry.title;
    }
}

}  // namespace
}  // namespace brontile
