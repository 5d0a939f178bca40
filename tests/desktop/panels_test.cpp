// The panels around the viewport: the rules they show (contextual actions, labels, palette
// moves, the HUD's field, the selection summary) and the widgets driven with keys and clicks
// against a real session.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>
#include <tuple>
#include <type_traits>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineF>
#include <QListWidget>
#include <QMenu>
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
#include "support/geometry_checks.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile::desktop {
namespace {

namespace Cmd = AppCommandID;
using Commands = std::vector<CommandID>;

// --- The rules

Selection selectionOf(std::size_t bodies, std::size_t faces, std::size_t entities = 0,
                      std::size_t constraints = 0, std::size_t points = 0) {
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
    for (std::size_t i = 0; i < points; ++i) {
        selection.sketchPoints.insert(
            {Uuid::random(), SketchEntityID::generate(), SketchParamRole::center});
    }
    return selection;
}

TEST(PanelModels, ContextualCommandsTakeTheFirstRuleThatApplies) {
    using namespace AppCommandID;
    Selection twoFacesOfOneBody;
    const BodyID body = BodyID::generate();
    twoFacesOfOneBody.faces = {{body, FaceID::generate()}, {body, FaceID::generate()}};
    const Commands sketch{toolExtrude, toolRevolve, toolOffset, toolTrim, sketchFinish};
    const Commands geometry{toolExtrude,        toolRevolve,          toolOffset,
                            toolTrim,           editConstruction,     constraintHorizontal,
                            constraintVertical, constraintParallel,   constraintPerpendicular,
                            constraintEqual,    constraintCoincident, constraintDimension,
                            sketchFinish};
    const Commands face{sketchNew, toolExtrude, toolFillet, toolOffset, bodyHide};
    const Commands booleans{toolUnion, toolSubtract, toolIntersect, toolMove};
    const Commands oneBody{toolMove, toolRotate, editDuplicate, toolShell, bodyIsolate, bodyHide};
    const struct {
        const char* name;
        Selection selection;
        bool inSketch;
        std::size_t bodies;
        Commands expected;
    } rows[] = {
        {"a sketch being edited wins even over a face", selectionOf(0, 1), true, 1, sketch},
        {"curves picked in a sketch", selectionOf(0, 0, 1), true, 3, geometry},
        {"a point picked in a sketch", selectionOf(0, 0, 0, 0, 1), true, 3, geometry},
        {"one face of one body", selectionOf(0, 1), false, 1, face},
        {"one face decides even beside a whole body", selectionOf(1, 1), false, 2, face},
        {"two bodies", selectionOf(2, 0), false, 2, booleans},
        {"two faces: the bodies count", selectionOf(1, 2), false, 3, booleans},
        {"two faces of one body", twoFacesOfOneBody, false, 1, oneBody},
        {"one body", selectionOf(1, 0), false, 1, oneBody},
        {"a curve outside a sketch", selectionOf(0, 0, 1), false, 1, {toolMeasure, viewFrameAll}},
        {"an empty document", {}, false, 0, {sketchNew, toolLine, toolRectangle, toolCircle}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(contextualCommands(row.selection, row.inSketch, row.bodies), row.expected)
            << row.name;
    }
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
    // Nothing, or too little to edit, starts the field empty.
    const std::tuple<std::optional<double>, LengthUnit, std::string> shown[] = {
        {25.0, mm, "25"}, {12.5, mm, "12.5"}, {100.0, mm, "100"},   {1.0 / 3.0, mm, "0.3333"},
        {25.4, in, "1"},  {2.54, in, "0.1"},  {-12.5, mm, "-12.5"}, {-0.00001, mm, "0"},
        {{}, mm, ""},     {1e-10, mm, ""},    {-1e-9, mm, ""},      {std::nan(""), mm, ""}};
    for (const auto& [value, unit, text] : shown) EXPECT_EQ(hudEditableText(value, unit), text);
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

TEST(PanelModels, SelectionSummaryCountsEachKindInOrderInWordsThatAgree) {
    EXPECT_EQ(selectionSummary({}), "nothing selected");
    // Every kind, once singular and once plural.
    EXPECT_EQ(selectionSummary(selectionOf(1, 3, 2, 1, 2)),
              "1 body \u00B7 3 faces \u00B7 2 sketch curves \u00B7 2 sketch points \u00B7 1 "
              "constraint");
    EXPECT_EQ(selectionSummary(selectionOf(2, 1, 1, 4, 1)),
              "2 bodies \u00B7 1 face \u00B7 1 sketch curve \u00B7 1 sketch point \u00B7 4 "
              "constraints");
    EXPECT_EQ(selectionSummary(selectionOf(0, 0, 12)), "12 sketch curves");
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
        for (const auto& command : toolbarCommands(inSketch)) {
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

// How much of each pixel an icon inks at tool bar size.
QImage inkOf(const QIcon& icon) {
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_Alpha8);
}

// The share of the pixels either icon inks that only one of them does.
double inkDifference(const QImage& a, const QImage& b) {
    constexpr int kInked = 100;
    int inked = 0, different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int first = qAlpha(a.pixel(x, y));
            const int second = qAlpha(b.pixel(x, y));
            inked += std::max(first, second) > kInked;
            different += std::abs(first - second) > kInked;
        }
    }
    return inked == 0 ? 0 : static_cast<double>(different) / inked;
}

// A command is told apart by its icon in the palette, menus and tool bars, so every command of
// the registry is drawn: not as the question mark, not as the neutral stand-in, and like no other.
// Icons that differ in under a sixth of their ink read as one at tool bar size; the extrude and
// shell cubes once differed in a seventh.
TEST(PanelModels, EveryCommandHasADrawingOfItsOwn) {
    constexpr double kDistinct = 1.0 / 6;
    const CommandRegistry registry(toolCommandEntries());
    const QImage placeholder = inkOf(symbolIcon(std::nullopt));
    std::vector<std::pair<std::string, QImage>> drawn;
    for (const CommandRegistry::Entry& entry : registry.allEntries()) {
        SCOPED_TRACE(entry.id.rawValue);
        ASSERT_TRUE(entry.symbol);
        EXPECT_TRUE(hasSymbolDrawing(*entry.symbol)) << *entry.symbol;
        drawn.emplace_back(entry.id.rawValue, inkOf(commandIcon(registry, entry.id)));
        EXPECT_GT(inkDifference(drawn.back().second, placeholder), kDistinct);
    }
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            EXPECT_GT(inkDifference(drawn[i].second, drawn[j].second), kDistinct)
                << drawn[i].first << " and " << drawn[j].first;
        }
    }
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

