// The keyboard shortcut sheet: every command of the registry, grouped by category, with its
// shortcut, and how the mouse moves the camera. It dims the window's central widget and is shown
// exactly while the session asks for it.
#pragma once

#include <QPointer>
#include <QWidget>

#include "desktop/session_bridge.hpp"

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

namespace brontile::desktop {

class ShortcutSheet final : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutSheet(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* doneButton() const { return done_; }
    // How many columns the groups are laid out in at the current size.
    [[nodiscard]] int columnCount() const { return columns_; }
    [[nodiscard]] bool isOpen() const { return open_; }
    void open();

signals:
    void dismissed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void dismiss();
    void watchParent();
    // Covers the whole parent.
    void place();
    // Centres the card, as wide as the sheet allows and no taller than its content.
    void arrangeCard();
    // The groups in `columns` columns, replacing what the scroll area showed.
    void fillColumns(int columns);

    DocumentSession& session_;
    QFrame* card_ = nullptr;
    QWidget* header_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* navigation_ = nullptr;
    QPushButton* done_ = nullptr;
    int columns_ = 0;
    bool open_ = false;
    QPointer<QWidget> watched_;
};

}  // namespace brontile::desktop
