// A small isometric cube in the corner of the viewport: its top, front and right faces turn the
// camera to those views and the corner where they meet to the isometric one.
#pragma once

#include <optional>

#include <QPointF>
#include <QWidget>

#include "commands/command_id.hpp"
#include "desktop/session_bridge.hpp"

namespace brontile::desktop {

class ViewCube final : public QWidget {
    Q_OBJECT
public:
    explicit ViewCube(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

    // The view a click at `point` asks for; nothing off the cube.
    [[nodiscard]] std::optional<CommandID> commandAt(const QPointF& point) const;
    // A point well inside the region that asks for `command` (its face's centre, or the corner).
    [[nodiscard]] QPointF hotSpot(const CommandID& command) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    DocumentSession& session_;
    std::optional<CommandID> hovered_;
    std::optional<CommandID> pressed_;
};

}  // namespace brontile::desktop
