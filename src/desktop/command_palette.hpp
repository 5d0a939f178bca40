// The command palette: a search field over the top of the viewport that finds any command by
// title, id or category and runs it from the keyboard. It places itself within its parent (the
// window's central widget); the window opens it when the session asks for it.
#pragma once

#include <cstddef>
#include <vector>

#include <QFrame>
#include <QPointer>

#include "commands/command_registry.hpp"
#include "desktop/session_bridge.hpp"

class QLabel;
class QLineEdit;
class QListWidget;

namespace brontile::desktop {

class CommandPalette final : public QFrame {
    Q_OBJECT
public:
    explicit CommandPalette(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* searchField() const { return field_; }
    [[nodiscard]] QListWidget* resultList() const { return list_; }
    [[nodiscard]] const std::vector<CommandRegistry::Entry>& results() const { return results_; }
    [[nodiscard]] std::size_t highlighted() const { return highlighted_; }
    [[nodiscard]] bool isOpen() const { return open_; }

    // Every opening starts from an empty query with the first command highlighted.
    void open();

signals:
    // The chosen command ran, after the palette had closed.
    void commandRan();
    // Closed without choosing.
    void dismissed();
    void openChanged(bool open);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void close();
    void search(const QString& query);
    void highlight(std::size_t row);
    // Closes the palette, then runs the command once control is back in the event loop.
    void choose(std::size_t row);
    void dismiss();
    void watchParent();
    void place();

    DocumentSession& session_;
    QLineEdit* field_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* empty_ = nullptr;
    std::vector<CommandRegistry::Entry> results_;
    std::size_t highlighted_ = 0;
    bool open_ = false;
    QPointer<QWidget> watched_;
};

}  // namespace brontile::desktop
