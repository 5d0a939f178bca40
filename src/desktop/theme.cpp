#include "desktop/theme.hpp"

#include <memory>

#include <QApplication>
#include <QBoxLayout>
#include <QFont>
#include <QFrame>
#include <QPalette>
#include <QStringList>
#include <QStyle>
#include <QWidget>

namespace brontile::desktop {
namespace theme {
namespace {

QString css(const QColor& colour) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

const char* surfaceName(Surface surface) {
    switch (surface) {
        case Surface::chrome: return "chrome";
        case Surface::overlay: return "overlay";
        case Surface::card: return "card";
    }
    return "chrome";
}

const char* textRoleName(TextRole role) {
    switch (role) {
        case TextRole::normal: return "normal";
        case TextRole::heading: return "heading";
        case TextRole::caption: return "caption";
        case TextRole::secondary: return "secondary";
        case TextRole::faint: return "faint";
        case TextRole::error: return "error";
        case TextRole::badge: return "badge";
        case TextRole::sketch: return "sketch";
    }
    return "secondary";
}

QPalette darkPalette() {
    QPalette palette;
    const auto both = [&](QPalette::ColorRole role, const QColor& colour) {
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
    };
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, kChrome);
        palette.setColor(group, QPalette::Base, kWell);
        palette.setColor(group, QPalette::AlternateBase, kCanvas);
        palette.setColor(group, QPalette::Button, kOverlay);
        palette.setColor(group, QPalette::ToolTipBase, kOverlay);
        palette.setColor(group, QPalette::ToolTipText, kText);
        palette.setColor(group, QPalette::Light, kBorder.lighter(130));
        palette.setColor(group, QPalette::Midlight, kBorder);
        palette.setColor(group, QPalette::Mid, kBorder.darker(120));
        palette.setColor(group, QPalette::Dark, kWell);
        palette.setColor(group, QPalette::Shadow, QColor(0, 0, 0));
        palette.setColor(group, QPalette::Link, kAccent);
        palette.setColor(group, QPalette::PlaceholderText, kFaintText);
    }
    both(QPalette::WindowText, kText);
    both(QPalette::Text, kText);
    both(QPalette::ButtonText, kText);
    both(QPalette::BrightText, QColor(255, 255, 255));
    both(QPalette::Highlight, kAccent);
    both(QPalette::HighlightedText, QColor(255, 255, 255));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kFaintText);
    palette.setColor(QPalette::Disabled, QPalette::Text, kFaintText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, kFaintText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, kBorder);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, kSecondaryText);
    return palette;
}

// `selector` inside any of the panel surfaces (the style sheet has no "property present" test).
QString inPanels(const QString& selector) {
    QStringList parts;
    for (const char* surface : {"chrome", "overlay", "card"}) {
        parts << QStringLiteral("*[surface=\"%1\"] %2").arg(QLatin1String(surface), selector);
    }
    return parts.join(QStringLiteral(", "));
}

// The colours the sheet's rules share, as style sheet values.
struct SheetColours {
    QString text = css(kText);
    QString secondary = css(kSecondaryText);
    QString faint = css(kFaintText);
    QString border = css(kBorder);
    QString hairline = css(withAlpha(QColor(255, 255, 255), 16));
    QString hover = css(withAlpha(QColor(255, 255, 255), 20));
    QString pressed = css(withAlpha(QColor(255, 255, 255), 34));
    QString accent = css(kAccent);
    QString accentSoft = css(withAlpha(kAccent, 46));
    QString accentLine = css(withAlpha(kAccent, 150));
};

QString surfaceRules(const SheetColours& c) {
    QString sheet;
    sheet += QStringLiteral("*[surface=\"chrome\"] { background: %1; }").arg(css(kChrome));
    sheet += QStringLiteral(
                 "*[surface=\"overlay\"] { background: %1; border: 1px solid %2;"
                 " border-radius: 10px; }")
                 .arg(css(withAlpha(kOverlay, 238)), c.hairline);
    sheet += QStringLiteral(
                 "*[surface=\"card\"] { background: %1; border: 1px solid %2;"
                 " border-radius: 12px; }")
                 .arg(css(kOverlay), c.border);
    return sheet;
}

QString textRoleRules(const SheetColours& c) {
    QString sheet;
    sheet += QStringLiteral(
                 "QLabel[textRole=\"heading\"] { color: %1; font-weight: 600;"
                 " font-size: 15px; }")
                 .arg(c.text);
    sheet += QStringLiteral(
                 "QLabel[textRole=\"caption\"] { color: %1; font-size: 11px;"
                 " font-weight: 600; }")
                 .arg(c.faint);
    sheet += QStringLiteral("QLabel[textRole=\"secondary\"] { color: %1; }").arg(c.secondary);
    sheet += QStringLiteral("QLabel[textRole=\"faint\"] { color: %1; }").arg(c.faint);
    sheet += QStringLiteral("QLabel[textRole=\"normal\"] { color: %1; }").arg(c.text);
    sheet += QStringLiteral("QLabel[textRole=\"error\"] { color: %1; }").arg(css(kError));
    sheet += QStringLiteral("QLabel[textRole=\"sketch\"] { color: %1; }").arg(css(kSketch));
    sheet += QStringLiteral(
                 "QLabel[textRole=\"badge\"] { color: %1; background: %2; border: 1px solid %3;"
                 " border-radius: 9px; padding: 1px 9px; font-size: 11px; font-weight: 700; }")
                 .arg(css(kSketch), css(withAlpha(kSketch, 36)), css(withAlpha(kSketch, 120)));
    return sheet;
}

