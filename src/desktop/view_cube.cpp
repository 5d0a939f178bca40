#include "desktop/view_cube.hpp"

#include <array>
#include <cmath>
#include <numbers>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QToolTip>
#include <QTransform>

#include "commands/app_command_id.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr int kSide = 104;

// One visible face of the cube: its outline and the frame its label is written in (the unit
// square mapped onto the face, so the label lies on it as the face does).
struct Face {
    CommandID command;
    const char* label;
    QPolygonF outline;
    QTransform frame;
    // How much light the face catches.
    int lighten;
};

struct CubeShape {
    QPointF corner;
    double cornerRadius;
    std::array<Face, 3> faces;
};

CubeShape cubeShape(const QSizeF& size) {
    const double radius = std::min(size.width(), size.height()) * 0.42;
    const QPointF centre(size.width() / 2, size.height() / 2 + 1);
    // The hexagon's corners, y down: -90° is the top.
    const auto at = [&](double degrees) {
        const double radians = degrees * std::numbers::pi / 180;
        return centre + radius * QPointF(std::cos(radians), std::sin(radians));
    };
    const QPointF top = at(-90), upperRight = at(-30), lowerRight = at(30), bottom = at(90),
                  lowerLeft = at(150), upperLeft = at(210);
    const auto frame = [](QPointF origin, QPointF across, QPointF down) {
        return QTransform(across.x(), across.y(), down.x(), down.y(), origin.x(), origin.y());
    };
    return CubeShape{
        centre,
        radius * 0.16,
        {{
            {AppCommandID::viewTop, "TOP", QPolygonF({centre, upperRight, top, upperLeft}),
             frame(top, centre - upperLeft, upperLeft - top), 135},
            {AppCommandID::viewFront, "FRONT", QPolygonF({centre, bottom, lowerLeft, upperLeft}),
             frame(upperLeft, centre - upperLeft, lowerLeft - upperLeft), 112},
            {AppCommandID::viewRight, "RIGHT", QPolygonF({centre, upperRight, lowerRight, bottom}),
             frame(centre, upperRight - centre, bottom - centre), 96},
        }},
    };
}

}  // namespace

ViewCube::ViewCube(SessionBridge& bridge, QWidget* parent)
    : QWidget(parent), session_(bridge.session()) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ViewCube::sizeHint() const { return {kSide, kSide}; }

QSize ViewCube::minimumSizeHint() const { return {kSide / 2, kSide / 2}; }

std::optional<CommandID> ViewCube::commandAt(const QPointF& point) const {
    const CubeShape shape = cubeShape(size());
    const QPointF offset = point - shape.corner;
    if (std::hypot(offset.x(), offset.y()) <= shape.cornerRadius) return AppCommandID::viewIso;
    for (const Face& face : shape.faces) {
        if (face.outline.containsPoint(point, Qt::OddEvenFill)) return face.command;
    }
    return std::nullopt;
}

QPointF ViewCube::hotSpot(const CommandID& command) const {
    const CubeShape shape = cubeShape(size());
    for (const Face& face : shape.faces) {
        if (face.command == command) return face.frame.map(QPointF(0.5, 0.5));
    }
    return shape.corner;
}

bool ViewCube::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const auto command = commandAt(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               commandToolTip(session_.registry(), session_.keymap(), *command),
                               this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ViewCube::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const CubeShape shape = cubeShape(size());
    QFont labelFont = font();
    labelFont.setPixelSize(24);
    labelFont.setWeight(QFont::DemiBold);
    for (const Face& face : shape.faces) {
        const bool lit = hovered_ == face.command;
        QColor fill = theme::kOverlay.lighter(face.lighten);
        if (lit) fill = theme::withAlpha(theme::kAccent, 150);
        painter.setPen(QPen(theme::kBorder.lighter(125), 1.2));
        painter.setBrush(theme::withAlpha(fill, 235));
        painter.drawPolygon(face.outline);
        // The label is drawn in a 100 × 100 box on the face, then carried onto it.
        painter.save();
        painter.setTransform(QTransform::fromScale(0.01, 0.01) * face.frame, true);
        painter.setFont(labelFont);
        painter.setPen(lit ? QColor(255, 255, 255) : theme::kSecondaryText);
        painter.drawText(QRectF(0, 0, 100, 100), Qt::AlignCenter, QString::fromLatin1(face.label));
        painter.restore();
    }
    const bool cornerLit = hovered_ == AppCommandID::viewIso;
    painter.setPen(QPen(cornerLit ? QColor(255, 255, 255) : theme::kBorder.lighter(150), 1.2));
    painter.setBrush(cornerLit ? theme::kAccent : theme::kOverlay.lighter(160));
    painter.drawEllipse(shape.corner, shape.cornerRadius * 0.75, shape.cornerRadius * 0.75);
}

void ViewCube::mouseMoveEvent(QMouseEvent* event) {
    const auto command = commandAt(event->position());
    if (command != hovered_) {
        hovered_ = command;
        setCursor(command ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void ViewCube::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = commandAt(event->position());
    event->accept();
}

void ViewCube::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const auto command = commandAt(event->position());
    // A press dragged off its face onto another sends nothing, as with a button.
    if (command && command == pressed_) session_.dispatch(*command);
    pressed_.reset();
    event->accept();
}

void ViewCube::leaveEvent(QEvent* event) {
    hovered_.reset();
    update();
    QWidget::leaveEvent(event);
}

}  // namespace brontile::desktop
