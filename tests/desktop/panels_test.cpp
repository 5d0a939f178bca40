// The panels around the viewport: the rules they show (contextual actions, labels, palette
// moves, the HUD's field, the selection summary) and the widgets driven with keys and clicks
// against a real session.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>
#include <type_traits>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "commands/app_command_id.hpp"
#include "desktop/action_bar.hpp"
#include "desktop/command_palette.hpp"
#include "desktop/hud_panel.hpp"
#include "desktop/inspector_panel.hpp"
#include "desktop/menu_layout.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/shortcut_sheet.hpp"
#include "desktop/status_bar_panel.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/tool_bar_panel.hpp"
#include "desktop/view_cube.hpp"
#include "desktop/workspace_header.hpp"
#include "session/session_fixture.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile::desktop {
namespace {

namespace Cmd = AppCommandID;
using Commands = std::vector<CommandID>;

// --- The rules

Selection selectionOf(std::size_t bodies, std::size_t faces, std::size_t entities = 0,
                      std::size_t constraints = 0) {
    Selection selection;
    for (std::size_t i = 0; i < bodies; ++i) selection.bodies.insert(BodyID::generate());
    for (std::size_t i = 0; i < faces; ++i) {
        selection.faces.insert({BodyID::generate(), FaceID::generate()});
    }
    for (std::size_t i = 0; i < entities; ++i) {
        selection.sketchEntities.insert({Uuid::random(), SketchEntityID::generate()});
    }
    for (std::size_t i = 0; i < constraints; ++i) {
        selection.constraints.insert({Uuid::random(), SketchConstraintID::generate()});
    }
    return selection;
}

TEST(PanelModels, ContextualCommandsTakeTheFirstRuleThatApplies) {
    const Selection nothing;
    const Commands sketchEmpty = contextualCommands(nothing, true, 3);
    const Commands sketchPicked = contextualCommands(selectionOf(0, 0, 1), true, 3);
    ASSERT_EQ(sketchEmpty.size(), 5U);
    ASSERT_EQ(sketchPicked.size(), 13U);
    EXPECT_EQ(sketchEmpty.back(), Cmd::sketchFinish);
    EXPECT_EQ(sketchPicked.back(), Cmd::sketchFinish);
    EXPECT_EQ(sketchPicked[4], Cmd::editConstruction);
    EXPECT_EQ(sketchPicked[11], Cmd::constraintDimension);
    // A sketch being edited wins even over a selected face.
    EXPECT_EQ(contextualCommands(selectionOf(0, 1), true, 1), sketchEmpty);

    // One face of one body is the face rule, not the one-body rule.
    const Commands face{Cmd::sketchNew, Cmd::toolExtrude, Cmd::toolFillet, Cmd::toolOffset,
                        Cmd::bodyHide};
    EXPECT_EQ(contextualCommands(selectionOf(0, 1), false, 1), face);
    const Commands booleans{Cmd::toolUnion, Cmd::toolSubtract, Cmd::toolIntersect, Cmd::toolMove};
    EXPECT_EQ(contextualCommands(selectionOf(2, 0), false, 2), booleans);
    // One face decides even beside a whole body; with two faces the bodies count.
    EXPECT_EQ(contextualCommands(selectionOf(1, 1), false, 2), face);
    EXPECT_EQ(contextualCommands(selectionOf(1, 2), false, 3), booleans);
    // Two faces of one body: one body involved.
    Selection twoFaces;
    const BodyID body = BodyID::generate();
    twoFaces.faces = {{body, FaceID::generate()}, {body, FaceID::generate()}};
    const Commands oneBody{Cmd::toolMove,  Cmd::toolRotate,  Cmd::editDuplicate,
                           Cmd::toolShell, Cmd::bodyIsolate, Cmd::bodyHide};
    EXPECT_EQ(contextualCommands(twoFaces, false, 1), oneBody);
    EXPECT_EQ(contextualCommands(selectionOf(1, 0), false, 1), oneBody);
    EXPECT_EQ(contextualCommands(selectionOf(0, 0, 1), false, 1),
              (Commands{Cmd::toolMeasure, Cmd::viewFrameAll}));
    EXPECT_EQ(contextualCommands(nothing, false, 0),
              (Commands{Cmd::sketchNew, Cmd::toolLine, Cmd::toolRectangle, Cmd::toolCircle}));
}

TEST(PanelModels, ShortTitlesKeepWhatComesBeforeASlashAndShortenNewSketch) {
    EXPECT_EQ(shortTitle("Fillet / Chamfer"), "Fillet");
    EXPECT_EQ(shortTitle("Cancel / Back to Select"), "Cancel");
    EXPECT_EQ(shortTitle("New Sketch on Front (XZ)"), "Sketch");
    // The slash is looked at first.
    EXPECT_EQ(shortTitle("New Sketch / Plane"), "New Sketch");
    EXPECT_EQ(shortTitle("Isometric View"), "Isometric View");
    EXPECT_EQ(shortTitle(""), "");
}

TEST(PanelModels, PaletteHighlightStaysInsideTheResults) {
    EXPECT_EQ(paletteDown(0, 3), 1U);
    EXPECT_EQ(paletteDown(2, 3), 2U);
    EXPECT_EQ(paletteDown(0, 0), 0U);
    // A highlight left over from a longer list comes back to the last row.
    EXPECT_EQ(paletteDown(7, 3), 2U);
    EXPECT_EQ(paletteUp(2), 1U);
    EXPECT_EQ(paletteUp(0), 0U);
}

TEST(PanelModels, HudFieldStartsWithTheValueInTheDocumentsUnit) {
    const auto mm = LengthUnit::millimeters;
    const auto in = LengthUnit::inches;
    EXPECT_EQ(hudEditableText(25.0, mm), "25");
    EXPECT_EQ(hudEditableText(12.5, mm), "12.5");
    EXPECT_EQ(hudEditableText(100.0, mm), "100");
    EXPECT_EQ(hudEditableText(1.0 / 3.0, mm), "0.3333");
    EXPECT_EQ(hudEditableText(25.4, in), "1");
    EXPECT_EQ(hudEditableText(2.54, in), "0.1");
    EXPECT_EQ(hudEditableText(-12.5, mm), "-12.5");
    EXPECT_EQ(hudEditableText(-0.00001, mm), "0");
    for (const std::optional<double> nothing :
         {std::optional<double>(), std::optional(1e-10), std::optional(-1e-9),
          std::optional(std::nan(""))}) {
        EXPECT_EQ(hudEditableText(nothing, mm), "");
    }
    // Only a length is converted; the field reads back as the session reads it.
    for (const auto& [quantity, value, expected] :
         {std::tuple{HUDQuantity::length, 63.5, "2.5"}, std::tuple{HUDQuantity::angle, 45.0, "45"},
          std::tuple{HUDQuantity::factor, 1.5, "1.5"}, std::tuple{HUDQuantity::count, 6.0, "6"}}) {
        const HUDState hud{"Value", value, std::nullopt, true, std::nullopt, quantity};
        const std::string text = hudEditableText(hud, in);
        EXPECT_EQ(text, expected);
        EXPECT_NEAR(parseHudValue(hud, text, in).value_or(-1), value, 1e-9);
    }
}

TEST(PanelModels, SelectionSummaryCountsEachKindInOrder) {
    EXPECT_EQ(selectionSummary({}), "nothing selected");
    EXPECT_EQ(selectionSummary(selectionOf(2, 3)), "2 body \u00B7 3 face");
    EXPECT_EQ(selectionSummary(selectionOf(0, 0, 1, 4)), "1 sketch \u00B7 4 constraint");
}

// A tool is one descriptor: its command has a registry row, a menu item and an icon drawn for
// it, and a key where the shipped profile gives it one.
TEST(PanelModels, EveryToolHasARegistryRowAMenuItemAnIconAndItsShippedKey) {
    const CommandRegistry registry(toolCommandEntries());
    const KeymapStore shipped = KeymapStore::loadDefault();
    const auto inMenus = [](const CommandID& command) {
        return std::ranges::any_of(menuLayouts(), [&](const MenuLayout& menu) {
            return std::ranges::count(menu.items, std::optional(command)) == 1;
        });
    };
    for (const ToolDescriptor& tool : toolDescriptors()) {
        SCOPED_TRACE(tool.id.rawValue);
        ASSERT_TRUE(registry.entry(tool.command));
        EXPECT_TRUE(inMenus(tool.command));
        EXPECT_TRUE(hasSymbolDrawing(std::string(tool.symbol)));
        for (const KeyChord& chord : shipped.chords(tool.command)) {
            EXPECT_EQ(shipped.command(chord), tool.command) << chord.key;
        }
    }
}

TEST(PanelModels, EveryButtonCommandIsRegisteredAndHasItsOwnIcon) {
    const CommandRegistry registry(toolCommandEntries());
    Commands shown = headerCommands();
    for (const bool inSketch : {true, false}) {
        const auto toolbar = toolbarCommands(inSketch);
        EXPECT_EQ(toolbar.front(), Cmd::toolSelect);
        EXPECT_EQ(toolbar.back(), Cmd::paletteShow);
        EXPECT_EQ(std::count(toolbar.begin(), toolbar.end(), std::nullopt), inSketch ? 1 : 2);
        for (const auto& command : toolbar) {
            if (command) shown.push_back(*command);
        }
        for (const Selection& selection : {Selection{}, selectionOf(0, 0, 1), selectionOf(0, 1),
                                           selectionOf(2, 0), selectionOf(1, 0)}) {
            for (const std::size_t bodies : {0U, 1U}) {
                const auto actions = contextualCommands(selection, inSketch, bodies);
                shown.insert(shown.end(), actions.begin(), actions.end());
            }
        }
    }
    for (const CommandID& command : shown) {
        const auto entry = registry.entry(command);
        ASSERT_TRUE(entry) << command;
        ASSERT_TRUE(entry->symbol) << command;
        EXPECT_TRUE(hasSymbolDrawing(*entry->symbol)) << *entry->symbol;
    }
    for (const CommandID& command : viewCubeCommands()) EXPECT_TRUE(registry.entry(command));
    EXPECT_TRUE(hasSymbolDrawing("questionmark"));
    EXPECT_FALSE(symbolIcon(std::nullopt).pixmap(QSize(24, 24)).isNull());
}

// The strongest red, green and blue over the icon's pixels.
QColor strongest(const QIcon& icon, QIcon::Mode mode, QIcon::State state) {
    const QImage image = icon.pixmap(QSize(32, 32), mode, state).toImage();
    int red = 0, green = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 200) continue;
            red = std::max(red, pixel.red());
            green = std::max(green, pixel.green());
            blue = std::max(blue, pixel.blue());
        }
    }
    return {red, green, blue};
}

