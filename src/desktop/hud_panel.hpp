// The heads-up display: the live value of the active tool (label, value, snap detail) as a small
// pill over the bottom of the viewport, and the field a value is typed into while the session
// edits the HUD. Hidden while there is no HUD.
#pragma once

#include <QFrame>

#include "desktop/session_bridge.hpp"

class QLabel;
class QLineEdit;

namespace brontile::desktop {

class HudPanel final : public QFrame {
    Q_OBJECT
public:
    explicit HudPanel(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* field() const { return field_; }
    // The value as shown while not editing ("12.5 mm").
    [[nodiscard]] QString valueText() const;

signals:
    // The field was submitted or cancelled: the keyboard goes back to the viewport.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    // Starts or ends the field's edit as the session says.
    void syncEditing();
    void submit();
    void cancel();

    DocumentSession& session_;
    QLabel* label_ = nullptr;
    QLabel* value_ = nullptr;
    QLineEdit* field_ = nullptr;
    QLabel* unit_ = nullptr;
    QLabel* detail_ = nullptr;
    QLabel* hint_ = nullptr;
    bool editing_ = false;
};

}  // namespace brontile::desktop
