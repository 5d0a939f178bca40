#include "desktop/hud_panel.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "commands/app_command_id.hpp"
#include "desktop/key_mapping.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

// The unit a typed number is read in, shown after the field.
QString unitSuffix(const HUDState& hud, LengthUnit units) {
    switch (hud.quantity.value_or(HUDQuantity::length)) {
        case HUDQuantity::length: {
            const std::string_view label = shortLabel(units);
            return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
        }
        case HUDQuantity::angle: return QStringLiteral("\u00B0");
        case HUDQuantity::factor: return QStringLiteral("\u00D7");
        case HUDQuantity::count: return {};
    }
    return {};
}

QLabel* addLabel(QHBoxLayout& row, QWidget* parent, theme::TextRole role) {
    auto* label = new QLabel(parent);
    theme::setTextRole(*label, role);
    row.addWidget(label);
    return label;
}

}  // namespace

HudPanel::HudPanel(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent), session_(bridge.session()), field_(new QLineEdit(this)) {
    theme::setSurface(*this, theme::Surface::overlay);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 7, 14, 7);
    row->setSpacing(8);
    label_ = addLabel(*row, this, theme::TextRole::secondary);
    value_ = addLabel(*row, this, theme::TextRole::heading);
    field_->setFixedWidth(110);
    field_->setAlignment(Qt::AlignRight);
    field_->installEventFilter(this);
    row->addWidget(field_);
    unit_ = addLabel(*row, this, theme::TextRole::secondary);
    detail_ = addLabel(*row, this, theme::TextRole::secondary);
    hint_ = addLabel(*row, this, theme::TextRole::faint);

    connect(field_, &QLineEdit::returnPressed, this, &HudPanel::submit);
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        if (property == SessionProperty::hud || property == SessionProperty::document) refresh();
        if (property == SessionProperty::hudEditing) syncEditing();
    });
    refresh();
    syncEditing();
}

QString HudPanel::valueText() const { return value_->text(); }

bool HudPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_) return false;
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool ours = key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (!ours && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // The field keeps these keys from the window's shortcuts (Escape cancels the tool,
        // Return confirms it, Tab starts another edit).
        event->accept();
        return true;
    }
    if (key == Qt::Key_Escape) cancel();
    // Return goes on to the field, which submits; Tab must not move the focus away.
    return ours;
}

void HudPanel::refresh() {
    const auto& hud = session_.hud();
    setVisible(hud.has_value());
    if (!hud) {
        updateGeometry();
        return;
    }
    const LengthUnit units = session_.document().units;
    label_->setText(QString::fromStdString(hud->label));
    label_->setVisible(!hud->label.empty());
    value_->setText(QString::fromStdString(hudValueText(*hud, units)));
    unit_->setText(unitSuffix(*hud, units));
    detail_->setText(platformText(hud->detail.value_or("")));
    detail_->setVisible(hud->detail.has_value() && !hud->detail->empty());
    syncEditing();
}

void HudPanel::syncEditing() {
    const auto& hud = session_.hud();
    const bool editing = session_.hudEditing() && hud.has_value();
    const bool starting = editing && !editing_;
    editing_ = editing;
    value_->setVisible(!editing);
    field_->setVisible(editing);
    unit_->setVisible(editing && !unit_->text().isEmpty());
    if (editing) {
        hint_->setText(QStringLiteral("Enter to apply \u00B7 Esc to cancel"));
    } else if (hud && hud->editable) {
        const QString key = shortcutText(session_.keymap(), AppCommandID::hudEdit);
        hint_->setText(key.isEmpty() ? QString() : key + QStringLiteral(" to type a value"));
    } else {
        hint_->clear();
    }
    hint_->setVisible(!hint_->text().isEmpty());
    if (starting) {
        field_->setText(QString::fromStdString(hudEditableText(*hud, session_.document().units)));
        field_->selectAll();
        field_->setFocus(Qt::OtherFocusReason);
    }
    updateGeometry();
    adjustSize();
}

void HudPanel::submit() {
    if (!editing_) return;
    // The session reads the text as the HUD's quantity and commits it. Text it refuses stays in
    // the field, which keeps the keyboard, for another try; otherwise the viewport takes it back.
    static_cast<void>(session_.editing().submitHUDText(field_->text().toStdString()));
    if (!session_.hudEditing()) emit finished();
}

void HudPanel::cancel() {
    session_.interaction().setHudEditing(false);
    emit finished();
}

}  // namespace brontile::desktop