TEST(PanelModels, IconsShowWhetherTheirButtonIsDisabledOrChecked) {
    const QIcon undo = symbolIcon(std::string("arrow.uturn.backward"));
    const QColor normal = strongest(undo, QIcon::Normal, QIcon::Off);
    EXPECT_GT(normal.lightness(), 180);
    EXPECT_LT(strongest(undo, QIcon::Disabled, QIcon::Off).lightness(), normal.lightness() - 60);
    const QColor checked = strongest(undo, QIcon::Normal, QIcon::On);
    EXPECT_GT(checked.blue(), checked.red() + 80);
}

// --- The widgets against a session

// A session with its bridge and a shown stand-in for the window's central widget, counting how
// often a panel gives the keyboard back to the viewport.
struct PanelFixture : test::SessionFixture {
    SessionBridge bridge{*session};
    QWidget host;
    int refocused = 0;

    PanelFixture() { host.resize(1000, 700); }

    template <class Panel>
    Panel& make() {
        auto* panel = new Panel(bridge, &host);
        const auto count = [this] { ++refocused; };
        if constexpr (std::is_same_v<Panel, CommandPalette>) {
            QObject::connect(panel, &CommandPalette::dismissed, count);
            QObject::connect(panel, &CommandPalette::commandRan, count);
        } else if constexpr (std::is_same_v<Panel, ShortcutSheet>) {
            QObject::connect(panel, &ShortcutSheet::dismissed, count);
        } else if constexpr (std::is_same_v<Panel, HudPanel>) {
            QObject::connect(panel, &HudPanel::finished, count);
        }
        host.show();
        QCoreApplication::processEvents();
        return *panel;
    }

