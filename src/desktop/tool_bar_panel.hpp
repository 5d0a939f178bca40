// The vertical strip of tool buttons on the left of the viewport: drawing tools while a sketch
// is edited, solid and transform tools otherwise, with the active tool's button checked.
#pragma once

#include <optional>
#include <vector>

#include <QFrame>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"

class QToolButton;
class QVBoxLayout;

namespace brontile::desktop {

class ToolBarPanel final : public QFrame {
    Q_OBJECT
public:
    explicit ToolBarPanel(SessionBridge& bridge, QWidget* parent = nullptr);

    // The current buttons from top to bottom (dividers left out).
    [[nodiscard]] const std::vector<QToolButton*>& buttons() const { return buttons_; }
    // The button that sends `command`, if the strip shows one.
    [[nodiscard]] QToolButton* button(const CommandID& command) const;
    // The palette's button shows whether the palette is open.
    void setPaletteOpen(bool open);

private:
    void rebuild();
    // Checks the button of the active tool and of the states the other buttons show.
    void syncChecked();
    [[nodiscard]] bool isOn(const CommandID& command) const;

    DocumentSession& session_;
    QVBoxLayout* column_ = nullptr;
    std::optional<bool> builtForSketch_;
    std::vector<QToolButton*> buttons_;
    bool paletteOpen_ = false;
};

}  // namespace brontile::desktop
