// The bar along the bottom of the window: the active tool and what to do with it, the latest
// message (an error in red), a long operation's progress, what is selected, the sketch being edited
// and the kernel in use.
#pragma once

#include <QFrame>

#include "desktop/session_bridge.hpp"

class QLabel;
class QToolButton;

namespace brontile::desktop {

class BusyIndicator;

class StatusBarPanel final : public QFrame {
    Q_OBJECT
public:
    explicit StatusBarPanel(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QLabel* toolLabel() const { return tool_; }
    [[nodiscard]] QLabel* hintLabel() const { return hint_; }
    // The transient message or error; hidden when there is neither.
    [[nodiscard]] QLabel* messageLabel() const { return message_; }
    // Closes the error; shown only beside one.
    [[nodiscard]] QToolButton* dismissButton() const { return dismiss_; }
    // A long operation's phase, progress and Cancel; shown once it has run for a moment.
    [[nodiscard]] BusyIndicator* busyIndicator() const { return busy_; }
    [[nodiscard]] QLabel* selectionLabel() const { return selection_; }
    // "Sketch: " and the active sketch's name; hidden outside a sketch.
    [[nodiscard]] QLabel* sketchLabel() const { return sketch_; }
    [[nodiscard]] QLabel* kernelLabel() const { return kernel_; }

private:
    void refreshTool();
    void refreshMessage();
    void refreshSelection();

    DocumentSession& session_;
    QLabel* tool_ = nullptr;
    QLabel* hint_ = nullptr;
    QWidget* messageDivider_ = nullptr;
    QLabel* message_ = nullptr;
    QToolButton* dismiss_ = nullptr;
    BusyIndicator* busy_ = nullptr;
    QLabel* selection_ = nullptr;
    QWidget* sketchDivider_ = nullptr;
    QLabel* sketch_ = nullptr;
    QLabel* kernel_ = nullptr;
};

}  // namespace brontile::desktop