    void moveTo(double x, double y) {
        session->input().pointer(PointerPhase::move, screenAt({x, y, 0}), {}, 1);
    }

    // A circle under way in a new ground sketch: its HUD shows the radius to (x, 0).
    void startCircle(double radius) {
        if (!session->activeSketchID()) session->dispatch("sketch.new");
        session->dispatch("tool.circle");
        pressAt(0, 0);
        moveTo(radius, 0);
    }

    [[nodiscard]] std::size_t entityCount() const {
        const auto sketch = session->activeSketch();
        return sketch ? sketch->entities.size() : 0;
    }
};

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

Commands commandsOf(const std::vector<QToolButton*>& buttons) {
    Commands commands;
    for (const QToolButton* button : buttons) {
        commands.emplace_back(button->objectName().toStdString());
    }
    return commands;
}

TEST(Panels, PaletteRunsTheHighlightedCommandFromTheKeyboard) {
    PanelFixture f;
    auto& palette = f.make<CommandPalette>();
    QLineEdit& field = *palette.searchField();
    EXPECT_TRUE(palette.isHidden());
    EXPECT_EQ(field.placeholderText(), QStringLiteral("Type a command\u2026"));

    palette.open();
    ASSERT_FALSE(palette.isHidden());
    EXPECT_EQ(palette.results().size(), f.session->registry().allEntries().size());
    QTest::keyClicks(&field, "view");
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(palette.highlighted(), 2U);
    EXPECT_EQ(palette.resultList()->currentRow(), 2);
    // A new query starts again from its first result.
    field.clear();
    QTest::keyClicks(&field, "grid");
    ASSERT_EQ(palette.results().size(), 1U);
    EXPECT_EQ(palette.highlighted(), 0U);

    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_FALSE(palette.isOpen());
    EXPECT_TRUE(palette.isHidden());
    // The command runs once the palette is gone, on the event loop's next turn.
    EXPECT_TRUE(f.session->document().showGrid);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.session->document().showGrid);
    EXPECT_EQ(f.refocused, 1);

    // Shown again it starts empty; nothing found means Return does nothing; Escape dismisses.
    palette.open();
    EXPECT_TRUE(field.text().isEmpty());
    QTest::keyClicks(&field, "no such command");
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(palette.isOpen());
    EXPECT_EQ(palette.highlighted(), 0U);
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_FALSE(palette.isOpen());
    EXPECT_EQ(f.refocused, 2);
    EXPECT_FALSE(f.session->document().showGrid);
}

