#include "desktop/view_cube_layout.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace brontile::desktop {
namespace {

// The border cells take this share of a face's side each, the centre the rest.
constexpr double kBorder = 0.22;
// Faces turned further away than this are edge-on: too thin to show or to click.
constexpr double kMinimumFacing = 0.02;
// The cube's corners stay this far inside the widget in every orientation.
constexpr double kFill = 0.96;

struct CubeSide {
    Vec3 normal;
    // Reading directions on the face seen from outside.
    Vec3 across;
    Vec3 down;
    const char* label;
};

constexpr std::array<CubeSide, 6> kFaces{{
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, "TOP"},
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}, "FRONT"},
    {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}, "RIGHT"},
    {{0, 1, 0}, {-1, 0, 0}, {0, 0, -1}, "BACK"},
    {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, "LEFT"},
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, "BOTTOM"},
}};

// Where the cells of a face side begin and end, in −1…1.
constexpr std::array<double, 4> kCuts{-1, -1 + 2 * kBorder, 1 - 2 * kBorder, 1};

}  // namespace

ViewCubeLayout::ViewCubeLayout(const OrbitCamera& camera, const QSizeF& size)
    : centre_(size.width() / 2, size.height() / 2),
      scale_(std::min(size.width(), size.height()) / 2 / std::sqrt(3.0) * kFill),
      right_(camera.right()),
      up_(camera.up()) {
    const Vec3 towardsEye = -camera.forward();
    for (const CubeSide& side : kFaces) {
        const double facing = side.normal.dot(towardsEye);
        if (facing > kMinimumFacing) {
            addFace(side.normal, side.across, side.down, side.label, facing);
        }
    }
}

QPointF ViewCubeLayout::project(const Vec3& point) const {
    return centre_ + QPointF(point.dot(right_), -point.dot(up_)) * scale_;
}

void ViewCubeLayout::addFace(const Vec3& normal, const Vec3& across, const Vec3& down,
                             const char* label, double facing) {
    const std::size_t index = faces_.size();
    const double inner = 1 - 2 * kBorder;
    const auto corner = [&](double a, double b) { return project(normal + across * a + down * b); };
    const QPointF origin = corner(-inner, -inner);
    const QPointF x = corner(inner, -inner) - origin;
    const QPointF y = corner(-inner, inner) - origin;
    faces_.push_back({label, normal,
                      QPolygonF({corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)}),
                      QTransform(x.x(), x.y(), y.x(), y.y(), origin.x(), origin.y()), facing});
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double a0 = kCuts[i], a1 = kCuts[i + 1], b0 = kCuts[j], b1 = kCuts[j + 1];
            cells_.push_back(
                {normal + across * (i - 1) + down * (j - 1),
                 QPolygonF({corner(a0, b0), corner(a1, b0), corner(a1, b1), corner(a0, b1)}),
                 index});
        }
    }
}

std::optional<Vec3> ViewCubeLayout::directionAt(const QPointF& point) const {
    for (const Cell& cell : cells_) {
        if (cell.outline.containsPoint(point, Qt::OddEvenFill)) return cell.direction;
    }
    return std::nullopt;
}

std::optional<QPointF> ViewCubeLayout::hotSpot(const Vec3& direction) const {
    for (const Cell& cell : cells_) {
        if (cell.direction != direction) continue;
        QPointF sum;
        for (const QPointF& corner : cell.outline) sum += corner;
        return sum / static_cast<double>(cell.outline.size());
    }
    return std::nullopt;
}

std::string ViewCubeLayout::viewName(const Vec3& direction) {
    std::string name;
    const auto add = [&](double component, const char* positive, const char* negative) {
        if (component == 0) return;
        if (!name.empty()) name += ' ';
        name += component > 0 ? positive : negative;
    };
    add(direction.z, "Top", "Bottom");
    add(direction.y, "Back", "Front");
    add(direction.x, "Right", "Left");
    return name;
}

}  // namespace brontile::desktop
