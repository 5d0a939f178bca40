// The bar across the top of the window: the document's title, a badge while a sketch is edited,
// undo and redo, frame all, and the button that finishes the sketch.
#pragma once

#include <vector>

#include <QFrame>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"

class QAbstractButton;
class QLabel;

namespace brontile::desktop {

class WorkspaceHeader final : public QFrame {
    Q_OBJECT
public:
    explicit WorkspaceHeader(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QLabel* titleLabel() const { return title_; }
    [[nodiscard]] QLabel* sketchBadge() const { return badge_; }
    // The button that sends `command`, one of headerCommands().
    [[nodiscard]] QAbstractButton* button(const CommandID& command) const;

private:
    void refresh();

    DocumentSession& session_;
    QLabel* title_ = nullptr;
    QLabel* badge_ = nullptr;
    std::vector<QAbstractButton*> buttons_;
};

}  // namespace brontile::desktop
