#include "desktop/main_window.hpp"

#include <algorithm>
#include <array>

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QVBoxLayout>

#include "desktop/action_bar.hpp"
#include "desktop/command_palette.hpp"
#include "desktop/hud_panel.hpp"
#include "desktop/inspector_panel.hpp"
#include "desktop/key_mapping.hpp"
#include "desktop/menu_layout.hpp"
#include "desktop/shortcut_sheet.hpp"
#include "desktop/status_bar_panel.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/tool_bar_panel.hpp"
#include "desktop/view_cube.hpp"
#include "desktop/viewport_widget.hpp"
#include "desktop/workspace_header.hpp"

namespace brontile::desktop {
namespace {

constexpr int kInitialWidth = 1440;
constexpr int kInitialHeight = 900;
constexpr int kOverlayMargin = 12;

// Holds the viewport and floats the action bar (top left), view cube (top right) and HUD
// (bottom centre) over it at their preferred sizes.
class ViewportArea final : public QWidget {
public:
    ViewportArea(ViewportWidget* viewport, ActionBar* actionBar, QWidget* viewCube, QWidget* hud,
                 QWidget* parent)
        : QWidget(parent),
          viewport_(viewport),
          actionBar_(actionBar),
          viewCube_(viewCube),
          hud_(hud) {
        viewport_->setParent(this);
        for (QWidget* overlay : overlays()) {
            overlay->setParent(this);
            overlay->installEventFilter(this);
            overlay->raise();
        }
    }

protected:
    void resizeEvent(QResizeEvent*) override { place(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A panel whose content changed asks for a new size: follow it.
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) place();
        return QWidget::eventFilter(watched, event);
    }

private:
    void place() {
        const QRect area = rect();
        viewport_->setGeometry(area);
        const QSize cube = viewCube_->sizeHint();
        viewCube_->setGeometry(area.width() - cube.width() - kOverlayMargin, kOverlayMargin,
                               cube.width(), cube.height());
        // The action bar's left edge stays put and the bar ends short of the cube. Centred, it
        // would move every button by half of any change in its width: a click that changes the
        // selection would slide the next button away from under the pointer, and in a sketch the
        // commands picking a curve adds would push Extrude and its neighbours sideways. Anchored,
        // the commands two selections share stay where the hand already is.
        const int room = area.width() - cube.width() - 3 * kOverlayMargin;
        actionBar_->setRoom(room);
        const QSize bar = actionBar_->sizeHint();
        actionBar_->setGeometry(kOverlayMargin, kOverlayMargin,
                                std::max(0, std::min(bar.width(), room)), bar.height());
        const QSize hud = hud_->sizeHint().boundedTo(area.size());
        hud_->setGeometry((area.width() - hud.width()) / 2,
                          area.height() - hud.height() - 2 * kOverlayMargin, hud.width(),
                          hud.height());
        for (QWidget* overlay : overlays()) overlay->raise();
    }

    [[nodiscard]] std::array<QWidget*, 3> overlays() const { return {actionBar_, viewCube_, hud_}; }

    ViewportWidget* viewport_;
    ActionBar* actionBar_;
    QWidget* viewCube_;
    QWidget* hud_;
};

}  // namespace

MainWindow::MainWindow(DocumentSession& session, QtPlatform& platform)
    : session_(session), platform_(platform), bridge_(session) {
    platform.setWindow(this);
    platform.setPanelHandler([this](WindowPanel panel) { openPanel(panel); });
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kInitialWidth, kInitialHeight);
    setCentralWidget(buildWorkspace(platform));
    buildMenus();
    refreshTitle();
    connect(&bridge_, &SessionBridge::changed, this, [this](SessionProperty property) {
        switch (property) {
            case SessionProperty::document:
            case SessionProperty::isDirty:
            case SessionProperty::fileURL:
            case SessionProperty::historyVersion: refreshTitle(); break;
            case SessionProperty::busy: refreshMenus(); break;
            default: break;
        }
    });
    connectPanels();
}

