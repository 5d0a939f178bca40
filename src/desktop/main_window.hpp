// The one document window: menus built from the command registry, the header, toolbar,
// viewport with its floating panels, inspector and status bar, all showing one session.
#pragma once

#include <QMainWindow>

#include "desktop/qt_platform.hpp"
#include "desktop/session_bridge.hpp"
#include "session/document_session.hpp"

namespace brontile::desktop {

class ActionBar;
class CommandPalette;
class HudPanel;
class InspectorPanel;
class ShortcutSheet;
class StatusBarPanel;
class ToolBarPanel;
class ViewCube;
class ViewportWidget;
class WorkspaceHeader;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 1024;
    static constexpr int kMinimumHeight = 640;

    // The session and platform must outlive the window.
    MainWindow(DocumentSession& session, QtPlatform& platform);
    ~MainWindow() override;

    [[nodiscard]] DocumentSession& session() const { return session_; }
    [[nodiscard]] ViewportWidget& viewport() const { return *viewport_; }
    [[nodiscard]] HudPanel& hud() const { return *hud_; }
    [[nodiscard]] CommandPalette& palette() const { return *palette_; }
    [[nodiscard]] ShortcutSheet& shortcutSheet() const { return *sheet_; }

    // Gives the keyboard back to the viewport, as after a panel closes.
    void refocusViewport();

protected:
    // Closing asks about unsaved changes first; Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildWorkspace(const SessionPlatform& platform);
    // The palette, the sheet and the HUD's field give the keyboard back when they are done.
    void connectPanels();
    void openPanel(WindowPanel panel);
    void refreshTitle();
    // Greys out the commands a running operation keeps from running.
    void refreshMenus();

    DocumentSession& session_;
    QtPlatform& platform_;
    SessionBridge bridge_;
    ToolBarPanel* toolBar_ = nullptr;
    ViewportWidget* viewport_ = nullptr;
    HudPanel* hud_ = nullptr;
    CommandPalette* palette_ = nullptr;
    ShortcutSheet* sheet_ = nullptr;
};

}  // namespace brontile::desktop
