#include "desktop/menu_layout.hpp"

#include "commands/app_command_id.hpp"

namespace brontile::desktop {

const std::vector<MenuLayout>& menuLayouts() {
    namespace A = AppCommandID;
    const std::nullopt_t rule = std::nullopt;
    static const std::vector<MenuLayout> kMenus{
        {"&File",
         {A::fileNew, A::fileOpen, rule, A::fileSave, A::fileSaveAs, rule, A::exportSTL,
          A::exportOBJ, A::export3MF, A::exportSTEP, A::exportIGES}},
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
          A::constraintDimension}},
        {"S&olid", {A::toolExtrude,
                    A::toolRevolve,
                    A::toolFillet,
                    A::toolShell,
                    rule,
                    A::toolUnion,
                    A::toolSubtract,
                    A::toolIntersect,
                    rule,
                    A::toolMove,
                    A::toolRotate,
                    A::toolScale,
                    A::toolMirror,
                    A::toolPattern,
                    rule,
                    A::toolMeasure,
                    A::toolSelect,
                    rule,
                    A::bodyHide,
                    A::bodyIsolate,
                    A::bodyShowAll}},
        {"&View",
         {A::viewFrameAll, A::viewResetCamera, A::viewToggleGrid, A::viewSection, rule, A::viewIso,
          A::viewTop, A::viewFront, A::viewRight}},
        {"&Help", {A::paletteShow, A::helpCheatSheet}},
    };
    return kMenus;
}

}  // namespace brontile::desktop