    // A circle under way in a new ground sketch: its HUD shows the radius to (x, 0).
    void startCircle(double radius) {
        if (!session->activeSketchID()) session->dispatch("sketch.new");
        session->dispatch("tool.circle");
        pressAt(0, 0);
        session->input().pointer(PointerPhase::move, screenAt({radius, 0, 0}), {}, 1);
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

void typeKeys(QWidget& widget, std::initializer_list<Qt::Key> keys) {
    for (const Qt::Key key : keys) QTest::keyClick(&widget, key);
}

// A click on a list's row, or on one of the row's trailing buttons (0 the last).
void clickRow(QListWidget& list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                      list.visualItemRect(list.item(row)).center());
}
void clickRowButton(QListWidget& list, int row, int button) {
    QTest::mouseClick(
        list.viewport(), Qt::LeftButton, {},
        InspectorPanel::actionRect(list.visualItemRect(list.item(row)), button).center());
}

TEST(Panels, PaletteRunsTheHighlightedOrClickedCommandAndGivesTheKeyboardBack) {
    PanelFixture f;
    auto& palette = f.make<CommandPalette>();
    QLineEdit& field = *palette.searchField();
    EXPECT_TRUE(palette.isHidden());
    palette.open();
    ASSERT_FALSE(palette.isHidden());
    EXPECT_EQ(palette.results().size(), f.session->registry().allEntries().size());
    QTest::keyClicks(&field, "view");
    typeKeys(field, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up});
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
    typeKeys(field, {Qt::Key_Down, Qt::Key_Return});
    QCoreApplication::processEvents();
    EXPECT_TRUE(palette.isOpen());
    EXPECT_EQ(palette.highlighted(), 0U);
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_FALSE(palette.isOpen());
    EXPECT_EQ(f.refocused, 2);
    EXPECT_FALSE(f.session->document().showGrid);

