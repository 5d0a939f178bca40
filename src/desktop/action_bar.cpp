#include "desktop/action_bar.hpp"

#include <QHBoxLayout>
#include <QToolButton>

#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {

ActionBar::ActionBar(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent), session_(bridge.session()), row_(new QHBoxLayout(this)) {
    theme::setSurface(*this, theme::Surface::overlay);
    row_->setContentsMargins(6, 5, 6, 5);
    row_->setSpacing(2);
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        if (property == SessionProperty::selection || property == SessionProperty::document ||
            property == SessionProperty::activeSketchID || property == SessionProperty::busy) {
            refresh();
        }
    });
    refresh();
}

void ActionBar::refresh() {
    auto commands = contextualCommands(session_.selection(), session_.activeSketchID().has_value(),
                                       session_.document().bodies.size());
    // Replacing buttons that did not change would only make the bar flicker.
    if (commands == commands_ && !buttons_.empty()) return syncEnabled();
    commands_ = std::move(commands);
    theme::retireItems(*row_);
    buttons_.clear();
    for (const CommandID& command : commands_) {
        auto* button = new QToolButton(this);
        presentCommand(*button, session_.registry(), session_.keymap(), command);
        button->setText(QString::fromStdString(shortTitle(session_.registry().title(command))));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this,
                [this, command] { session_.dispatch(command); });
        row_->addWidget(button);
        buttons_.push_back(button);
    }
    syncEnabled();
    updateGeometry();
    // A bar already placed keeps its top-left corner; whoever placed it centres it again on the
    // layout request this causes.
    adjustSize();
}

void ActionBar::syncEnabled() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setEnabled(session_.isAvailable(commands_[i]));
    }
}

}  // namespace brontile::desktop
