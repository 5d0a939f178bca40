#include "desktop/menu_layout.hpp"

#include <algorithm>

#include "commands/app_command_id.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile::desktop {
namespace {

// The menus as laid out by hand, tool commands placed among their neighbours.
std::vector<MenuLayout> arrangedMenus() {
    namespace A = AppCommandID;
    const std::nullopt_t rule = std::nullopt;
    return {
        {"&File",
         {A::fileNew, A::fileOpen, A::fileImport, rule, A::fileSave, A::fileSaveAs, rule,
          A::exportSTL, A::exportOBJ, A::export3MF, A::exportSTEP, A::exportIGES}},
        {"&Edit",
         {A::editUndo, A::editRedo, rule, A::editDelete, A::editDuplicate, A::editSelectAll,
          A::editDeselect, A::editRepeatLast}},
        {"&Sketch",
         {A::sketchNew,
          A::sketchNewFront,
          A::sketchNewRight,
          A::sketchFinish,
          rule,
          A::toolLine,
          A::toolRectangle,
          A::toolCircle,
          A::toolArc,
          A::toolPolygon,
          rule,
          A::toolOffset,
          A::toolTrim,
          A::editConstruction,
          rule,
          A::constraintHorizontal,
          A::constraintVertical,
          A::constraintParallel,
          A::constraintPerpendicular,
          A::constraintEqual,
          A::constraintCoincident,
          A::constraintMidpoint,
          A::constraintTangent,
          A::constraintDimension,
          A::constraintFix}},
        {"S&olid", {A::toolExtrude,   A::toolRevolve, A::toolFillet,  A::toolShell,
                    A::toolBodyMode,  rule,           A::toolUnion,   A::toolSubtract,
                    A::toolIntersect, rule,           A::toolMove,    A::toolRotate,
                    A::toolScale,     A::toolMirror,  A::toolPattern, rule,
                    A::toolMeasure,   A::toolSelect,  rule,           A::bodyHide,
                    A::bodyIsolate,   A::bodyShowAll}},
        {"&View",
         {A::viewFrameAll, A::viewResetCamera, A::viewToggleGrid, A::viewSection, A::toolSection,
          A::viewSectionTop, A::viewSectionFront, A::viewSectionRight, A::viewProjection, rule,
          A::viewIso, A::viewTop, A::viewFront, A::viewRight}},
        {"&Help", {A::paletteShow, A::helpCheatSheet}},
    };
}

bool listed(const std::vector<MenuLayout>& menus, const CommandID& command) {
    return std::ranges::any_of(menus, [&](const MenuLayout& menu) {
        return std::ranges::find(menu.items, std::optional(command)) != menu.items.end();
    });
}

// Every tool has a menu item: one the layout does not place goes at the end of the Sketch
// menu when it works in a sketch and of the Solid menu otherwise, after a rule.
void addUnplacedTools(std::vector<MenuLayout>& menus) {
    const auto menu = [&](std::string_view title) -> MenuLayout& {
        return *std::ranges::find(menus, title, &MenuLayout::title);
    };
    std::vector<const ToolDescriptor*> unplaced;
    for (const ToolDescriptor& tool : toolDescriptors()) {
        if (!listed(menus, tool.command)) unplaced.push_back(&tool);
    }
    for (const bool sketch : {true, false}) {
        MenuLayout& into = menu(sketch ? "&Sketch" : "S&olid");
        bool ruled = false;
        for (const ToolDescriptor* tool : unplaced) {
            if ((tool->kind == ToolKind::sketch) != sketch) continue;
            if (!std::exchange(ruled, true)) into.items.emplace_back(std::nullopt);
            into.items.emplace_back(tool->command);
        }
    }
}

}  // namespace

const std::vector<MenuLayout>& menuLayouts() {
    static const std::vector<MenuLayout> menus = [] {
        std::vector<MenuLayout> arranged = arrangedMenus();
        addUnplacedTools(arranged);
        return arranged;
    }();
    return menus;
}

}  // namespace brontile::desktop