MainWindow::~MainWindow() {
    platform_.setPanelHandler(nullptr);
    platform_.setWindow(nullptr);
}

void MainWindow::refocusViewport() { viewport_->setFocus(Qt::OtherFocusReason); }

void MainWindow::connectPanels() {
    connect(palette_, &CommandPalette::commandRan, this, [this] {
        // A command that opened something of its own to type into keeps the keyboard.
        if (!palette_->isOpen() && !sheet_->isOpen() && !session_.hudEditing()) refocusViewport();
    });
    connect(palette_, &CommandPalette::dismissed, this, &MainWindow::refocusViewport);
    connect(palette_, &CommandPalette::openChanged, toolBar_, &ToolBarPanel::setPaletteOpen);
    connect(sheet_, &ShortcutSheet::dismissed, this, &MainWindow::refocusViewport);
    connect(hud_, &HudPanel::finished, this, &MainWindow::refocusViewport);
}

void MainWindow::openPanel(WindowPanel panel) {
    switch (panel) {
        case WindowPanel::commandPalette: palette_->open(); break;
        case WindowPanel::shortcutSheet: sheet_->open(); break;
    }
}

QWidget* MainWindow::buildWorkspace(const SessionPlatform& platform) {
    auto* central = new QWidget(this);
    central->setObjectName("workspace");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new WorkspaceHeader(bridge_, central));

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    toolBar_ = new ToolBarPanel(bridge_, central);
    row->addWidget(toolBar_);
    viewport_ = new ViewportWidget(session_, platform, central);
    hud_ = new HudPanel(bridge_, central);
    auto* cube = new ViewCube(bridge_, central);
    // The cube turns with every frame that shows the camera moved; an idle view paints nothing.
    connect(viewport_, &ViewportWidget::frameDrawn, cube, &ViewCube::followCamera);
    auto* area = new ViewportArea(viewport_, new ActionBar(bridge_, central), cube, hud_, central);
    row->addWidget(area, 1);
    row->addWidget(new InspectorPanel(bridge_, central));
    column->addLayout(row, 1);
    column->addWidget(new StatusBarPanel(bridge_, central));

    palette_ = new CommandPalette(bridge_, central);
    sheet_ = new ShortcutSheet(bridge_, central);
    return central;
}

void MainWindow::buildMenus() {
    const CommandRegistry& registry = session_.registry();
    for (const MenuLayout& layout : menuLayouts()) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(layout.title));
        for (const auto& item : layout.items) {
            if (!item) {
                menu->addSeparator();
                continue;
            }
            const CommandID id = *item;
            QAction* action = menu->addAction(QString::fromStdString(registry.title(id)));
            const auto entry = registry.entry(id);
            action->setIcon(symbolIcon(entry ? entry->symbol : std::nullopt));
            action->setIconVisibleInMenu(false);
            action->setData(QString::fromStdString(id.rawValue));
            if (const auto shortcut = menuShortcut(session_.keymap(), id)) {
                action->setShortcut(*shortcut);
            }
            connect(action, &QAction::triggered, this, [this, id] { session_.dispatch(id); });
        }
        if (&layout == &menuLayouts().front()) {
            menu->addSeparator();
            QAction* quit = menu->addAction(tr("&Quit"));
            quit->setShortcut(QKeySequence::Quit);
            quit->setMenuRole(QAction::QuitRole);
            connect(quit, &QAction::triggered, this, &QWidget::close);
        }
    }
}

void MainWindow::refreshMenus() {
    for (QAction* menu : menuBar()->actions()) {
        if (menu->menu() == nullptr) continue;
        for (QAction* action : menu->menu()->actions()) {
            const QString id = action->data().toString();
            if (!id.isEmpty())
                action->setEnabled(session_.isAvailable(CommandID(id.toStdString())));
        }
    }
}

void MainWindow::refreshTitle() { setWindowTitle(QString::fromStdString(session_.windowTitle())); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.files().confirmDiscardIfNeeded()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace brontile::desktop
