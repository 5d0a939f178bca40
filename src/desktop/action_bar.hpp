// The floating pill over the top of the viewport that offers what can be done with the current
// selection: one button (icon and short title) per contextual command, and, where the viewport
// is too narrow for all of them, a "More" button at its end that lists the rest.
#pragma once

#include <climits>
#include <vector>

#include <QFrame>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"

class QHBoxLayout;
class QMenu;
class QToolButton;

namespace brontile::desktop {

class ActionBar final : public QFrame {
    Q_OBJECT
public:
    explicit ActionBar(SessionBridge& bridge, QWidget* parent = nullptr);

    // What the buttons send, left to right.
    [[nodiscard]] const std::vector<CommandID>& commands() const { return commands_; }
    // The current buttons, in the same order, shown or not.
    [[nodiscard]] const std::vector<QToolButton*>& buttons() const { return buttons_; }

    // The widest the bar may be. The buttons that would not fit whole, from the last, go behind
    // the "More" button; unlimited until set.
    void setRoom(int width);
    // The commands behind the "More" button, in order; empty when every button is shown.
    [[nodiscard]] std::vector<CommandID> overflowCommands() const;
    [[nodiscard]] QToolButton* moreButton() const { return more_; }

private:
    void refresh();
    // Shows the buttons that fit the room and hides the rest.
    void fit();
    // The bar's width with its first `count` buttons, and the "More" button or not.
    [[nodiscard]] int widthFor(std::size_t count, bool withMore) const;
    // Greys out what a running operation keeps from running.
    void syncEnabled();
    void showOverflowMenu();

    DocumentSession& session_;
    QHBoxLayout* row_ = nullptr;
    QToolButton* more_ = nullptr;
    QMenu* moreMenu_ = nullptr;
    std::vector<CommandID> commands_;
    std::vector<QToolButton*> buttons_;
    int room_ = INT_MAX;
    std::size_t shown_ = 0;
};

}  // namespace brontile::desktop
