#include "desktop/viewport_widget.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include "desktop/dimension_labels.hpp"
#include "desktop/key_mapping.hpp"

namespace brontile::desktop {
namespace {

constexpr int kFrameIntervalMs = 16;
constexpr double kNotchAngle = 120;

ScrollPhase phaseFrom(Qt::ScrollPhase phase) {
    switch (phase) {
        case Qt::NoScrollPhase: return ScrollPhase::none;
        case Qt::ScrollBegin: return ScrollPhase::began;
        case Qt::ScrollUpdate: return ScrollPhase::changed;
        case Qt::ScrollEnd: return ScrollPhase::ended;
        case Qt::ScrollMomentum: return ScrollPhase::momentum;
    }
    return ScrollPhase::none;
}

Vec2 pointFrom(const QPointF& at) { return {at.x(), at.y()}; }

// Whether an OpenGL 3.3 core context can be made here at all: asked before any OpenGL widget
// exists, because a window holding one cannot be shown where OpenGL is missing.
std::optional<std::string> openGLFailure(const QSurfaceFormat& format) {
    QOpenGLContext probe;
    probe.setFormat(format);
    if (!probe.create()) return "no OpenGL context can be made";
    if (probe.isOpenGLES() || probe.format().version() < qMakePair(3, 3)) {
        return "OpenGL 3.3 is not available";
    }
    return std::nullopt;
}

QSurfaceFormat viewportFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    // The section's caps are found by counting cut surfaces in the stencil.
    format.setStencilBufferSize(8);
    format.setSamples(4);
    return format;
}

}  // namespace

GLCanvas::GLCanvas(ViewportState& state, QWidget* parent) : QOpenGLWidget(parent), state_(state) {
    setFormat(viewportFormat());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

GLCanvas::~GLCanvas() {
    releaseGL();
    // The base class destroys the context after this part of the object is gone: its notice
    // must not reach this object then.
    if (context() != nullptr) disconnect(context(), nullptr, this, nullptr);
}

void GLCanvas::releaseGL() {
    if (context() == nullptr || !renderer_.isReady()) return;
    makeCurrent();
    renderer_.release();
    doneCurrent();
}

void GLCanvas::initializeGL() {
    if (!renderer_.initialize()) return;
    // A context can go away with the window it belongs to (re-parenting, screen changes).
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLCanvas::releaseGL,
            Qt::UniqueConnection);
}

void GLCanvas::paintGL() {
    const qreal ratio = devicePixelRatioF();
    renderer_.render(state_, static_cast<int>(width() * ratio + 0.5),
                     static_cast<int>(height() * ratio + 0.5));
    emit frameDrawn();
}

ViewportWidget::ViewportWidget(DocumentSession& session, const SessionPlatform& clock,
                               QWidget* parent)
    : QWidget(parent), session_(session), clock_(clock) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (const auto failure = openGLFailure(viewportFormat())) {
        canvasFailure_ = *failure;
    } else {
        canvas_ = new GLCanvas(session_.viewport(), this);
        labels_ = new DimensionLabels(session_.viewport(), this);
        connect(canvas_, &GLCanvas::frameDrawn, this, [this] {
            const ViewportState& view = session_.viewport();
            drawn_ = Drawn{view.camera, view.version, view.viewSize};
            ++framesDrawn_;
            labels_->followFrame();
            emit frameDrawn();
        });
    }
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &ViewportWidget::tick);
    frameTimer_.start(kFrameIntervalMs);
}

ViewportWidget::~ViewportWidget() { frameTimer_.stop(); }

bool ViewportWidget::isDrawing() const {
    return canvas_ != nullptr && canvas_->renderer().isReady();
}

std::string ViewportWidget::drawingFailure() const {
    return canvas_ != nullptr ? canvas_->renderer().failure() : canvasFailure_;
}

QImage ViewportWidget::grabFrame() {
    return canvas_ != nullptr ? canvas_->grabFramebuffer() : QImage();
}

void ViewportWidget::resizeEvent(QResizeEvent*) {
    if (canvas_ != nullptr) canvas_->setGeometry(rect());
    if (labels_ != nullptr) labels_->setGeometry(rect());
    syncViewSize();
}

void ViewportWidget::paintEvent(QPaintEvent*) {
    if (canvas_ != nullptr) return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(GLRenderer::kClearRed, GLRenderer::kClearGreen,
                                              GLRenderer::kClearBlue));
}

void ViewportWidget::syncViewSize() {
    session_.viewport().viewSize = {std::max(1, width()) * 1.0, std::max(1, height()) * 1.0};
}

