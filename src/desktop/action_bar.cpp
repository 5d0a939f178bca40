#include "desktop/action_bar.hpp"

#include <algorithm>

#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

void styleButton(QToolButton& button) {
    button.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button.setIconSize(QSize(16, 16));
    button.setFocusPolicy(Qt::NoFocus);
    button.setAutoRaise(true);
}

}  // namespace

ActionBar::ActionBar(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent),
      session_(bridge.session()),
      row_(new QHBoxLayout(this)),
      more_(new QToolButton(this)),
      moreMenu_(new QMenu(this)) {
    theme::setSurface(*this, theme::Surface::overlay);
    row_->setContentsMargins(6, 5, 6, 5);
    row_->setSpacing(2);
    styleButton(*more_);
    more_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    more_->setIcon(symbolIcon(std::string("ellipsis")));
    more_->setToolTip(tr("More"));
    more_->setObjectName(QStringLiteral("more"));
    more_->hide();
    connect(more_, &QToolButton::clicked, this, &ActionBar::showOverflowMenu);
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        if (property == SessionProperty::selection || property == SessionProperty::document ||
            property == SessionProperty::activeSketchID || property == SessionProperty::busy) {
            refresh();
        }
    });
    refresh();
}

void ActionBar::setRoom(int width) {
    if (width == room_) return;
    room_ = width;
    fit();
}

std::vector<CommandID> ActionBar::overflowCommands() const {
    return {commands_.begin() + static_cast<std::ptrdiff_t>(shown_), commands_.end()};
}

void ActionBar::refresh() {
    auto commands = contextualCommands(session_.selection(), session_.activeSketchID().has_value(),
                                       session_.document().bodies.size());
    // Replacing buttons that did not change would only make the bar flicker.
    if (commands == commands_ && !buttons_.empty()) return syncEnabled();
    commands_ = std::move(commands);
    // The "More" button outlives the command buttons retired here.
    row_->removeWidget(more_);
    theme::retireItems(*row_);
    buttons_.clear();
    for (const CommandID& command : commands_) {
        auto* button = new QToolButton(this);
        presentCommand(*button, session_.registry(), session_.keymap(), command);
        button->setText(QString::fromStdString(shortTitle(session_.registry().title(command))));
        styleButton(*button);
        connect(button, &QToolButton::clicked, this,
                [this, command] { session_.dispatch(command); });
        row_->addWidget(button);
        // Hidden until fitted: a button added to a shown bar would otherwise show itself later,
        // whether it fits or not.
        button->hide();
        buttons_.push_back(button);
    }
    row_->addWidget(more_);
    fit();
    syncEnabled();
    updateGeometry();
    // Whoever placed the bar places it again on the layout request this causes.
    adjustSize();
}

int ActionBar::widthFor(std::size_t count, bool withMore) const {
    const QMargins frame = contentsMargins();
    const QMargins padding = row_->contentsMargins();
    int width = frame.left() + frame.right() + padding.left() + padding.right();
    int items = 0;
    for (std::size_t i = 0; i < count; ++i, ++items) width += buttons_[i]->sizeHint().width();
    if (withMore) {
        width += more_->sizeHint().width();
        ++items;
    }
    return width + std::max(0, items - 1) * row_->spacing();
}

void ActionBar::fit() {
    std::size_t shown = buttons_.size();
    if (widthFor(shown, false) > room_) {
        shown = 0;
        while (shown < buttons_.size() && widthFor(shown + 1, true) <= room_) ++shown;
    }
    shown_ = shown;
    // Only what changes is touched: each show or hide asks the viewport to place the bar again,
    // and that placing comes back here.
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]->isHidden() == (i < shown)) buttons_[i]->setVisible(i < shown);
    }
    if (more_->isHidden() == (shown < buttons_.size())) more_->setVisible(shown < buttons_.size());
}

void ActionBar::syncEnabled() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setEnabled(session_.isAvailable(commands_[i]));
    }
}

void ActionBar::showOverflowMenu() {
    moreMenu_->clear();
    for (const CommandID& command : overflowCommands()) {
        QAction* action =
            moreMenu_->addAction(commandIcon(session_.registry(), command),
                                 QString::fromStdString(session_.registry().title(command)));
        action->setEnabled(session_.isAvailable(command));
        connect(action, &QAction::triggered, this, [this, command] { session_.dispatch(command); });
    }
    moreMenu_->popup(more_->mapToGlobal(QPoint(0, more_->height())));
}

}  // namespace brontile::desktop