// Buttons on panels: flat until touched; a checked one is the active tool.
QString buttonRules(const SheetColours& c) {
    QString sheet;
    sheet += inPanels(QStringLiteral("QToolButton")) +
             QStringLiteral(
                 " { background: transparent; border: 1px solid transparent;"
                 " border-radius: 7px; color: %1; padding: 4px; }")
                 .arg(c.text);
    sheet += inPanels(QStringLiteral("QToolButton:hover")) +
             QStringLiteral(" { background: %1; }").arg(c.hover);
    sheet += inPanels(QStringLiteral("QToolButton:pressed")) +
             QStringLiteral(" { background: %1; }").arg(c.pressed);
    sheet +=
        inPanels(QStringLiteral("QToolButton:checked")) +
        QStringLiteral(" { background: %1; border-color: %2; }").arg(c.accentSoft, c.accentLine);
    sheet += inPanels(QStringLiteral("QToolButton:disabled")) +
             QStringLiteral(" { color: %1; }").arg(c.faint);
    sheet += QStringLiteral(
                 "QPushButton[accent=\"true\"] { background: %1; color: white; border: none;"
                 " border-radius: 7px; padding: 5px 14px; font-weight: 600; }"
                 "QPushButton[accent=\"true\"]:hover { background: %2; }"
                 "QPushButton[accent=\"true\"]:pressed { background: %3; }")
                 .arg(c.accent, css(kAccent.lighter(112)), css(kAccent.darker(115)));
    return sheet;
}

// Fields and lists on panels.
QString fieldRules(const SheetColours& c) {
    QString sheet;
    sheet += inPanels(QStringLiteral("QLineEdit")) +
             QStringLiteral(
                 " { background: %1; border: 1px solid %2; border-radius: 7px;"
                 " padding: 5px 8px; color: %3; selection-background-color: %4; }")
                 .arg(css(kWell), c.border, c.text, css(withAlpha(kAccent, 120)));
    sheet += inPanels(QStringLiteral("QLineEdit:focus")) +
             QStringLiteral(" { border-color: %1; }").arg(c.accent);
    sheet += inPanels(QStringLiteral("QListWidget")) +
             QStringLiteral(" { background: transparent; border: none; outline: 0; }");
    sheet += inPanels(QStringLiteral("QComboBox")) +
             QStringLiteral(
                 " { background: %1; border: 1px solid %2; border-radius: 7px;"
                 " padding: 4px 8px; color: %3; }")
                 .arg(css(kWell), c.border, c.text);
    return sheet;
}

// Dividers, tool tips, scroll bars and menus, wherever in the window they are.
QString windowWideRules(const SheetColours& c) {
    QString sheet;
    sheet += QStringLiteral("QFrame[divider=\"true\"] { background: %1; border: none; }")
                 .arg(c.hairline);
    sheet += QStringLiteral(
                 "QToolTip { background: %1; color: %2; border: 1px solid %3;"
                 " border-radius: 6px; padding: 4px 7px; }")
                 .arg(css(kOverlay), c.text, c.border);
    sheet += QStringLiteral(
                 "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }"
                 "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
                 " min-height: 24px; }"
                 "QScrollBar::handle:vertical:hover { background: %2; }"
                 "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
                 "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
                 .arg(css(withAlpha(QColor(255, 255, 255), 40)),
                      css(withAlpha(QColor(255, 255, 255), 70)));
    sheet += QStringLiteral(
                 "QMenu { background: %1; border: 1px solid %2; padding: 4px; }"
                 "QMenu::item { padding: 5px 22px 5px 14px; border-radius: 5px; }"
                 "QMenu::item:selected { background: %3; color: white; }"
                 "QMenu::item:disabled { color: %4; }"
                 "QMenu::separator { height: 1px; background: %5; margin: 4px 6px; }")
                 .arg(css(kOverlay), c.border, c.accent, c.faint, c.hairline);
    return sheet;
}

QString styleSheet() {
    const SheetColours colours;
    return surfaceRules(colours) + textRoleRules(colours) + buttonRules(colours) +
           fieldRules(colours) + windowWideRules(colours);
}

}  // namespace

void setSurface(QWidget& widget, Surface surface) {
    // Without this a plain QWidget subclass ignores the style sheet's background.
    widget.setAttribute(Qt::WA_StyledBackground, true);
    widget.setProperty("surface", QString::fromLatin1(surfaceName(surface)));
}

void setTextRole(QWidget& widget, TextRole role) {
    widget.setProperty("textRole", QString::fromLatin1(textRoleName(role)));
    // A role changed after the first polish only shows once the style looks again.
    widget.style()->unpolish(&widget);
    widget.style()->polish(&widget);
}

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QFrame* addDivider(QBoxLayout& layout) {
    auto* divider = new QFrame(layout.parentWidget());
    divider->setProperty("divider", true);
    const bool acrossColumn = layout.direction() == QBoxLayout::TopToBottom ||
                              layout.direction() == QBoxLayout::BottomToTop;
    if (acrossColumn) {
        divider->setFixedHeight(1);
    } else {
        divider->setFixedWidth(1);
    }
    layout.addWidget(divider);
    return divider;
}

void retireItems(QLayout& layout) {
    while (QLayoutItem* item = layout.takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        } else if (QLayout* inner = item->layout()) {
            retireItems(*inner);
            inner->deleteLater();
            continue;
        }
        // takeAt hands the item over; a widget's item is not the widget itself.
        std::unique_ptr<QLayoutItem> owned(item);
    }
}

}  // namespace theme

void applyTheme(QApplication& app) {
    QApplication::setStyle(QStringLiteral("Fusion"));
    app.setPalette(theme::darkPalette());
    QFont font = app.font();
    font.setPixelSize(theme::kFontPixels);
    app.setFont(font);
    app.setStyleSheet(theme::styleSheet());
}

}  // namespace brontile::desktop
