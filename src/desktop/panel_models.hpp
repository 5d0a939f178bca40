// What the panels around the viewport show, as plain values: which commands the action bar
// offers, how buttons are labelled, how the palette's highlight moves, what the HUD's field starts
// with and how the status bar sums up the selection. Kept free of Qt so that the rules can be
// checked without a window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_id.hpp"
#include "geometry/length_unit.hpp"
#include "interaction/selection.hpp"
#include "tools/hud_state.hpp"

namespace brontile::desktop {

// The action bar's commands for a selection, in display order: the first of six situations that
// applies decides (a sketch being edited, one face, several bodies, one body, a document with
// bodies but none involved, an empty document).
[[nodiscard]] std::vector<CommandID> contextualCommands(const Selection& selection, bool inSketch,
                                                        std::size_t bodyCount);

// A button's label for a registry title: the part before a "/" ("Fillet / Chamfer" → "Fillet"),
// "Sketch" for the "New Sketch…" family, else the title itself.
[[nodiscard]] std::string shortTitle(std::string_view title);

// The palette's highlighted row after Down or Up; both stay inside the results (row 0 when there
// are none).
[[nodiscard]] std::size_t paletteDown(std::size_t highlighted, std::size_t count);
[[nodiscard]] std::size_t paletteUp(std::size_t highlighted);

// What the HUD's field is pre-filled with for a length: the value in `units` with at most four
// decimals and no trailing zeros ("25", "12.5"); empty when there is no value worth editing.
[[nodiscard]] std::string hudEditableText(std::optional<double> valueMM, LengthUnit units);
// As above for the HUD's own quantity: only a length is converted to the document's unit; an
// angle, factor or count is written as the plain number the session reads back.
[[nodiscard]] std::string hudEditableText(const HUDState& hud, LengthUnit units);

// "2 bodies · 1 face": the non-zero counts of bodies, faces, sketch curves and constraints, each
// noun singular or plural to agree with its count; "nothing selected" when there are none.
[[nodiscard]] std::string selectionSummary(const Selection& selection);

// The toolbar from top to bottom; an empty slot is a divider between groups.
[[nodiscard]] std::vector<std::optional<CommandID>> toolbarCommands(bool inSketch);
// The header's buttons: undo, redo, frame all, finish sketch.
[[nodiscard]] std::vector<CommandID> headerCommands();
// The view cube's views: isometric, front, right, top.
[[nodiscard]] std::vector<CommandID> viewCubeCommands();

// The closing line of the shortcut sheet: how the mouse and touchpad move the camera.
inline constexpr std::string_view kNavigationLine =
    "Navigation: right-drag or two-finger scroll to orbit \u00B7 Shift to pan \u00B7 middle-drag "
    "to pan \u00B7 scroll wheel or pinch to zoom \u00B7 left-drag empty space to orbit in Select.";

}  // namespace brontile::desktop
