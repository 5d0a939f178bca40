#include "desktop/dimension_labels.hpp"

#include <QPainter>

#include "desktop/theme.hpp"
#include "viewport/scene_labels.hpp"

namespace brontile::desktop {

DimensionLabels::DimensionLabels(const ViewportState& viewport, QWidget* parent)
    : QWidget(parent), viewport_(viewport) {
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setFocusPolicy(Qt::NoFocus);
}

void DimensionLabels::followFrame() {
    const bool any = !viewport_.scene.rest.labels.empty();
    if (any || showing_) update();
    showing_ = any;
}

void DimensionLabels::paintEvent(QPaintEvent*) {
    const auto& labels = viewport_.scene.rest.labels;
    if (labels.empty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont labelFont = font();
    labelFont.setPixelSize(static_cast<int>(kLabelTextPixels));
    painter.setFont(labelFont);
    for (const SceneLabel& label : labels) {
        const auto box = labelBox(label, viewport_.camera, viewport_.viewSize);
        if (!box) continue;
        const QRectF rect(box->topLeft.x, box->topLeft.y, box->size.x, box->size.y);
        painter.setPen(QPen(label.selected ? theme::kSelection : theme::kBorder.lighter(140), 1));
        painter.setBrush(theme::withAlpha(theme::kOverlay, 225));
        painter.drawRoundedRect(rect, 4, 4);
        painter.setPen(label.selected ? theme::kSelection : theme::kText);
        painter.drawText(rect, Qt::AlignCenter, QString::fromStdString(label.text));
    }
}

}  // namespace brontile::desktop
