#include "desktop/command_palette.hpp"

#include <algorithm>

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "desktop/key_mapping.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr int kRowHeight = 34;
constexpr int kVisibleRows = 9;
constexpr int kShortcutRole = Qt::UserRole + 1;

// One result: icon, title and, on the right, the shortcut in a key cap.
class PaletteRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        const QRectF row = QRectF(option.rect).adjusted(2, 1, -2, -1);
        const bool highlighted = (option.state & QStyle::State_Selected) != 0;
        if (highlighted || (option.state & QStyle::State_MouseOver) != 0) {
            QPainterPath background;
            background.addRoundedRect(row, 7, 7);
            painter->fillPath(background, highlighted
                                              ? theme::withAlpha(theme::kAccent, 70)
                                              : theme::withAlpha(QColor(255, 255, 255), 12));
        }
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        const int iconSide = 18;
        const QRect iconRect(option.rect.left() + 12, option.rect.center().y() - iconSide / 2 + 1,
                             iconSide, iconSide);
        icon.paint(painter, iconRect, Qt::AlignCenter,
                   highlighted ? QIcon::Selected : QIcon::Normal);

        int right = option.rect.right() - 12;
        const QString shortcut = index.data(kShortcutRole).toString();
        if (!shortcut.isEmpty()) {
            QFont keyFont = option.font;
            keyFont.setPixelSize(theme::kFontPixels - 1);
            const QFontMetrics metrics(keyFont);
            const int capWidth = metrics.horizontalAdvance(shortcut) + 14;
            const QRectF cap(right - capWidth, option.rect.center().y() - 10.5, capWidth, 21);
            painter->setPen(
                QPen(theme::withAlpha(QColor(255, 255, 255), highlighted ? 60 : 30), 1));
            painter->setBrush(theme::withAlpha(QColor(0, 0, 0), 40));
            painter->drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            painter->setFont(keyFont);
            painter->setPen(highlighted ? theme::kText : theme::kSecondaryText);
            painter->drawText(cap, Qt::AlignCenter, shortcut);
            right = static_cast<int>(cap.left()) - 10;
        }
        const QRect titleRect(iconRect.right() + 12, option.rect.top(),
                              std::max(0, right - iconRect.right() - 12), option.rect.height());
        painter->setFont(option.font);
        painter->setPen(highlighted ? QColor(255, 255, 255) : theme::kText);
        const QString title = index.data(Qt::DisplayRole).toString();
        painter->drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
                          option.fontMetrics.elidedText(title, Qt::ElideRight, titleRect.width()));
        painter->restore();
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex&) const override {
        return {option.rect.width(), kRowHeight};
    }
};

// The keys the palette keeps for itself even where the window binds them as shortcuts.
bool isPaletteKey(int key) {
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter ||
           key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace

CommandPalette::CommandPalette(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent),
      session_(bridge.session()),
      field_(new QLineEdit(this)),
      list_(new QListWidget(this)),
      empty_(new QLabel(QStringLiteral("No matching commands"), this)) {
    theme::setSurface(*this, theme::Surface::card);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    field_->setPlaceholderText(QStringLiteral("Type a command\u2026"));
    field_->setClearButtonEnabled(false);
    field_->setMinimumHeight(34);
    field_->installEventFilter(this);
    column->addWidget(field_);

    list_->setFocusPolicy(Qt::NoFocus);
    list_->setMouseTracking(true);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setItemDelegate(new PaletteRowDelegate(list_));
    column->addWidget(list_);

    theme::setTextRole(*empty_, theme::TextRole::faint);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setMinimumHeight(kRowHeight);
    column->addWidget(empty_);

    auto* footer = new QLabel(
        QStringLiteral("\u2191\u2193 to move \u00B7 Enter to run \u00B7 Esc to close"), this);
    theme::setTextRole(*footer, theme::TextRole::faint);
    footer->setAlignment(Qt::AlignRight);
    column->addWidget(footer);

    connect(field_, &QLineEdit::textChanged, this, &CommandPalette::search);
    connect(list_, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        highlight(static_cast<std::size_t>(std::max(0, list_->row(item))));
    });
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = list_->row(item);
        if (row >= 0) choose(static_cast<std::size_t>(row));
    });

    watchParent();
    search(QString());
    hide();
}

bool CommandPalette::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) watchParent();
    return QFrame::event(event);
}

bool CommandPalette::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::Resize) {
        place();
        return false;
    }
    if (watched != field_) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed here, these keys reach the field as presses instead of firing the window's
        // shortcuts (Escape cancels the tool, Return confirms it, Tab edits the HUD).
        auto* key = static_cast<QKeyEvent*>(event);
        if (isPaletteKey(key->key())) {
            key->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Down: highlight(paletteDown(highlighted_, results_.size())); return true;
        case Qt::Key_Up: highlight(paletteUp(highlighted_)); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: choose(highlighted_); return true;
        case Qt::Key_Escape: dismiss(); return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return true;
        default: return false;
    }
}

void CommandPalette::open() {
    field_->clear();
    search(QString());
    show();
    raise();
    place();
    field_->setFocus(Qt::PopupFocusReason);
    if (!std::exchange(open_, true)) emit openChanged(true);
}

void CommandPalette::close() {
    hide();
    if (std::exchange(open_, false)) emit openChanged(false);
}

void CommandPalette::search(const QString& query) {
    results_ = session_.registry().search(query.toStdString());
    list_->clear();
    for (const CommandRegistry::Entry& entry : results_) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.title), list_);
        item->setIcon(symbolIcon(entry.symbol));
        item->setData(kShortcutRole, shortcutText(session_.keymap(), entry.id));
        item->setToolTip(QString::fromStdString(entry.category + " \u00B7 " + entry.id.rawValue));
    }
    list_->setVisible(!results_.empty());
    empty_->setVisible(results_.empty());
    place();
    highlight(0);
}

void CommandPalette::highlight(std::size_t row) {
    highlighted_ = row;
    if (row >= results_.size()) return;
    list_->setCurrentRow(static_cast<int>(row));
    list_->scrollToItem(list_->item(static_cast<int>(row)));
}

void CommandPalette::choose(std::size_t row) {
    if (row >= results_.size()) return;
    const CommandID command = results_[row].id;
    close();
    // The palette is gone and its field has let go of the keyboard before the command runs, so
    // a command that opens a dialog or another panel starts from a settled window.
    QTimer::singleShot(0, this, [this, command] {
        session_.dispatch(command);
        emit commandRan();
    });
}

void CommandPalette::dismiss() {
    close();
    emit dismissed();
}

void CommandPalette::watchParent() {
    if (watched_ == parentWidget()) return;
    if (watched_ != nullptr) watched_->removeEventFilter(this);
    watched_ = parentWidget();
    if (watched_ != nullptr) watched_->installEventFilter(this);
    place();
}

void CommandPalette::place() {
    const QWidget* host = parentWidget();
    if (host == nullptr) return;
    const int width = std::min(600, std::max(host->width() - 48, 240));
    const int top = std::clamp(host->height() / 10, 16, 88);
    // As many rows as fit under the field in a short window, never fewer than one.
    const int room = std::max(1, (host->height() - top - 120) / kRowHeight);
    const int rows = std::min({static_cast<int>(results_.size()), kVisibleRows, room});
    list_->setFixedHeight(rows * kRowHeight + 2 * list_->frameWidth());
    setFixedWidth(width);
    adjustSize();
    move((host->width() - width) / 2, top);
}

}  // namespace brontile::desktop
