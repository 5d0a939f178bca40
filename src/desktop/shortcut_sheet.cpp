#include "desktop/shortcut_sheet.hpp"

#include <algorithm>

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "desktop/key_mapping.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr int kColumnWidth = 250;
constexpr int kMaxColumns = 4;
constexpr int kMargin = 32;
constexpr int kCardPadding = 22;

bool isClosingKey(int key) {
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// One category: its name over its commands, each with its shortcut on the right.
QWidget* categoryGroup(const DocumentSession& session, const std::string& category,
                       QWidget* parent) {
    auto* group = new QWidget(parent);
    auto* rows = new QGridLayout(group);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setHorizontalSpacing(16);
    rows->setVerticalSpacing(5);
    auto* name = new QLabel(QString::fromStdString(category), group);
    theme::setTextRole(*name, theme::TextRole::caption);
    rows->addWidget(name, 0, 0, 1, 2);
    int row = 1;
    for (const CommandRegistry::Entry& entry : session.registry().entries(category)) {
        auto* title = new QLabel(QString::fromStdString(entry.title), group);
        auto* shortcut = new QLabel(shortcutText(session.keymap(), entry.id), group);
        theme::setTextRole(*shortcut, theme::TextRole::secondary);
        shortcut->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        rows->addWidget(title, row, 0);
        rows->addWidget(shortcut, row, 1);
        ++row;
    }
    rows->setColumnStretch(0, 1);
    return group;
}

}  // namespace

ShortcutSheet::ShortcutSheet(SessionBridge& bridge, QWidget* parent)
    : QWidget(parent),
      session_(bridge.session()),
      card_(new QFrame(this)),
      header_(new QWidget(card_)),
      scroll_(new QScrollArea(card_)),
      navigation_(new QLabel(card_)),
      done_(new QPushButton(QStringLiteral("Done"), header_)) {
    theme::setSurface(*card_, theme::Surface::card);
    auto* column = new QVBoxLayout(card_);
    column->setContentsMargins(kCardPadding, 18, kCardPadding, 16);
    column->setSpacing(14);

    auto* headerRow = new QHBoxLayout(header_);
    headerRow->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Keyboard Shortcuts"), header_);
    theme::setTextRole(*title, theme::TextRole::heading);
    headerRow->addWidget(title);
    headerRow->addStretch(1);
    done_->setProperty("accent", true);
    done_->setCursor(Qt::PointingHandCursor);
    headerRow->addWidget(done_);
    column->addWidget(header_);

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    column->addWidget(scroll_, 1);

    navigation_->setText(
        QString::fromUtf8(kNavigationLine.data(), static_cast<qsizetype>(kNavigationLine.size())));
    navigation_->setWordWrap(true);
    theme::setTextRole(*navigation_, theme::TextRole::faint);
    column->addWidget(navigation_);

    connect(done_, &QPushButton::clicked, this, &ShortcutSheet::dismiss);

    fillColumns(1);
    watchParent();
    hide();
}

bool ShortcutSheet::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) watchParent();
    if (event->type() == QEvent::ShortcutOverride &&
        isClosingKey(static_cast<QKeyEvent*>(event)->key())) {
        // Closing keys close the sheet rather than firing the window's shortcuts.
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool ShortcutSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::Resize) place();
    return false;
}

void ShortcutSheet::keyPressEvent(QKeyEvent* event) {
    if (isClosingKey(event->key())) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ShortcutSheet::mousePressEvent(QMouseEvent* event) {
    // A click on the dimmed window around the card closes the sheet, as Done does.
    if (!card_->geometry().contains(event->position().toPoint())) {
        dismiss();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ShortcutSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(8, 9, 12, 150));
}

void ShortcutSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrangeCard();
}

void ShortcutSheet::open() {
    open_ = true;
    place();
    show();
    raise();
    scroll_->verticalScrollBar()->setValue(0);
    done_->setFocus(Qt::PopupFocusReason);
}

void ShortcutSheet::dismiss() {
    open_ = false;
    hide();
    emit dismissed();
}

void ShortcutSheet::watchParent() {
    if (watched_ == parentWidget()) return;
    if (watched_ != nullptr) watched_->removeEventFilter(this);
    watched_ = parentWidget();
    if (watched_ != nullptr) watched_->installEventFilter(this);
    place();
}

void ShortcutSheet::place() {
    if (const QWidget* host = parentWidget()) setGeometry(host->rect());
}

void ShortcutSheet::arrangeCard() {
    const int width = std::max(std::min(this->width() - 2 * kMargin, 1040), 280);
    const int inner = width - 2 * kCardPadding;
    const int columns = std::clamp(inner / kColumnWidth, 1, kMaxColumns);
    if (columns != columns_) fillColumns(columns);
    const QMargins margins = card_->layout()->contentsMargins();
    const int spacing = card_->layout()->spacing();
    const int wanted = margins.top() + margins.bottom() + header_->sizeHint().height() +
                       scroll_->widget()->sizeHint().height() + navigation_->heightForWidth(inner) +
                       2 * spacing;
    const int height = std::max(std::min(wanted, this->height() - 2 * kMargin), 160);
    card_->setGeometry((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void ShortcutSheet::fillColumns(int columns) {
    columns_ = columns;
    auto* content = new QWidget(scroll_);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(28);
    const auto categories = session_.registry().categories();
    // Balanced by line count, in registry order down each column, then across.
    std::size_t total = 0;
    for (const std::string& category : categories) {
        total += session_.registry().entries(category).size() + 2;
    }
    const std::size_t target =
        (total + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns);
    QVBoxLayout* current = nullptr;
    std::size_t filled = 0;
    int made = 0;
    for (const std::string& category : categories) {
        const std::size_t lines = session_.registry().entries(category).size() + 2;
        if (current == nullptr || (filled > 0 && filled + lines > target && made < columns)) {
            if (current != nullptr) current->addStretch(1);
            auto* columnWidget = new QWidget(content);
            current = new QVBoxLayout(columnWidget);
            current->setContentsMargins(0, 0, 0, 0);
            current->setSpacing(18);
            row->addWidget(columnWidget, 1);
            filled = 0;
            ++made;
        }
        current->addWidget(categoryGroup(session_, category, current->parentWidget()));
        filled += lines;
    }
    if (current != nullptr) current->addStretch(1);
    // The scroll area takes the content over and deletes what it showed before.
    scroll_->setWidget(content);
    content->setAutoFillBackground(false);
}

}  // namespace brontile::desktop