TEST(Panels, PaletteRunsClickedRowsAndSitsNearTheTop) {
    PanelFixture f;
    auto& palette = f.make<CommandPalette>();
    palette.open();
    QTest::keyClicks(palette.searchField(), "top view");
    QListWidget& list = *palette.resultList();
    ASSERT_EQ(list.count(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(0)).center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(palette.isOpen());
    EXPECT_GT(f.session->viewport().camera.pitch(), 1.5);
    EXPECT_EQ(f.refocused, 1);

    palette.open();
    f.host.resize(1400, 900);
    EXPECT_EQ(palette.geometry().center().x(), f.host.rect().center().x());
    EXPECT_LT(palette.geometry().top(), f.host.height() / 4);
}

TEST(Panels, ShortcutSheetListsEveryCategoryAndClosesWithDoneOrEscape) {
    PanelFixture f;
    auto& sheet = f.make<ShortcutSheet>();
    EXPECT_TRUE(sheet.isHidden());
    sheet.open();
    ASSERT_FALSE(sheet.isHidden());
    EXPECT_EQ(sheet.geometry(), f.host.rect());
    const QStringList texts = labelTexts(sheet);
    EXPECT_TRUE(texts.contains(QStringLiteral("Keyboard Shortcuts")));
    EXPECT_TRUE(texts.contains(
        QString::fromUtf8(kNavigationLine.data(), static_cast<qsizetype>(kNavigationLine.size()))));
    for (const std::string& category : f.session->registry().categories()) {
        EXPECT_TRUE(texts.contains(QString::fromStdString(category))) << category;
        for (const auto& entry : f.session->registry().entries(category)) {
            EXPECT_TRUE(texts.contains(QString::fromStdString(entry.title))) << entry.title;
        }
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Ctrl+K")));
    EXPECT_GT(sheet.columnCount(), 1);
    f.host.resize(360, 500);
    EXPECT_EQ(sheet.columnCount(), 1);

    // Done, Escape, Return and a click on the dimmed window around the card all close it.
    const std::function<void()> closings[] = {
        [&] { QTest::mouseClick(sheet.doneButton(), Qt::LeftButton); },
        [&] { QTest::keyClick(sheet.doneButton(), Qt::Key_Escape); },
        [&] { QTest::keyClick(sheet.doneButton(), Qt::Key_Return); },
        [&] { QTest::mouseClick(&sheet, Qt::LeftButton, {}, QPoint(3, 3)); },
    };
    for (const auto& close : closings) {
        sheet.open();
        close();
        EXPECT_FALSE(sheet.isOpen());
        EXPECT_TRUE(sheet.isHidden());
    }
    EXPECT_EQ(f.refocused, 4);
}

TEST(Panels, HudFieldCommitsATypedValueAndCancelsOnEscapeOrNonsense) {
    PanelFixture f;
    auto& hud = f.make<HudPanel>();
    EXPECT_TRUE(hud.isHidden());
    f.startCircle(5);
    ASSERT_FALSE(hud.isHidden());
    EXPECT_EQ(hud.valueText(), QStringLiteral("5 mm"));
    EXPECT_TRUE(hud.field()->isHidden());

    f.session->dispatch(Cmd::hudEdit);
    ASSERT_FALSE(hud.field()->isHidden());
    EXPECT_EQ(hud.field()->text(), QStringLiteral("5"));
    EXPECT_EQ(hud.field()->selectedText(), QStringLiteral("5"));
    QTest::keyClicks(hud.field(), "12.5");
    QTest::keyClick(hud.field(), Qt::Key_Return);
    ASSERT_EQ(f.entityCount(), 1U);
    EXPECT_NEAR(std::get<SketchCircle>(f.session->activeSketch()->entities[0].geometry).radius,
                12.5, 1e-9);
    EXPECT_FALSE(f.session->hudEditing());
    EXPECT_TRUE(hud.isHidden());
    EXPECT_EQ(f.refocused, 1);

    // Escape and text that is no length both end the edit and keep the circle under way.
    for (const auto& finish : {std::function<void(QLineEdit*)>([](QLineEdit* field) {
                                   QTest::keyClick(field, Qt::Key_Escape);
                               }),
                               std::function<void(QLineEdit*)>([](QLineEdit* field) {
                                   QTest::keyClicks(field, "abc");
                                   QTest::keyClick(field, Qt::Key_Return);
                               })}) {
        f.startCircle(3);
        f.session->dispatch(Cmd::hudEdit);
        ASSERT_TRUE(f.session->hudEditing());
        finish(hud.field());
        EXPECT_FALSE(f.session->hudEditing());
        EXPECT_TRUE(hud.field()->isHidden());
        EXPECT_FALSE(hud.isHidden());
        EXPECT_EQ(f.entityCount(), 1U);
        f.session->dispatch(Cmd::toolCancel);
    }
    EXPECT_EQ(f.refocused, 3);

    // In inches the field starts in inches; a value too small to edit starts empty.
    f.session->editing().setUnits(LengthUnit::inches);
    f.session->interaction().setHud(
        HUDState{"Distance", 25.4, std::nullopt, true, std::nullopt, HUDQuantity::length});
    f.session->dispatch(Cmd::hudEdit);
    EXPECT_EQ(hud.field()->text(), QStringLiteral("1"));
    f.session->interaction().setHudEditing(false);
    f.session->interaction().setHud(
        HUDState{"Distance", 1e-10, std::nullopt, true, std::nullopt, HUDQuantity::length});
    f.session->dispatch(Cmd::hudEdit);
    EXPECT_EQ(hud.field()->text(), QString());
}

TEST(Panels, ActionBarAndToolbarFollowTheSelectionTheSketchAndTheTool) {
    PanelFixture f;
    auto& bar = f.make<ActionBar>();
    auto& toolbar = f.make<ToolBarPanel>();
    EXPECT_EQ(bar.commands(), contextualCommands({}, false, 0));
    EXPECT_EQ(bar.buttons().front()->text(), QStringLiteral("Sketch"));
    EXPECT_EQ(commandsOf(bar.buttons()), bar.commands());

    const BodyID box = f.addBox();
    EXPECT_EQ(bar.commands(), (Commands{Cmd::toolMeasure, Cmd::viewFrameAll}));
    f.session->editing().selectBody(box, false);
    ASSERT_EQ(bar.commands(), contextualCommands(f.session->selection(), false, 1));
    // The same commands for another body keep the same buttons: nothing flickers.
    const std::vector<QToolButton*> kept = bar.buttons();
    f.session->editing().selectBody(f.addBox(), false);
    EXPECT_EQ(bar.buttons(), kept);
    bar.buttons().front()->click();
    EXPECT_EQ(f.session->activeToolID(), ToolID::move);
    EXPECT_TRUE(toolbar.button(Cmd::toolMove)->isChecked());
    EXPECT_FALSE(toolbar.button(Cmd::toolSelect)->isChecked());
    EXPECT_EQ(toolbar.button(Cmd::paletteShow)->toolTip(),
              QStringLiteral("Command Palette (Ctrl+K)"));
    EXPECT_EQ(toolbar.button(Cmd::toolMove)->toolTip(), QStringLiteral("Move"));

    // Clicking the active tool again leaves it checked; the session decides.
    toolbar.button(Cmd::toolMove)->click();
    EXPECT_TRUE(toolbar.button(Cmd::toolMove)->isChecked());
    toolbar.button(Cmd::viewToggleGrid)->click();
    EXPECT_FALSE(f.session->document().showGrid);
    EXPECT_FALSE(toolbar.button(Cmd::viewToggleGrid)->isChecked());

    // Entering a sketch from the toolbar swaps both sets, even from the button's own click.
    toolbar.button(Cmd::sketchNew)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.commands().back(), Cmd::sketchFinish);
    EXPECT_EQ(bar.commands().size(), 5U);
    Commands sketchTools;
    for (const auto& command : toolbarCommands(true)) {
        if (command) sketchTools.push_back(*command);
    }
    EXPECT_EQ(commandsOf(toolbar.buttons()), sketchTools);
    EXPECT_TRUE(toolbar.button(Cmd::toolLine)->isChecked());
    bar.buttons().back()->click();
    EXPECT_FALSE(f.session->activeSketchID());
    EXPECT_TRUE(toolbar.button(Cmd::toolExtrude));
}

TEST(Panels, HeaderAndStatusBarShowTheDocumentItsHistoryAndTheSelection) {
    PanelFixture f;
    auto& header = f.make<WorkspaceHeader>();
    auto& status = f.make<StatusBarPanel>();
    QAbstractButton& undo = *header.button(Cmd::editUndo);
    QAbstractButton& finish = *header.button(Cmd::sketchFinish);
    EXPECT_EQ(header.titleLabel()->text(), QString::fromStdString(f.session->windowTitle()));
    EXPECT_FALSE(undo.isEnabled());
    EXPECT_FALSE(header.button(Cmd::editRedo)->isEnabled());
    EXPECT_TRUE(header.sketchBadge()->isHidden());
    EXPECT_TRUE(finish.isHidden());
    EXPECT_EQ(status.selectionLabel()->text(), QStringLiteral("nothing selected"));
    EXPECT_EQ(status.kernelLabel()->text(), QStringLiteral("BrontPoly"));
    EXPECT_EQ(status.toolLabel()->text(), QStringLiteral("Select"));

    const BodyID box = f.addBox();
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_TRUE(header.titleLabel()->text().endsWith(QStringLiteral("Edited")));
    f.session->editing().selectBody(box, false);
    EXPECT_EQ(status.selectionLabel()->text(), QStringLiteral("1 body"));
    f.session->status().showError("Nothing to extrude");
    EXPECT_EQ(status.messageLabel()->text(), QStringLiteral("Nothing to extrude"));
    EXPECT_EQ(status.messageLabel()->property("textRole").toString(), QStringLiteral("error"));
    // The error has a close control of its own.
    ASSERT_FALSE(status.dismissButton()->isHidden());
    QTest::mouseClick(status.dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(f.session->errorMessage());
    EXPECT_TRUE(status.dismissButton()->isHidden());
    f.session->status().setMessage("Saved \u2318K");
    EXPECT_EQ(status.messageLabel()->text(), QStringLiteral("Saved Ctrl+K"));
    EXPECT_EQ(status.messageLabel()->property("textRole").toString(), QStringLiteral("normal"));

    f.session->dispatch(Cmd::sketchNew);
    EXPECT_FALSE(header.sketchBadge()->isHidden());
    EXPECT_FALSE(finish.isHidden());
    EXPECT_EQ(status.sketchLabel()->text(),
              QStringLiteral("Sketch: ") + QString::fromStdString(f.session->activeSketch()->name));
    EXPECT_EQ(status.toolLabel()->text(), QStringLiteral("Line"));
    finish.click();
    EXPECT_FALSE(f.session->activeSketchID());
    EXPECT_TRUE(status.sketchLabel()->isHidden());
    const auto bodies = f.session->document().bodies.size();
    undo.click();
    EXPECT_EQ(f.session->document().sketches.size(), 0U);
    EXPECT_EQ(f.session->document().bodies.size(), bodies);
    EXPECT_TRUE(header.button(Cmd::editRedo)->isEnabled());
}

TEST(Panels, ViewCubeFacesTurnTheCameraToTheirViews) {
    PanelFixture f;
    auto& cube = f.make<ViewCube>();
    cube.resize(cube.sizeHint());
    for (const CommandID& command : viewCubeCommands()) {
        EXPECT_EQ(cube.commandAt(cube.hotSpot(command)), command) << command;
    }
    EXPECT_FALSE(cube.commandAt(QPointF(1, 1)));
    QTest::mouseClick(&cube, Qt::LeftButton, {}, cube.hotSpot(Cmd::viewTop).toPoint());
    EXPECT_GT(f.session->viewport().camera.pitch(), 1.5);
    QTest::mouseClick(&cube, Qt::LeftButton, {}, cube.hotSpot(Cmd::viewFront).toPoint());
    EXPECT_NEAR(f.session->viewport().camera.pitch(), 0, 1e-9);
    // A press that leaves its face for another sends nothing.
    QTest::mousePress(&cube, Qt::LeftButton, {}, cube.hotSpot(Cmd::viewTop).toPoint());
    QTest::mouseRelease(&cube, Qt::LeftButton, {}, cube.hotSpot(Cmd::viewRight).toPoint());
    EXPECT_NEAR(f.session->viewport().camera.pitch(), 0, 1e-9);
    EXPECT_NEAR(f.session->viewport().camera.yaw(), -std::numbers::pi / 2, 1e-9);
}

TEST(Panels, InspectorSelectsTogglesAndRenamesBodiesWithoutLosingATypedName) {
    PanelFixture f;
    auto& inspector = f.make<InspectorPanel>();
    QListWidget& bodies = *inspector.bodyList();
    const BodyID first = f.addBox();
    const BodyID second = f.addBox();
    QCoreApplication::processEvents();
    ASSERT_EQ(bodies.count(), 2);
    const auto rowRect = [&](int row) { return bodies.visualItemRect(bodies.item(row)); };

    QTest::mouseClick(bodies.viewport(), Qt::LeftButton, {}, rowRect(0).center());
    EXPECT_EQ(f.session->selection().bodies, (std::unordered_set<BodyID>{first}));
    QTest::mouseClick(bodies.viewport(), Qt::LeftButton, Qt::ControlModifier, rowRect(1).center());
    EXPECT_EQ(f.session->selection().bodies.size(), 2U);
    QTest::mouseClick(bodies.viewport(), Qt::LeftButton, {},
                      InspectorPanel::actionRect(rowRect(1), 0).center());
    EXPECT_FALSE(f.session->document().body(second)->isVisible);
    EXPECT_EQ(f.session->selection().bodies.size(), 2U);

    f.session->editing().selectBody(first, false);
    EXPECT_EQ(inspector.selectionFacts(),
              (QStringList{"Body: Body 1", "Triangles: 12", "Volume: 1000 mm\u00B3",
                           "Size: 10 \u00D7 10 \u00D7 10 mm"}));
    emit inspector.unitChoice()->activated(1);
    EXPECT_EQ(f.session->document().units, LengthUnit::inches);
    EXPECT_TRUE(inspector.selectionFacts().contains(QStringLiteral("Volume: 0.061 in\u00B3")));
    f.session->dispatch(Cmd::editUndo);
    EXPECT_EQ(inspector.unitChoice()->currentIndex(), 0);
    f.session->dispatch(Cmd::editRedo);
    EXPECT_EQ(inspector.unitChoice()->currentIndex(), 1);

    // F2 renames the selected body; a change arriving mid-rename leaves the field alone.
    bodies.setFocus();
    QTest::keyClick(&bodies, Qt::Key_F2);
    auto* editor = bodies.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Bracket"));
    f.session->editing().toggleBodyVisibility(first);
    f.addBox();
    EXPECT_EQ(editor->text(), QStringLiteral("Bracket"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.session->document().body(first)->name, "Bracket");
    ASSERT_EQ(bodies.count(), 3);
    EXPECT_EQ(bodies.item(0)->text(), QStringLiteral("Bracket"));

    // A double click opens the same field; an empty or unchanged name records nothing.
    const auto version = f.session->historyVersion();
    for (const QString& typed : {QString(), QStringLiteral("Bracket")}) {
        QTest::mouseClick(bodies.viewport(), Qt::LeftButton, {}, rowRect(0).center());
        QTest::mouseDClick(bodies.viewport(), Qt::LeftButton, {}, rowRect(0).center());
        editor = bodies.findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(f.session->historyVersion(), version);
    EXPECT_EQ(f.session->document().body(first)->name, "Bracket");
}

TEST(Panels, InspectorEditsSketchesAndTheirConstraints) {
    PanelFixture f;
    auto& inspector = f.make<InspectorPanel>();
    QListWidget& sketches = *inspector.sketchList();
    f.session->dispatch(Cmd::sketchNew);
    const Uuid sketch = *f.session->activeSketchID();
    f.session->interaction().mutate("Draw", [&](CADDocument& document) {
        Sketch& s = document.sketches.front();
        s.entities.push_back({SketchEntityID::generate(), SketchLine{{0, 0}, {10, 0}}, false});
        s.constraints.push_back({SketchConstraintID::generate(),
                                 SketchConstraintKind::horizontal,
                                 {{s.entities[0].id, SketchParamRole::entity}},
                                 std::nullopt});
    });
    f.session->editing().setActiveSketch(std::nullopt);
    f.session->dispatch(Cmd::sketchNewFront);
    QCoreApplication::processEvents();
    ASSERT_EQ(sketches.count(), 2);
    EXPECT_TRUE(inspector.constraintList()->isVisible());
    EXPECT_EQ(inspector.constraintList()->count(), 0);

    QTest::mouseClick(sketches.viewport(), Qt::LeftButton, {},
                      sketches.visualItemRect(sketches.item(0)).center());
    EXPECT_EQ(f.session->activeSketchID(), sketch);
    QListWidget& constraints = *inspector.constraintList();
    QCoreApplication::processEvents();
    ASSERT_EQ(constraints.count(), 1);
    QTest::mouseClick(
        constraints.viewport(), Qt::LeftButton, {},
        InspectorPanel::actionRect(constraints.visualItemRect(constraints.item(0)), 0).center());
    EXPECT_TRUE(f.session->activeSketch()->constraints.empty());

    const QRect second = sketches.visualItemRect(sketches.item(1));
    QTest::mouseClick(sketches.viewport(), Qt::LeftButton, {},
                      InspectorPanel::actionRect(second, 1).center());
    EXPECT_FALSE(f.session->document().sketches[1].isVisible);
    QTest::mouseClick(sketches.viewport(), Qt::LeftButton, {},
                      InspectorPanel::actionRect(second, 0).center());
    EXPECT_EQ(f.session->document().sketches.size(), 1U);
    EXPECT_EQ(sketches.count(), 1);
}

}  // namespace
}  // namespace brontile::desktop
