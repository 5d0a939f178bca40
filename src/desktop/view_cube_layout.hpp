// Where the view cube's parts lie on screen for one camera: the cube turns with the view, and
// each visible face is cut into a 3 × 3 grid whose centre asks for that face's view, whose border
// cells ask for the view across an edge and whose corner cells for the view from a corner: the 26
// views of a cube, each named by the direction from the target towards the eye.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QPointF>
#include <QPolygonF>
#include <QSizeF>
#include <QTransform>

#include "geometry/vec3.hpp"
#include "viewport/orbit_camera.hpp"

namespace brontile::desktop {

class ViewCubeLayout {
public:
    // One cell of a visible face.
    struct Cell {
        // Whole-number components in −1…1, not all zero.
        Vec3 direction;
        QPolygonF outline;
        // Which face it lies on (an index into faces()).
        std::size_t face = 0;
    };
    // A visible face: its label and the frame its label is written in (the unit square mapped
    // onto the face's centre cell, reading upright when the face is seen from outside).
    struct Face {
        const char* label = "";
        Vec3 normal;
        QPolygonF outline;
        QTransform labelFrame;
        // How much the face faces the viewer, 0…1.
        double facing = 0;
    };

    ViewCubeLayout(const OrbitCamera& camera, const QSizeF& size);

    [[nodiscard]] const std::vector<Face>& faces() const { return faces_; }
    [[nodiscard]] const std::vector<Cell>& cells() const { return cells_; }
    // The view a point asks for; nothing off the cube.
    [[nodiscard]] std::optional<Vec3> directionAt(const QPointF& point) const;
    // A point well inside a visible cell that asks for `direction`; nothing when none shows.
    [[nodiscard]] std::optional<QPointF> hotSpot(const Vec3& direction) const;

    // "Top", "Front Right", "Top Front Right": the faces a view looks at, for tooltips.
    [[nodiscard]] static std::string viewName(const Vec3& direction);

private:
    [[nodiscard]] QPointF project(const Vec3& point) const;
    void addFace(const Vec3& normal, const Vec3& across, const Vec3& down, const char* label,
                 double facing);

    QPointF centre_;
    double scale_ = 1;
    Vec3 right_;
    Vec3 up_;
    std::vector<Face> faces_;
    std::vector<Cell> cells_;
};

}  // namespace brontile::desktop