void ViewportWidget::tick() {
    syncViewSize();
    ViewportState& view = session_.viewport();
    const bool moved = view.tick(clock_.monotonicSeconds());
    // Without a surface there is nothing to draw, but the scene is still kept current.
    if (!isDrawing()) {
        view.rebuildIfNeeded();
        return;
    }
    // A frame only when what it would show changed: an idle window draws nothing at all.
    if (moved || view.needsRebuild || !drawn_ || !(drawn_->camera == view.camera) ||
        drawn_->version != view.version || !(drawn_->size == view.viewSize)) {
        canvas_->update();
    }
}

void ViewportWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (focusedOnce_) return;
    focusedOnce_ = true;
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

void ViewportWidget::pointer(PointerPhase phase, const QPointF& at, Qt::KeyboardModifiers modifiers,
                             int clicks) {
    syncViewSize();
    session_.input().pointer(phase, pointFrom(at), modifiersFrom(modifiers), clicks);
}

void ViewportWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPointF at = event->position();
    if (event->button() == Qt::LeftButton) {
        leftDragging_ = true;
        clickCount_ = 1;
        pointer(PointerPhase::down, at, event->modifiers(), clickCount_);
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        cameraDragFrom_ = at;
    }
    event->accept();
}

void ViewportWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    leftDragging_ = true;
    clickCount_ = 2;
    pointer(PointerPhase::down, event->position(), event->modifiers(), clickCount_);
    event->accept();
}

void ViewportWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (leftDragging_ && (event->buttons() & Qt::LeftButton)) {
        pointer(PointerPhase::drag, at, event->modifiers(), clickCount_);
    } else if (cameraDragFrom_ && (event->buttons() & (Qt::RightButton | Qt::MiddleButton))) {
        const QPointF delta = at - *cameraDragFrom_;
        cameraDragFrom_ = at;
        const bool pan =
            (event->buttons() & Qt::MiddleButton) || (event->modifiers() & Qt::ShiftModifier);
        session_.input().moveCamera(pan ? CameraMotion(PanMotion{delta.x(), delta.y()})
                                        : CameraMotion(OrbitMotion{delta.x(), delta.y()}));
    } else if (!leftDragging_) {
        pointer(PointerPhase::move, at, event->modifiers(), 1);
    }
    event->accept();
}

void ViewportWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && leftDragging_) {
        leftDragging_ = false;
        pointer(PointerPhase::up, event->position(), event->modifiers(), clickCount_);
    } else if (!(event->buttons() & (Qt::RightButton | Qt::MiddleButton))) {
        cameraDragFrom_.reset();
    }
    event->accept();
}

void ViewportWidget::wheelEvent(QWheelEvent* event) {
    ScrollInput input;
    input.location = pointFrom(event->position());
    input.modifiers = modifiersFrom(event->modifiers());
    input.phase = phaseFrom(event->phase());
    if (!event->pixelDelta().isNull()) {
        input.precise = true;
        input.deltaX = event->pixelDelta().x();
        input.deltaY = event->pixelDelta().y();
    } else {
        input.deltaX = event->angleDelta().x() / kNotchAngle;
        input.deltaY = event->angleDelta().y() / kNotchAngle;
        // Qt turns a wheel with Alt held sideways; Option+wheel is a zoom here.
        if ((event->modifiers() & Qt::AltModifier) && input.deltaY == 0) {
            input.deltaY = input.deltaX;
            input.deltaX = 0;
        }
    }
    session_.input().scroll(input);
    event->accept();
}

bool ViewportWidget::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            session_.input().pinch(gesture->value(), pointFrom(gesture->position()));
            return true;
        }
    }
    // While the viewport has the keyboard, its key bindings beat the menus' shortcuts, so that
    // every key takes the same road whether or not a menu shows it: a bound key is claimed here
    // and its command runs when the press arrives.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        claimed_ = ClaimedKey{key->key(), key->modifiers(), key->text(), commandFor(*key)};
        if (claimed_->command) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

std::optional<CommandID> ViewportWidget::commandFor(const QKeyEvent& event) const {
    const auto press = keyPressFrom(event);
    return press ? session_.input().commandFor(*press) : std::nullopt;
}

void ViewportWidget::keyPressEvent(QKeyEvent* event) {
    // A press announced by its shortcut override was looked up then; one that came without
    // (sent straight to the widget) is looked up now.
    const auto claimed = std::exchange(claimed_, std::nullopt);
    const bool announced = claimed && claimed->key == event->key() &&
                           claimed->modifiers == event->modifiers() &&
                           claimed->text == event->text();
    const auto command = announced ? claimed->command : commandFor(*event);
    if (command) {
        session_.input().run(*command);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace brontile::desktop
