// The view cube in the corner of the viewport: it turns with the camera, and each of its 26
// parts — six faces, twelve edges, eight corners — turns the camera to look from there. The part
// under the pointer lights up, on every face it spans.
#pragma once

#include <optional>

#include <QPointF>
#include <QWidget>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"
#include "desktop/view_cube_layout.hpp"

namespace brontile::desktop {

class ViewCube final : public QWidget {
    Q_OBJECT
public:
    explicit ViewCube(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

    // The view a click at `point` asks for (the direction from the target towards the eye);
    // nothing off the cube.
    [[nodiscard]] std::optional<Vec3> directionAt(const QPointF& point) const;
    // A point well inside a part that asks for `direction`; nothing when it is out of sight.
    [[nodiscard]] std::optional<QPointF> hotSpot(const Vec3& direction) const;
    [[nodiscard]] const std::optional<Vec3>& hovered() const { return hovered_; }
    // The named command a direction runs, where there is one (top, front, right, isometric).
    [[nodiscard]] static std::optional<CommandID> commandFor(const Vec3& direction);

public slots:
    // Repaints when the camera has turned since the cube was last painted.
    void followCamera();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    [[nodiscard]] ViewCubeLayout layout() const;
    void turnTo(const Vec3& direction);

    DocumentSession& session_;
    std::optional<Vec3> hovered_;
    std::optional<Vec3> pressed_;
    // The camera angles last painted.
    double paintedYaw_ = 0;
    double paintedPitch_ = 0;
};

}  // namespace brontile::desktop