    // A clicked row runs as well; the palette stays centred near the top as the window grows.
    palette.open();
    QTest::keyClicks(&field, "top view");
    ASSERT_EQ(palette.resultList()->count(), 1);
    clickRow(*palette.resultList(), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(palette.isOpen());
    EXPECT_GT(f.session->viewport().camera.pitch(), 1.5);
    EXPECT_EQ(f.refocused, 3);
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
    QLineEdit& field = *hud.field();
    EXPECT_TRUE(hud.isHidden());
    f.startCircle(5);
    ASSERT_FALSE(hud.isHidden());
    EXPECT_EQ(hud.valueText(), QStringLiteral("5 mm"));
    EXPECT_TRUE(field.isHidden());

    f.session->dispatch(Cmd::hudEdit);
    ASSERT_FALSE(field.isHidden());
    EXPECT_EQ(field.text(), QStringLiteral("5"));
    EXPECT_EQ(field.selectedText(), QStringLiteral("5"));
    QTest::keyClicks(&field, "12.5");
    QTest::keyClick(&field, Qt::Key_Return);
    ASSERT_EQ(f.entityCount(), 1U);
    EXPECT_NEAR(std::get<SketchCircle>(f.session->activeSketch()->entities[0].geometry).radius,
                12.5, 1e-9);
    EXPECT_FALSE(f.session->hudEditing());
    EXPECT_TRUE(hud.isHidden());
    EXPECT_EQ(f.refocused, 1);

    // Text that is no length, or a radius of nothing, says why and stays in the open field for
    // another try; Escape ends the edit. The circle stays under way throughout.
    f.startCircle(3);
    f.session->dispatch(Cmd::hudEdit);
    for (const auto& [typed, error] : {std::pair{"abc", "\u201Cabc\u201D is not a length."},
                                       std::pair{"-5", "A radius must be more than 0."}}) {
        field.selectAll();
        QTest::keyClicks(&field, typed);
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_TRUE(f.session->hudEditing()) << typed;
        EXPECT_EQ(field.text(), QString::fromUtf8(typed));
        EXPECT_EQ(f.session->errorMessage(), error);
    }
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_FALSE(f.session->hudEditing());
    EXPECT_TRUE(field.isHidden());
    EXPECT_FALSE(hud.isHidden());
    EXPECT_EQ(f.entityCount(), 1U);
    f.session->dispatch(Cmd::toolCancel);
    EXPECT_EQ(f.refocused, 2);

    // In inches the field starts in inches.
    f.session->editing().setUnits(LengthUnit::inches);
    f.session->interaction().setHud(
        HUDState{"Distance", 25.4, std::nullopt, true, std::nullopt, HUDQuantity::length});
    f.session->dispatch(Cmd::hudEdit);
    EXPECT_EQ(field.text(), QStringLiteral("1"));
}

TEST(Panels, ActionBarAndToolbarFollowTheSelectionTheSketchAndTheTool) {
    PanelFixture f;
    auto& bar = f.make<ActionBar>();
    auto& toolbar = f.make<ToolBarPanel>();
    const auto checked = [&](const CommandID& command) {
        return toolbar.button(command)->isChecked();
    };
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
    EXPECT_TRUE(checked(Cmd::toolMove));
    EXPECT_FALSE(checked(Cmd::toolSelect));
    EXPECT_EQ(toolbar.button(Cmd::paletteShow)->toolTip(),
              QStringLiteral("Command Palette (Ctrl+K)"));
    EXPECT_EQ(toolbar.button(Cmd::toolMove)->toolTip(), QStringLiteral("Move"));

    // Clicking the active tool again leaves it checked; the session decides.
    toolbar.button(Cmd::toolMove)->click();
    EXPECT_TRUE(checked(Cmd::toolMove));
    toolbar.button(Cmd::viewToggleGrid)->click();
    EXPECT_FALSE(f.session->document().showGrid);
    EXPECT_FALSE(checked(Cmd::viewToggleGrid));

    // Entering a sketch from the toolbar swaps both sets, even from the button's own click.
    toolbar.button(Cmd::sketchNew)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.commands(), contextualCommands({}, true, 2));
    Commands sketchTools;
    for (const auto& command : toolbarCommands(true)) {
        if (command) sketchTools.push_back(*command);
    }
    EXPECT_EQ(commandsOf(toolbar.buttons()), sketchTools);
    EXPECT_TRUE(checked(Cmd::toolLine));
    bar.buttons().back()->click();
    EXPECT_FALSE(f.session->activeSketchID());
    EXPECT_TRUE(toolbar.button(Cmd::toolExtrude));
}

