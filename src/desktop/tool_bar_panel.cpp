#include "desktop/tool_bar_panel.hpp"

#include <QToolButton>
#include <QVBoxLayout>

#include "commands/app_command_id.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr std::string_view kToolPrefix = "tool.";
// The last buttons of the strip (grid and palette) are not tools; they sit at its foot.
constexpr std::size_t kFootButtons = 2;

}  // namespace

ToolBarPanel::ToolBarPanel(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent), session_(bridge.session()), column_(new QVBoxLayout(this)) {
    theme::setSurface(*this, theme::Surface::chrome);
    column_->setContentsMargins(7, 10, 7, 10);
    column_->setSpacing(4);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        switch (property) {
            case SessionProperty::activeSketchID: rebuild(); break;
            case SessionProperty::activeToolID:
            case SessionProperty::busy:
            case SessionProperty::document: syncChecked(); break;
            default: break;
        }
    });
    rebuild();
}

QToolButton* ToolBarPanel::button(const CommandID& command) const {
    for (QToolButton* button : buttons_) {
        if (button->objectName().toStdString() == command.rawValue) return button;
    }
    return nullptr;
}

void ToolBarPanel::rebuild() {
    const bool inSketch = session_.activeSketchID().has_value();
    if (builtForSketch_ == inSketch) return syncChecked();
    builtForSketch_ = inSketch;
    theme::retireItems(*column_);
    buttons_.clear();
    const auto items = toolbarCommands(inSketch);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index + kFootButtons == items.size()) column_->addStretch(1);
        if (!items[index]) {
            column_->addSpacing(3);
            theme::addDivider(*column_);
            column_->addSpacing(3);
            continue;
        }
        const CommandID command = *items[index];
        auto* button = new QToolButton(this);
        presentCommand(*button, session_.registry(), session_.keymap(), command);
        button->setIconSize(QSize(20, 20));
        button->setFixedSize(36, 36);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->setCheckable(command.rawValue.starts_with(kToolPrefix) ||
                             command == AppCommandID::viewToggleGrid ||
                             command == AppCommandID::paletteShow);
        connect(button, &QToolButton::clicked, this, [this, command] {
            session_.dispatch(command);
            // A click toggles the button by itself; the session has the last word.
            syncChecked();
        });
        column_->addWidget(button, 0, Qt::AlignHCenter);
        buttons_.push_back(button);
    }
    syncChecked();
    updateGeometry();
}

void ToolBarPanel::setPaletteOpen(bool open) {
    paletteOpen_ = open;
    syncChecked();
}

void ToolBarPanel::syncChecked() {
    for (QToolButton* button : buttons_) {
        const CommandID command(button->objectName().toStdString());
        if (button->isCheckable()) button->setChecked(isOn(command));
        button->setEnabled(session_.isAvailable(command));
    }
}

bool ToolBarPanel::isOn(const CommandID& command) const {
    if (command == AppCommandID::viewToggleGrid) return session_.document().showGrid;
    if (command == AppCommandID::paletteShow) return paletteOpen_;
    if (!command.rawValue.starts_with(kToolPrefix)) return false;
    return command.rawValue.substr(kToolPrefix.size()) == session_.activeToolID().rawValue;
}

}  // namespace brontile::desktop
