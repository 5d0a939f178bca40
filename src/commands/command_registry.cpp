// The built-in command table and the registry's lookups and palette search.
#include "commands/command_registry.hpp"

#include <algorithm>
#include <utility>

namespace brontile {
namespace {

struct DefaultRow {
    const CommandID* id;
    // Empty for a tool's command: the row only holds its place, and the tool's own entry (its
    // title, group and icon) fills it.
    std::string_view title;
    std::string_view category;
    std::string_view symbol;  // empty: the command has no icon
};

// Presentation order. "edit.construction" is a Sketch command and "hud.edit" a Tools command even
// though they sit elsewhere. Every command has an icon of its own: two commands with one picture
// leave a person to tell them apart by reading, which is what the picture was to spare.
constexpr DefaultRow kDefaultRows[] = {
    {&AppCommandID::fileNew, "New Document", "File", "doc"},
    {&AppCommandID::fileOpen, "Open\u2026", "File", "folder"},
    {&AppCommandID::fileImport, "Import\u2026", "File", "cube.arrow.in"},
    {&AppCommandID::fileSave, "Save", "File", "square.and.arrow.down"},
    {&AppCommandID::fileSaveAs, "Save As\u2026", "File", "square.and.arrow.down.pencil"},
    {&AppCommandID::exportSTL, "Export STL\u2026", "File", "triangles.arrow.up"},
    {&AppCommandID::exportOBJ, "Export OBJ\u2026", "File", "vertices.arrow.up"},
    {&AppCommandID::export3MF, "Export 3MF\u2026", "File", "layers.arrow.up"},
    {&AppCommandID::exportSTEP, "Export STEP\u2026", "File", "cylinder.arrow.up"},
    {&AppCommandID::exportIGES, "Export IGES\u2026", "File", "surface.arrow.up"},
    {&AppCommandID::editUndo, "Undo", "Edit", "arrow.uturn.backward"},
    {&AppCommandID::editRedo, "Redo", "Edit", "arrow.uturn.forward"},
    {&AppCommandID::editDelete, "Delete", "Edit", "trash"},
    {&AppCommandID::editSelectAll, "Select All Bodies", "Edit", "square.dashed.boxes"},
    {&AppCommandID::editDeselect, "Deselect All", "Edit", "square.dashed.xmark"},
    {&AppCommandID::editRepeatLast, "Repeat Last Tool", "Edit", "repeat"},
    {&AppCommandID::editDuplicate, "Duplicate", "Edit", "plus.square.on.square"},
    {&AppCommandID::editConstruction, "Toggle Construction", "Sketch", "line.diagonal.dashed"},
    {&AppCommandID::toolSelect, {}, {}, {}},
    {&AppCommandID::toolLine, {}, {}, {}},
    {&AppCommandID::toolRectangle, {}, {}, {}},
    {&AppCommandID::toolCircle, {}, {}, {}},
    {&AppCommandID::toolArc, {}, {}, {}},
    {&AppCommandID::toolPolygon, {}, {}, {}},
    {&AppCommandID::toolOffset, {}, {}, {}},
    {&AppCommandID::toolTrim, {}, {}, {}},
    {&AppCommandID::sketchNew, "New Sketch on Ground (XY)", "Sketch", "square.on.square"},
    {&AppCommandID::sketchNewFront, "New Sketch on Front (XZ)", "Sketch", "square.front.pencil"},
    {&AppCommandID::sketchNewRight, "New Sketch on Right (YZ)", "Sketch", "square.right.pencil"},
    {&AppCommandID::sketchFinish, "Finish Sketch", "Sketch", "checkmark.square"},
    {&AppCommandID::toolExtrude, {}, {}, {}},
    {&AppCommandID::toolRevolve, {}, {}, {}},
    {&AppCommandID::toolFillet, {}, {}, {}},
    {&AppCommandID::toolShell, {}, {}, {}},
    {&AppCommandID::toolUnion, {}, {}, {}},
    {&AppCommandID::toolSubtract, {}, {}, {}},
    {&AppCommandID::toolIntersect, {}, {}, {}},
    {&AppCommandID::toolMove, {}, {}, {}},
    {&AppCommandID::toolRotate, {}, {}, {}},
    {&AppCommandID::toolScale, {}, {}, {}},
    {&AppCommandID::toolMirror, {}, {}, {}},
    {&AppCommandID::toolPattern, {}, {}, {}},
    {&AppCommandID::toolMeasure, {}, {}, {}},
    {&AppCommandID::toolCancel, "Cancel / Back to Select", "Tools", "xmark"},
    {&AppCommandID::toolConfirm, "Confirm", "Tools", "return"},
    {&AppCommandID::toolBodyMode, "New Body / Join / Cut", "Tools", "square.plus.minus"},
    {&AppCommandID::bodyHide, "Hide Selected Bodies", "Body", "eye.slash"},
    {&AppCommandID::bodyShowAll, "Show All Bodies", "Body", "eye"},
    {&AppCommandID::bodyIsolate, "Isolate Selection", "Body", "eye.circle"},
    {&AppCommandID::viewFrameAll, "Frame All", "View", "viewfinder"},
    {&AppCommandID::viewResetCamera, "Reset Camera", "View", "house"},
    {&AppCommandID::viewTop, "Top View", "View", "cube.top.filled"},
    {&AppCommandID::viewFront, "Front View", "View", "cube.front.filled"},
    {&AppCommandID::viewRight, "Right View", "View", "cube.right.filled"},
    {&AppCommandID::viewIso, "Isometric View", "View", "cube.corner.filled"},
    {&AppCommandID::viewToggleGrid, "Toggle Grid", "View", "grid"},
    {&AppCommandID::viewSection, "Section View", "View", "square.split.diagonal"},
    {&AppCommandID::viewProjection, "Orthographic / Perspective", "View", "cube.perspective"},
    {&AppCommandID::toolSection, {}, {}, {}},
    {&AppCommandID::viewSectionTop, "Section Along Top Plane", "View", "cube.section.top"},
    {&AppCommandID::viewSectionFront, "Section Along Front Plane", "View", "cube.section.front"},
    {&AppCommandID::viewSectionRight, "Section Along Right Plane", "View", "cube.section.right"},
    {&AppCommandID::constraintHorizontal, "Horizontal", "Constraints", "arrow.left.and.right"},
    {&AppCommandID::constraintVertical, "Vertical", "Constraints", "arrow.up.and.down"},
    {&AppCommandID::constraintParallel, "Parallel", "Constraints", "equal"},
    {&AppCommandID::constraintPerpendicular, "Perpendicular", "Constraints", "angle"},
    {&AppCommandID::constraintEqual, "Equal", "Constraints", "equal.circle"},
    {&AppCommandID::constraintCoincident, "Coincident", "Constraints", "lines.meet.dot"},
    {&AppCommandID::constraintMidpoint, "Midpoint", "Constraints", "diamond"},
    {&AppCommandID::constraintTangent, "Tangent", "Constraints", "circle.bottomhalf.filled"},
    {&AppCommandID::constraintDimension, "Dimension", "Constraints", "dimension.line"},
    {&AppCommandID::constraintFix, "Fix", "Constraints", "pin"},
    {&AppCommandID::paletteShow, "Command Palette", "Help", "command"},
    {&AppCommandID::helpCheatSheet, "Keyboard Shortcuts", "Help", "keyboard"},
    {&AppCommandID::hudEdit, "Edit Dimension Value", "Tools", "number"},
};

// The white space a pasted or typed palette query may carry at its ends: ASCII blanks and line
// breaks plus the Unicode spaces, in their UTF-8 form.
constexpr std::string_view kBlanks[] = {
    " ",      "\t",     "\n",     "\v",     "\f",     "\r",     "\u0085", "\u00A0", "\u1680",
    "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
    "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
};

// UTF-8 never matches a whole character in the middle of another, so stripping encoded blanks
// byte-wise from either end cannot split a character.
std::string_view trimmed(std::string_view text) {
    for (bool changed = true; changed;) {
        changed = false;
        for (const std::string_view blank : kBlanks) {
            if (text.starts_with(blank)) {
                text.remove_prefix(blank.size());
                changed = true;
            }
            if (text.ends_with(blank)) {
                text.remove_suffix(blank.size());
                changed = true;
            }
        }
    }
    return text;
}

// Bytes outside ASCII are left alone, so multi-byte characters survive intact.
std::string asciiLowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool containsIgnoringCase(std::string_view haystack, std::string_view loweredNeedle) {
    return asciiLowered(haystack).find(loweredNeedle) != std::string::npos;
}

}  // namespace

CommandRegistry::CommandRegistry(std::span<const Entry> toolEntries) {
    const auto toolEntry = [&](const CommandID& id) {
        return std::ranges::find(toolEntries, id, &Entry::id);
    };
    for (const DefaultRow& row : kDefaultRows) {
        if (row.title.empty()) {
            if (const auto it = toolEntry(*row.id); it != toolEntries.end()) registerEntry(*it);
            continue;
        }
        std::optional<std::string> symbol;
        if (!row.symbol.empty()) symbol.emplace(row.symbol);
        registerEntry(
            Entry{*row.id, std::string(row.title), std::string(row.category), std::move(symbol)});
    }
    for (const Entry& entry : toolEntries) {
        if (!entries_.contains(entry.id)) registerEntry(entry);
    }
}

void CommandRegistry::registerEntry(Entry entry) {
    CommandID id = entry.id;
    const auto [it, inserted] = entries_.insert_or_assign(id, std::move(entry));
    if (inserted) order_.push_back(std::move(id));
}

std::optional<CommandRegistry::Entry> CommandRegistry::entry(const CommandID& id) const {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

std::string CommandRegistry::title(const CommandID& id) const {
    const auto it = entries_.find(id);
    return it == entries_.end() ? id.rawValue : it->second.title;
}

std::vector<CommandRegistry::Entry> CommandRegistry::allEntries() const {
    std::vector<Entry> result;
    result.reserve(order_.size());
    for (const CommandID& id : order_) result.push_back(entries_.at(id));
    return result;
}

std::vector<CommandRegistry::Entry> CommandRegistry::entries(std::string_view category) const {
    std::vector<Entry> result;
    for (const CommandID& id : order_) {
        const Entry& e = entries_.at(id);
        if (e.category == category) result.push_back(e);
    }
    return result;
}

std::vector<std::string> CommandRegistry::categories() const {
    std::vector<std::string> result;
    for (const CommandID& id : order_) {
        const std::string& category = entries_.at(id).category;
        if (std::find(result.begin(), result.end(), category) == result.end()) {
            result.push_back(category);
        }
    }
    return result;
}

std::vector<CommandRegistry::Entry> CommandRegistry::search(std::string_view query) const {
    const std::string needle = asciiLowered(trimmed(query));
    if (needle.empty()) return allEntries();
    std::vector<Entry> result;
    for (const CommandID& id : order_) {
        const Entry& e = entries_.at(id);
        if (containsIgnoringCase(e.title, needle) || containsIgnoringCase(id.rawValue, needle) ||
            containsIgnoringCase(e.category, needle)) {
            result.push_back(e);
        }
    }
    return result;
}

}  // namespace brontile
