// The program's command table, its tools' rows given by the tools themselves: every command with
// its title, group and icon in presentation order, and the palette's search over it.
#include <gtest/gtest.h>

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

struct Row {
    std::string_view id, title, category;
    std::optional<std::string_view> symbol;
};

// Every built-in command in presentation order. Ellipses are the single character U+2026, spelt
// here as its UTF-8 bytes; icons are shared on purpose and eleven commands have none.
// clang-format off
const Row kTable[] = {
    {"file.new", "New Document", "File", "doc"},
    {"file.open", "Open\xE2\x80\xA6", "File", "folder"},
    {"file.save", "Save", "File", "square.and.arrow.down"},
    {"file.saveAs", "Save As\xE2\x80\xA6", "File", {}},
    {"file.exportSTL", "Export STL\xE2\x80\xA6", "File", "square.and.arrow.up"},
    {"file.exportOBJ", "Export OBJ\xE2\x80\xA6", "File", {}},
    {"file.export3MF", "Export 3MF\xE2\x80\xA6", "File", {}},
    {"file.exportSTEP", "Export STEP\xE2\x80\xA6", "File", {}},
    {"file.exportIGES", "Export IGES\xE2\x80\xA6", "File", {}},
    {"edit.undo", "Undo", "Edit", "arrow.uturn.backward"},
    {"edit.redo", "Redo", "Edit", "arrow.uturn.forward"},
    {"edit.delete", "Delete", "Edit", "trash"},
    {"edit.selectAll", "Select All Bodies", "Edit", {}},
    {"edit.deselect", "Deselect All", "Edit", {}},
    {"edit.repeatLast", "Repeat Last Tool", "Edit", "repeat"},
    {"edit.duplicate", "Duplicate", "Edit", "plus.square.on.square"},
    {"edit.construction", "Toggle Construction", "Sketch", "line.diagonal.dashed"},
    {"tool.select", "Select", "Tools", "cursorarrow"},
    {"tool.line", "Line", "Sketch", "line.diagonal"},
    {"tool.rectangle", "Rectangle", "Sketch", "rectangle"},
    {"tool.circle", "Circle", "Sketch", "circle"},
    {"tool.arc", "Arc", "Sketch", "pencil.and.outline"},
    {"tool.polygon", "Polygon", "Sketch", "hexagon"},
    {"tool.offset", "Offset", "Sketch", "square.on.circle"},
    {"tool.trim", "Trim", "Sketch", "scissors"},
    {"sketch.new", "New Sketch on Ground (XY)", "Sketch", "square.on.square"},
    {"sketch.newFront", "New Sketch on Front (XZ)", "Sketch", {}},
    {"sketch.newRight", "New Sketch on Right (YZ)", "Sketch", {}},
    {"sketch.finish", "Finish Sketch", "Sketch", "checkmark.square"},
    {"tool.extrude", "Extrude", "Solid", "cube"},
    {"tool.revolve", "Revolve", "Solid", "arrow.triangle.2.circlepath"},
    {"tool.fillet", "Fillet / Chamfer", "Solid", "capsule"},
    {"tool.shell", "Shell", "Solid", "shippingbox"},
    {"tool.union", "Union", "Solid", "circle.lefthalf.filled"},
    {"tool.subtract", "Subtract", "Solid", "minus.circle"},
    {"tool.intersect", "Intersect", "Solid", "circle.circle"},
    {"tool.move", "Move", "Transform", "arrow.up.and.down.and.arrow.left.and.right"},
    {"tool.rotate", "Rotate", "Transform", "rotate.right"},
    {"tool.scale", "Scale", "Transform", "arrow.up.left.and.arrow.down.right"},
    {"tool.mirror", "Mirror", "Transform", "arrow.left.and.right.righttriangle.left.righttriangle.right"},
    {"tool.pattern", "Linear Pattern", "Transform", "rectangle.split.2x1"},
    {"tool.measure", "Measure", "Inspect", "ruler"},
    {"tool.cancel", "Cancel / Back to Select", "Tools", "xmark"},
    {"tool.confirm", "Confirm", "Tools", "return"},
    {"body.hide", "Hide Selected Bodies", "Body", "eye.slash"},
    {"body.showAll", "Show All Bodies", "Body", "eye"},
    {"body.isolate", "Isolate Selection", "Body", "eye.circle"},
    {"view.frameAll", "Frame All", "View", "arrow.up.left.and.arrow.down.right"},
    {"view.resetCamera", "Reset Camera", "View", {}},
    {"view.top", "Top View", "View", {}},
    {"view.front", "Front View", "View", {}},
    {"view.right", "Right View", "View", {}},
    {"view.iso", "Isometric View", "View", {}},
    {"view.toggleGrid", "Toggle Grid", "View", "grid"},
    {"view.section", "Section View", "View", "square.split.diagonal"},
    {"constraint.horizontal", "Horizontal", "Constraints", "arrow.left.and.right"},
    {"constraint.vertical", "Vertical", "Constraints", "arrow.up.and.down"},
    {"constraint.parallel", "Parallel", "Constraints", "equal"},
    {"constraint.perpendicular", "Perpendicular", "Constraints", "angle"},
    {"constraint.equal", "Equal", "Constraints", "equal.circle"},
    {"constraint.coincident", "Coincident", "Constraints", "circle.circle"},
    {"constraint.midpoint", "Midpoint", "Constraints", "diamond"},
    {"constraint.tangent", "Tangent", "Constraints", "circle.bottomhalf.filled"},
    {"constraint.dimension", "Dimension", "Constraints", "ruler"},
    {"palette.show", "Command Palette", "Help", "command"},
    {"help.cheatSheet", "Keyboard Shortcuts", "Help", "keyboard"},
    {"hud.edit", "Edit Dimension Value", "Tools", "number"},
};
// clang-format on

TEST(CommandTable, EveryBuiltInCommandWithItsTitleCategoryAndIconInOrder) {
    const auto all = programRegistry().allEntries();
    ASSERT_EQ(all.size(), std::size(kTable));
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "position " << i + 1 << ", " << kTable[i].id);
        EXPECT_EQ(all[i].id.rawValue, kTable[i].id);
        EXPECT_EQ(all[i].title, kTable[i].title);
        EXPECT_EQ(all[i].category, kTable[i].category);
        EXPECT_EQ(all[i].symbol, kTable[i].symbol);
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
    EXPECT_EQ(tools.size(), 23u);
    const struct {
        std::string name, query;
        std::vector<std::string> ids;
    } rows[] = {
        {"id prefix", "tool.", tools},
        {"trimmed and case-insensitive", "  UNDO  ", {"edit.undo"}},
        {"category, each once",
         "view",
         {"view.frameAll", "view.resetCamera", "view.top", "view.front", "view.right", "view.iso",
          "view.toggleGrid", "view.section"}},
        {"inside parentheses", "xy", {"sketch.new"}},
        {"across words", "new sk", {"sketch.new", "sketch.newFront", "sketch.newRight"}},
        {"Unicode spaces trimmed", "\u00A0open\u3000", {"file.open"}},
        {"non-ASCII character",
         "\u2026",
         {"file.open", "file.saveAs", "file.exportSTL", "file.exportOBJ", "file.export3MF",
          "file.exportSTEP", "file.exportIGES"}},
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
