#include "desktop/status_bar_panel.hpp"

#include "desktop/key_mapping.hpp"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "desktop/busy_indicator.hpp"
#include "desktop/panel_models.hpp"
#include "desktop/theme.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile::desktop {
namespace {

// A one-line label that gives up width to its neighbours and ends its text with "…" rather
// than pushing the bar wider than the window.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;

    [[nodiscard]] QSize minimumSizeHint() const override {
        return {0, QLabel::minimumSizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

QString toolTitle(const ToolID& id) {
    const ToolDescriptor* tool = findToolDescriptor(id);
    return QString::fromStdString(tool != nullptr ? std::string(tool->title) : id.rawValue);
}

}  // namespace

StatusBarPanel::StatusBarPanel(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent),
      session_(bridge.session()),
      tool_(new QLabel(this)),
      hint_(new ElidedLabel(this)),
      message_(new ElidedLabel(this)),
      dismiss_(new QToolButton(this)),
      busy_(new BusyIndicator(bridge, this)),
      selection_(new QLabel(this)),
      sketch_(new QLabel(this)),
      kernel_(new QLabel(this)) {
    theme::setSurface(*this, theme::Surface::chrome);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 5);
    row->setSpacing(10);

    QFont bold = tool_->font();
    bold.setWeight(QFont::DemiBold);
    tool_->setFont(bold);
    row->addWidget(tool_);
    theme::setTextRole(*hint_, theme::TextRole::secondary);
    hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(hint_, 3);
    messageDivider_ = theme::addDivider(*row);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(message_, 2);
    dismiss_->setText(QStringLiteral("\u00D7"));
    dismiss_->setToolTip(QStringLiteral("Dismiss the error"));
    dismiss_->setAutoRaise(true);
    dismiss_->setFocusPolicy(Qt::NoFocus);
    dismiss_->setCursor(Qt::PointingHandCursor);
    connect(dismiss_, &QToolButton::clicked, this, [this] { session_.status().dismissError(); });
    row->addWidget(dismiss_);
    row->addWidget(busy_);
    theme::addDivider(*row);
    theme::setTextRole(*selection_, theme::TextRole::secondary);
    row->addWidget(selection_);
    sketchDivider_ = theme::addDivider(*row);
    theme::setTextRole(*sketch_, theme::TextRole::sketch);
    row->addWidget(sketch_);
    theme::addDivider(*row);
    theme::setTextRole(*kernel_, theme::TextRole::faint);
    kernel_->setText(QString::fromStdString(session_.kernel().name()));
    kernel_->setToolTip(QStringLiteral("Geometry kernel"));
    row->addWidget(kernel_);

    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        switch (property) {
            case SessionProperty::activeToolID:
            case SessionProperty::statusHint: refreshTool(); break;
            case SessionProperty::statusMessage:
            case SessionProperty::errorMessage: refreshMessage(); break;
            case SessionProperty::selection:
            case SessionProperty::activeSketchID:
            case SessionProperty::document: refreshSelection(); break;
            default: break;
        }
    });
    refreshTool();
    refreshMessage();
    refreshSelection();
}

void StatusBarPanel::refreshTool() {
    tool_->setText(toolTitle(session_.activeToolID()));
    const QString hint = platformText(session_.statusHint());
    hint_->setText(hint);
    // The hint may be cut short; the whole of it is one hover away.
    hint_->setToolTip(hint);
}

void StatusBarPanel::refreshMessage() {
    const auto& error = session_.errorMessage();
    const auto& message = session_.statusMessage();
    const bool isError = error.has_value();
    const QString text = platformText(isError ? *error : message.value_or(""));
    theme::setTextRole(*message_, isError ? theme::TextRole::error : theme::TextRole::normal);
    message_->setText(text);
    message_->setToolTip(text);
    message_->setVisible(!text.isEmpty());
    dismiss_->setVisible(isError);
    messageDivider_->setVisible(!text.isEmpty());
}

void StatusBarPanel::refreshSelection() {
    selection_->setText(QString::fromStdString(selectionSummary(session_.selection())));
    const auto sketch = session_.activeSketch();
    const auto freedom = session_.activeFreedom();
    sketch_->setText(sketch && freedom ? QString::fromStdString(freedomLine(*sketch, *freedom))
                                       : QString());
    sketch_->setVisible(sketch.has_value());
    sketchDivider_->setVisible(sketch.has_value());
}

}  // namespace brontile::desktop