// What does not fit the bar's room whole goes, from the end, behind "More", whose menu runs it.
TEST(Panels, ActionBarPutsTheButtonsThatDoNotFitBehindMore) {
    PanelFixture f;
    auto& bar = f.make<ActionBar>();
    const Commands all = bar.commands();
    ASSERT_EQ(all.size(), 4U);
    const int whole = bar.sizeHint().width();
    const auto fitted = [&](int room) {
        bar.setRoom(room);
        EXPECT_LE(bar.sizeHint().width(), room);
        return bar.overflowCommands();
    };
    // One pixel short: the last button makes way for the narrower "More".
    EXPECT_EQ(fitted(whole - 1), Commands{all[3]});
    EXPECT_FALSE(bar.moreButton()->isHidden());
    EXPECT_TRUE(bar.buttons()[3]->isHidden());
    EXPECT_EQ(fitted(bar.moreButton()->sizeHint().width() + 20), all);
    EXPECT_TRUE(fitted(whole).empty());
    EXPECT_TRUE(bar.moreButton()->isHidden());

    fitted(whole - 1);
    bar.moreButton()->click();
    auto* menu = bar.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Circle"));
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(f.session->activeToolID(), ToolID::circle);
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
              QString::fromStdString(f.session->activeSketch()->name) + QStringLiteral(": empty"));
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

