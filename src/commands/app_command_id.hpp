// The identifiers of the built-in commands, in the order the palette lists them. Their raw texts
// are stored in keymap files, so they must never change.
#pragma once

#include "commands/command_id.hpp"

namespace brontile::AppCommandID {

// The export commands live under "file." although their names drop the prefix.
inline const CommandID fileNew{"file.new"};
inline const CommandID fileOpen{"file.open"};
inline const CommandID fileImport{"file.import"};
inline const CommandID fileSave{"file.save"};
inline const CommandID fileSaveAs{"file.saveAs"};
inline const CommandID exportSTL{"file.exportSTL"};
inline const CommandID exportOBJ{"file.exportOBJ"};
inline const CommandID export3MF{"file.export3MF"};
inline const CommandID exportSTEP{"file.exportSTEP"};
inline const CommandID exportIGES{"file.exportIGES"};
inline const CommandID editUndo{"edit.undo"};
inline const CommandID editRedo{"edit.redo"};
inline const CommandID editDelete{"edit.delete"};
inline const CommandID editSelectAll{"edit.selectAll"};
inline const CommandID editDeselect{"edit.deselect"};
inline const CommandID editRepeatLast{"edit.repeatLast"};
inline const CommandID editDuplicate{"edit.duplicate"};
inline const CommandID editConstruction{"edit.construction"};
inline const CommandID toolSelect{"tool.select"};
inline const CommandID toolLine{"tool.line"};
inline const CommandID toolRectangle{"tool.rectangle"};
inline const CommandID toolCircle{"tool.circle"};
inline const CommandID toolArc{"tool.arc"};
inline const CommandID toolPolygon{"tool.polygon"};
inline const CommandID toolOffset{"tool.offset"};
inline const CommandID toolTrim{"tool.trim"};
inline const CommandID sketchNew{"sketch.new"};
inline const CommandID sketchNewFront{"sketch.newFront"};
inline const CommandID sketchNewRight{"sketch.newRight"};
inline const CommandID sketchFinish{"sketch.finish"};
inline const CommandID toolExtrude{"tool.extrude"};
inline const CommandID toolRevolve{"tool.revolve"};
inline const CommandID toolFillet{"tool.fillet"};
inline const CommandID toolShell{"tool.shell"};
inline const CommandID toolSection{"tool.section"};
inline const CommandID toolUnion{"tool.union"};
inline const CommandID toolSubtract{"tool.subtract"};
inline const CommandID toolIntersect{"tool.intersect"};
inline const CommandID toolMove{"tool.move"};
inline const CommandID toolRotate{"tool.rotate"};
inline const CommandID toolScale{"tool.scale"};
inline const CommandID toolMirror{"tool.mirror"};
inline const CommandID toolPattern{"tool.pattern"};
inline const CommandID toolMeasure{"tool.measure"};
inline const CommandID toolCancel{"tool.cancel"};
inline const CommandID toolConfirm{"tool.confirm"};
inline const CommandID toolBodyMode{"tool.bodyMode"};
inline const CommandID bodyHide{"body.hide"};
inline const CommandID bodyShowAll{"body.showAll"};
inline const CommandID bodyIsolate{"body.isolate"};
inline const CommandID viewFrameAll{"view.frameAll"};
inline const CommandID viewResetCamera{"view.resetCamera"};
inline const CommandID viewTop{"view.top"};
inline const CommandID viewFront{"view.front"};
inline const CommandID viewRight{"view.right"};
inline const CommandID viewIso{"view.iso"};
inline const CommandID viewToggleGrid{"view.toggleGrid"};
inline const CommandID viewSection{"view.section"};
inline const CommandID viewProjection{"view.projection"};
inline const CommandID viewSectionTop{"view.sectionTop"};
inline const CommandID viewSectionFront{"view.sectionFront"};
inline const CommandID viewSectionRight{"view.sectionRight"};
inline const CommandID constraintHorizontal{"constraint.horizontal"};
inline const CommandID constraintVertical{"constraint.vertical"};
inline const CommandID constraintParallel{"constraint.parallel"};
inline const CommandID constraintPerpendicular{"constraint.perpendicular"};
inline const CommandID constraintEqual{"constraint.equal"};
inline const CommandID constraintCoincident{"constraint.coincident"};
inline const CommandID constraintMidpoint{"constraint.midpoint"};
inline const CommandID constraintTangent{"constraint.tangent"};
inline const CommandID constraintDimension{"constraint.dimension"};
inline const CommandID constraintFix{"constraint.fix"};
inline const CommandID paletteShow{"palette.show"};
inline const CommandID helpCheatSheet{"help.cheatSheet"};
inline const CommandID hudEdit{"hud.edit"};

}  // namespace brontile::AppCommandID
