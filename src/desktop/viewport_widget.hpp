// The 3D viewport: an OpenGL widget that draws the session's scene at 60 frames per second, lets
// the camera coast between inputs, and turns Qt's mouse, wheel, pinch and key events into the
// session's pointer events, camera gestures and key presses. Positions are logical points with a
// top-left origin; only the drawing works in device pixels.
#pragma once

#include <QImage>
#include <QOpenGLWidget>
#include <QPointF>
#include <QTimer>

#include "desktop/gl_renderer.hpp"
#include "session/document_session.hpp"

namespace brontile::desktop {

class DimensionLabels;

// Draws the scene into its OpenGL surface; input goes to the viewport widget beneath it.
class GLCanvas final : public QOpenGLWidget {
    Q_OBJECT
public:
    GLCanvas(ViewportState& state, QWidget* parent);
    ~GLCanvas() override;

    [[nodiscard]] const GLRenderer& renderer() const { return renderer_; }

signals:
    void frameDrawn();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void releaseGL();

    ViewportState& state_;
    GLRenderer renderer_;
};

// The viewport proper: takes the keyboard and the mouse and runs the frame clock. Its drawing
// surface is a child, made only when an OpenGL 3.3 context can be had: without one the window
// system cannot even show an OpenGL widget, so the viewport then stays a plain, empty area
// that still takes every input.
class ViewportWidget final : public QWidget {
    Q_OBJECT
public:
    // `clock` is the session's platform, whose clock times the camera's inputs and frames alike.
    ViewportWidget(DocumentSession& session, const SessionPlatform& clock,
                   QWidget* parent = nullptr);
    ~ViewportWidget() override;

    // Whether frames are being drawn: false when no OpenGL 3.3 context could be had or the
    // shaders failed, in which case the viewport stays empty but still takes input.
    [[nodiscard]] bool isDrawing() const;
    [[nodiscard]] std::string drawingFailure() const;
    // Frames drawn since the widget was made.
    [[nodiscard]] std::uint64_t framesDrawn() const { return framesDrawn_; }
    // The last frame as drawn, at device pixels; empty without a drawing surface.
    [[nodiscard]] QImage grabFrame();

signals:
    // After each drawn frame.
    void frameDrawn();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab belongs to the keymap here (it opens the HUD's field), not to focus moves.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void tick();
    void syncViewSize();
    void pointer(PointerPhase phase, const QPointF& at, Qt::KeyboardModifiers modifiers,
                 int clicks);
    // The command the key runs in the viewport, if any.
    [[nodiscard]] std::optional<CommandID> commandFor(const QKeyEvent& event) const;

    // The last key announced by a shortcut override, with the command it runs.
    struct ClaimedKey {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::optional<CommandID> command;
    };

    DocumentSession& session_;
    const SessionPlatform& clock_;
    GLCanvas* canvas_ = nullptr;
    // Over the canvas: the dimensions' values, painted as text after each frame.
    DimensionLabels* labels_ = nullptr;
    std::string canvasFailure_;
    std::optional<ClaimedKey> claimed_;
    QTimer frameTimer_;
    bool leftDragging_ = false;
    int clickCount_ = 1;
    // The last position of a right or middle drag, for its deltas.
    std::optional<QPointF> cameraDragFrom_;
    bool focusedOnce_ = false;
    std::uint64_t framesDrawn_ = 0;
    // What the last frame showed; the next one is drawn only when any of it moved.
    struct Drawn {
        OrbitCamera camera;
        std::uint64_t version = 0;
        Vec2 size;
    };
    std::optional<Drawn> drawn_;
};

}  // namespace brontile::desktop