// The cube turns with the camera: from any view, every part in sight turns the camera to look
// from there, and the part clicked then faces the viewer.
TEST(Panels, ViewCubeTurnsWithTheCameraAndEachOfItsPartsTurnsTheCamera) {
    PanelFixture f;
    auto& cube = f.make<ViewCube>();
    cube.resize(cube.sizeHint());
    const OrbitCamera& camera = f.session->viewport().camera;
    const auto click = [&](const Vec3& direction) {
        const auto at = cube.hotSpot(direction);
        if (!at) return false;
        QTest::mouseClick(&cube, Qt::LeftButton, {}, at->toPoint());
        return true;
    };
    std::set<std::tuple<double, double, double>> reached;
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            for (int z = -1; z <= 1; ++z) {
                const Vec3 part{double(x), double(y), double(z)};
                if (part == Vec3::zero) continue;
                // Each part is reached from the view across its nearest face or edge.
                f.session->viewport().lookFrom(part + Vec3{0.3, -0.2, 0.1});
                ASSERT_TRUE(click(part)) << x << y << z;
                if (!ViewCube::commandFor(part)) {
                    test::expectNear(-camera.forward(), part.normalized(), 2e-3);
                }
                reached.insert({double(x), double(y), double(z)});
                // Looking from a face, that face's centre sits in the middle of the cube.
                if (std::abs(x) + std::abs(y) + std::abs(z) == 1) {
                    const QPointF middle(cube.width() / 2.0, cube.height() / 2.0);
                    EXPECT_LT(QLineF(*cube.hotSpot(part), middle).length(), 1.0);
                }
            }
        }
    }
    EXPECT_EQ(reached.size(), 26U);
    // The named views run their commands; the back face is out of sight from the front.
    for (const CommandID& command : viewCubeCommands())
        EXPECT_TRUE(f.session->registry().entry(command));
    f.session->dispatch(Cmd::viewFront);
    EXPECT_FALSE(cube.hotSpot({0, 1, 0}));
    EXPECT_FALSE(cube.directionAt(QPointF(1, 1)));
    // Hovering lights the part; a press that leaves its part for another sends nothing.
    QTest::mouseMove(&cube, cube.hotSpot({0, -1, 1})->toPoint());
    EXPECT_EQ(cube.hovered(), (Vec3{0, -1, 1}));
    QTest::mousePress(&cube, Qt::LeftButton, {}, cube.hotSpot({0, -1, 1})->toPoint());
    QTest::mouseRelease(&cube, Qt::LeftButton, {}, cube.hotSpot({0, -1, 0})->toPoint());
    EXPECT_NEAR(camera.pitch(), 0, 1e-9);
    EXPECT_NEAR(camera.yaw(), -std::numbers::pi / 2, 1e-9);
    EXPECT_EQ(ViewCubeLayout::viewName({1, -1, 1}), "Top Front Right");
}

// The inspector's lists: bodies picked, hidden and renamed (a typed name survives changes that
// arrive meanwhile), the unit, and sketches and their constraints edited.
TEST(Panels, InspectorEditsBodiesSketchesAndConstraintsWithoutLosingATypedName) {
    PanelFixture f;
    auto& inspector = f.make<InspectorPanel>();
    QListWidget& bodies = *inspector.bodyList();
    const BodyID first = f.addBox();
    const BodyID second = f.addBox();
    QCoreApplication::processEvents();
    ASSERT_EQ(bodies.count(), 2);
    clickRow(bodies, 0);
    EXPECT_EQ(f.session->selection().bodies, (std::unordered_set<BodyID>{first}));
    clickRow(bodies, 1, Qt::ControlModifier);
    EXPECT_EQ(f.session->selection().bodies.size(), 2U);
    clickRowButton(bodies, 1, 0);
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
        clickRow(bodies, 0);
        QTest::mouseDClick(bodies.viewport(), Qt::LeftButton, {},
                           bodies.visualItemRect(bodies.item(0)).center());
        editor = bodies.findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(f.session->historyVersion(), version);
    EXPECT_EQ(f.session->document().body(first)->name, "Bracket");

    // Sketches: a click edits one (its constraints listed), its buttons hide or delete it.
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
    clickRow(sketches, 0);
    EXPECT_EQ(f.session->activeSketchID(), sketch);
    QCoreApplication::processEvents();
    ASSERT_EQ(inspector.constraintList()->count(), 1);
    clickRowButton(*inspector.constraintList(), 0, 0);
    EXPECT_TRUE(f.session->activeSketch()->constraints.empty());
    clickRowButton(sketches, 1, 1);
    EXPECT_FALSE(f.session->document().sketches[1].isVisible);
    clickRowButton(sketches, 1, 0);
    EXPECT_EQ(f.session->document().sketches.size(), 1U);
    EXPECT_EQ(sketches.count(), 1);
}

}  // namespace
}  // namespace brontile::desktop
