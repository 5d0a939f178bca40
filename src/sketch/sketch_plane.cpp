#include "sketch/sketch_plane.hpp"

namespace brontile {

SketchPlane SketchPlane::fromNormal(const Vec3& origin, const Vec3& normal) {
    const Vec3 n = normal.normalized();
    Vec3 x = Vec3::unitX - n * n.dot(Vec3::unitX);
    if (x.length() < 1e-6) x = Vec3::unitY - n * n.dot(Vec3::unitY);
    x = x.normalized();
    return SketchPlane(origin, x, n.cross(x).normalized());
}

}  // namespace brontile
