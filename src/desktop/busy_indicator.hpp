// The status bar's sign of a long operation: once it has run for a moment (quick ones never
// show it), its phase, how far it has got and a Cancel button, with the busy pointer over the
// window. Escape cancels as the button does.
#pragma once

#include <QFrame>
#include <QTimer>

#include "desktop/session_bridge.hpp"

class QLabel;
class QProgressBar;
class QToolButton;

namespace brontile::desktop {

class BusyIndicator final : public QFrame {
    Q_OBJECT
public:
    // How long an operation runs before it is shown, and how often its progress is redrawn.
    static constexpr int kShowAfterMs = 150;
    static constexpr int kRefreshMs = 50;

    explicit BusyIndicator(SessionBridge& bridge, QWidget* parent = nullptr);
    ~BusyIndicator() override;

    [[nodiscard]] QLabel* phaseLabel() const { return phase_; }
    [[nodiscard]] QProgressBar* progressBar() const { return bar_; }
    [[nodiscard]] QToolButton* cancelButton() const { return cancel_; }

private:
    void busyChanged();
    void appear();
    void refresh();
    void setBusyPointer(bool on);

    DocumentSession& session_;
    QLabel* phase_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QToolButton* cancel_ = nullptr;
    QTimer showTimer_;
    QTimer refreshTimer_;
    bool pointerSet_ = false;
};

}  // namespace brontile::desktop
