#include "desktop/view_cube.hpp"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "commands/app_command_id.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr int kSide = 116;

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

ViewCubeLayout ViewCube::layout() const {
    return ViewCubeLayout(session_.viewport().camera, size());
}

std::optional<Vec3> ViewCube::directionAt(const QPointF& point) const {
    return layout().directionAt(point);
}

std::optional<QPointF> ViewCube::hotSpot(const Vec3& direction) const {
    return layout().hotSpot(direction);
}

std::optional<CommandID> ViewCube::commandFor(const Vec3& direction) {
    if (direction == Vec3{0, 0, 1}) return AppCommandID::viewTop;
    if (direction == Vec3{0, -1, 0}) return AppCommandID::viewFront;
    if (direction == Vec3{1, 0, 0}) return AppCommandID::viewRight;
    if (direction == Vec3{1, -1, 1}) return AppCommandID::viewIso;
    return std::nullopt;
}

void ViewCube::followCamera() {
    const OrbitCamera& camera = session_.viewport().camera;
    if (camera.yaw() != paintedYaw_ || camera.pitch() != paintedPitch_) update();
}

void ViewCube::turnTo(const Vec3& direction) {
    // The named views go through their commands, so they read as those commands everywhere.
    if (const auto command = commandFor(direction)) return session_.dispatch(*command);
    session_.viewport().lookFrom(direction);
}

bool ViewCube::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const auto direction = directionAt(help->pos())) {
            const auto command = commandFor(*direction);
            const QString text =
                command ? commandToolTip(session_.registry(), session_.keymap(), *command)
                        : QString::fromStdString(ViewCubeLayout::viewName(*direction) + " View");
            QToolTip::showText(help->globalPos(), text, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ViewCube::paintEvent(QPaintEvent*) {
    const OrbitCamera& camera = session_.viewport().camera;
    paintedYaw_ = camera.yaw();
    paintedPitch_ = camera.pitch();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const ViewCubeLayout shape = layout();
    for (const ViewCubeLayout::Cell& cell : shape.cells()) {
        const bool lit = hovered_ == cell.direction;
        const int light = 125 + static_cast<int>(85 * shape.faces()[cell.face].facing);
        const QColor fill =
            lit ? theme::withAlpha(theme::kAccent, 200) : theme::kOverlay.lighter(light);
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme::withAlpha(fill, 235));
        painter.drawPolygon(cell.outline);
    }
    QFont labelFont = font();
    labelFont.setPixelSize(24);
    labelFont.setWeight(QFont::DemiBold);
    for (const ViewCubeLayout::Face& face : shape.faces()) {
        // The label is drawn in a 100 × 100 box on the face, then carried onto it.
        painter.save();
        painter.setTransform(QTransform::fromScale(0.01, 0.01) * face.labelFrame, true);
        painter.setFont(labelFont);
        painter.setPen(hovered_ == face.normal ? QColor(255, 255, 255) : theme::kSecondaryText);
        painter.drawText(QRectF(-20, 0, 140, 100), Qt::AlignCenter,
                         QString::fromLatin1(face.label));
        painter.restore();
    }
    // Faint lines between the parts, and the cube's own edges over them, so that it reads as a
    // solid whose edges and corners can be aimed at.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(theme::withAlpha(theme::kBorder.lighter(170), 110), 0.8));
    for (const ViewCubeLayout::Cell& cell : shape.cells()) painter.drawPolygon(cell.outline);
    painter.setPen(QPen(theme::kBorder.lighter(190), 1.3));
    for (const ViewCubeLayout::Face& face : shape.faces()) painter.drawPolygon(face.outline);
}

void ViewCube::mouseMoveEvent(QMouseEvent* event) {
    const auto direction = directionAt(event->position());
    if (direction != hovered_) {
        hovered_ = direction;
        setCursor(direction ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void ViewCube::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = directionAt(event->position());
    event->accept();
}

void ViewCube::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const auto direction = directionAt(event->position());
    // A press dragged off its part onto another sends nothing, as with a button.
    if (direction && direction == pressed_) {
        turnTo(*direction);
        // The cube turned under the pointer: what it is over now is another part.
        hovered_ = directionAt(event->position());
        update();
    }
    pressed_.reset();
    event->accept();
}

void ViewCube::leaveEvent(QEvent* event) {
    hovered_.reset();
    update();
    QWidget::leaveEvent(event);
}

}  // namespace brontile::desktop
