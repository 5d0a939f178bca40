#include "desktop/workspace_header.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "commands/app_command_id.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {

WorkspaceHeader::WorkspaceHeader(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent),
      session_(bridge.session()),
      title_(new QLabel(this)),
      badge_(new QLabel(QStringLiteral("SKETCH MODE"), this)) {
    theme::setSurface(*this, theme::Surface::chrome);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 6, 10, 6);
    row->setSpacing(6);
    theme::setTextRole(*title_, theme::TextRole::heading);
    title_->setTextInteractionFlags(Qt::NoTextInteraction);
    row->addWidget(title_);
    row->addSpacing(6);
    theme::setTextRole(*badge_, theme::TextRole::badge);
    row->addWidget(badge_);
    row->addStretch(1);

    for (const CommandID& command : headerCommands()) {
        QAbstractButton* button = nullptr;
        if (command == AppCommandID::sketchFinish) {
            // The way out of a sketch is the one thing the header asks for while sketching: a
            // labelled button, shown only then, rather than an icon that does nothing otherwise.
            row->addSpacing(6);
            auto* finish = new QPushButton(QStringLiteral("Finish Sketch"), this);
            finish->setProperty("accent", true);
            finish->setIconSize(QSize(16, 16));
            button = finish;
        } else {
            if (command == AppCommandID::viewFrameAll) theme::addDivider(*row);
            auto* tool = new QToolButton(this);
            tool->setIconSize(QSize(18, 18));
            tool->setFixedSize(32, 30);
            tool->setAutoRaise(true);
            button = tool;
        }
        presentCommand(*button, session_.registry(), session_.keymap(), command);
        if (command == AppCommandID::sketchFinish) {
            button->setText(QString::fromStdString(session_.registry().title(command)));
        }
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QAbstractButton::clicked, this,
                [this, command] { session_.dispatch(command); });
        row->addWidget(button);
        buttons_.push_back(button);
    }

    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        switch (property) {
            case SessionProperty::document:
            case SessionProperty::isDirty:
            case SessionProperty::fileURL:
            case SessionProperty::historyVersion:
            case SessionProperty::activeSketchID: refresh(); break;
            default: break;
        }
    });
    refresh();
}

QAbstractButton* WorkspaceHeader::button(const CommandID& command) const {
    for (QAbstractButton* button : buttons_) {
        if (button->objectName().toStdString() == command.rawValue) return button;
    }
    return nullptr;
}

void WorkspaceHeader::refresh() {
    title_->setText(QString::fromStdString(session_.windowTitle()));
    const bool inSketch = session_.activeSketchID().has_value();
    badge_->setVisible(inSketch);
    if (QAbstractButton* undo = button(AppCommandID::editUndo)) {
        undo->setEnabled(session_.history().canUndo());
    }
    if (QAbstractButton* redo = button(AppCommandID::editRedo)) {
        redo->setEnabled(session_.history().canRedo());
    }
    if (QAbstractButton* finish = button(AppCommandID::sketchFinish)) finish->setVisible(inSketch);
}

}  // namespace brontile::desktop
