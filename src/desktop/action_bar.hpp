// The floating pill over the top of the viewport that offers what can be done with the current
// selection: one button (icon and short title) per contextual command.
#pragma once

#include <vector>

#include <QFrame>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"

class QHBoxLayout;
class QToolButton;

namespace brontile::desktop {

class ActionBar final : public QFrame {
    Q_OBJECT
public:
    explicit ActionBar(SessionBridge& bridge, QWidget* parent = nullptr);

    // What the buttons send, left to right.
    [[nodiscard]] const std::vector<CommandID>& commands() const { return commands_; }
    // The current buttons, in the same order.
    [[nodiscard]] const std::vector<QToolButton*>& buttons() const { return buttons_; }

private:
    void refresh();
    // Greys out what a running operation keeps from running.
    void syncEnabled();

    DocumentSession& session_;
    QHBoxLayout* row_ = nullptr;
    std::vector<CommandID> commands_;
    std::vector<QToolButton*> buttons_;
};

}  // namespace brontile::desktop
