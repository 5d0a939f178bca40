// The desktop shell's look: one calm dark palette built around the viewport's clear colour, the
// colours every panel shares, and the style sheet that shapes panels and floating overlays.
#pragma once

#include <QColor>

#include <Qt>

class QApplication;
class QBoxLayout;
class QFrame;
class QLayout;
class QWidget;

namespace brontile::desktop {

namespace theme {

// The viewport's clear colour; the floating overlays sit on it.
inline constexpr QColor kCanvas{32, 34, 40};
// Header, toolbar, inspector and status bar: a step darker than the canvas, so the model is the
// brightest thing in the window.
inline constexpr QColor kChrome{25, 27, 32};
// Fields and lists inside the chrome.
inline constexpr QColor kWell{20, 22, 26};
// Floating overlays (action bar, HUD, palette): a step lighter than the canvas.
inline constexpr QColor kOverlay{43, 47, 55};
inline constexpr QColor kBorder{58, 63, 73};
inline constexpr QColor kText{226, 230, 236};
inline constexpr QColor kSecondaryText{150, 158, 170};
inline constexpr QColor kFaintText{104, 111, 123};
inline constexpr QColor kAccent{74, 158, 255};
// What the viewport paints selected geometry with, for panels that echo the selection.
inline constexpr QColor kSelection{255, 148, 41};
// Sketch mode's badge and markers.
inline constexpr QColor kSketch{240, 176, 72};
// Error messages.
inline constexpr QColor kError{255, 110, 96};

// The pixel size of ordinary text.
inline constexpr int kFontPixels = 13;

// How a panel's background is drawn by the style sheet.
enum class Surface {
    // Docked around the viewport.
    chrome,
    // A small rounded pill floating over the viewport.
    overlay,
    // A larger floating card (the palette, the shortcut sheet).
    card,
};

// Gives `widget` the style sheet's background for `surface`.
void setSurface(QWidget& widget, Surface surface);

// How a label's text is drawn.
enum class TextRole {
    // Ordinary text.
    normal,
    // Headings inside panels.
    heading,
    // Small upper-case captions above sections and values.
    caption,
    secondary,
    faint,
    error,
    // The "SKETCH MODE" badge.
    badge,
    // Names of the sketch being edited.
    sketch,
};

void setTextRole(QWidget& widget, TextRole role);

// `colour` with its alpha replaced.
[[nodiscard]] QColor withAlpha(QColor colour, int alpha);

// A hairline across a box layout: horizontal in a vertical layout and the other way round.
QFrame* addDivider(QBoxLayout& layout);

// Takes every item out of `layout`; its widgets are hidden and deleted once control is back in
// the event loop, so a button may retire the row it sits in from its own click.
void retireItems(QLayout& layout);

}  // namespace theme

// Fusion with the dark palette, the text size and the panels' style sheet, for the whole
// application.
void applyTheme(QApplication& app);

}  // namespace brontile::desktop
