#include "interaction/arrow_gizmo.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/tolerances.hpp"
#include "geometry/angles.hpp"

namespace brontile {
namespace {

constexpr double kMinSize = 1e-6;
constexpr double kMaxHeadShare = 0.85;

struct Ring {
    Vec3 center;
    double radius;
};

class ArrowMesher {
public:
    ArrowMesher(const Vec3& direction, int sides) : sides_(sides) {
        u_ = direction.anyPerpendicular();
        v_ = direction.cross(u_).normalized();
    }

    VertexIndex ring(const Ring& r) {
        const auto first = static_cast<VertexIndex>(vertices_.size());
        for (int i = 0; i < sides_; ++i) {
            const double theta = kTwoPi * i / sides_;
            vertices_.push_back(r.center +
                                (u_ * std::cos(theta) + v_ * std::sin(theta)) * r.radius);
        }
        return first;
    }
    VertexIndex point(const Vec3& p) {
        vertices_.push_back(p);
        return static_cast<VertexIndex>(vertices_.size() - 1);
    }
    // Position i of a ring, wrapping.
    [[nodiscard]] VertexIndex at(VertexIndex ringStart, int i) const {
        return ringStart + ((i % sides_) + sides_) % sides_;
    }
    void triangle(VertexIndex a, VertexIndex b, VertexIndex c) {
        faces_.push_back({FaceID::generate(), {{a, b, c}}, Vec3::zero});
    }
    // Two triangles per side between two rings of the same side count.
    void stitch(VertexIndex from, VertexIndex to) {
        for (int i = 0; i < sides_; ++i) {
            triangle(at(from, i), at(from, i + 1), at(to, i + 1));
            triangle(at(from, i), at(to, i + 1), at(to, i));
        }
    }
    [[nodiscard]] int sides() const { return sides_; }

    [[nodiscard]] SolidMesh finish() {
        SolidMesh mesh(std::move(vertices_), std::move(faces_));
        mesh.recomputeNormals();
        return mesh;
    }

private:
    int sides_;
    Vec3 u_;
    Vec3 v_;
    std::vector<Vec3> vertices_;
    std::vector<SolidFace> faces_;
};

}  // namespace

ArrowGizmo::ArrowGizmo(const Vec3& base, const Vec3& pointing, double fullLength, double shaft,
                       double head, double headWidth, double reverse)
    : origin(base),
      direction(pointing.normalized()),
      length(std::max(fullLength, kMinSize)),
      shaftRadius(std::max(shaft, kMinSize)),
      headLength(std::min(std::max(head, kMinSize), kMaxHeadShare * length)),
      headRadius(std::max(headWidth, shaftRadius)),
      reverseLength(std::max(reverse, 0.0)) {}

ArrowGizmo ArrowGizmo::standard(const Vec3& origin, const Vec3& direction, double signedDistance,
                                double pixelLength, double worldUnitsPerPixel, bool showReverse) {
    const double w = std::max(worldUnitsPerPixel, kMinSize);
    Vec3 d = direction.normalized();
    if (signedDistance < -kLengthTolerance) d = (-d).normalized();
    const double reverse = showReverse ? 20 * w : 0;
    const double screenLength = std::max(pixelLength, 56.0);
    const double head = 17 * w;
    const double length =
        std::max(std::max(std::abs(signedDistance) + 1.2 * head, screenLength * w), kMinSize);
    return ArrowGizmo(origin, d, length, std::max(2.3 * w, kMinSize), std::max(head, kMinSize),
                      std::max(6.8 * w, std::max(2.3 * w, kMinSize)), reverse);
}

std::optional<std::pair<ArrowGizmo::Part, double>> ArrowGizmo::hit(const Ray& ray,
                                                                   double pickRadius) const {
    const double reach = std::max(headRadius, pickRadius);
    std::optional<std::pair<Part, double>> best;
    const auto consider = [&](Part part, const Vec3& a, const Vec3& b, double within) {
        const auto near = ray.distanceToSegment(a, b);
        if (!near || !(near->distance <= within)) return;
        if (!best || near->rayT < best->second) best = {part, near->rayT};
    };
    consider(Part::shaft, origin, headBase(), std::max(2.2 * shaftRadius, 0.55 * reach));
    consider(Part::head, headBase(), tip(), reach);
    if (hasReverse()) consider(Part::reverse, origin, reverseTip(), 0.9 * reach);
    return best;
}

SolidMesh ArrowGizmo::mesh(int segments) const {
    ArrowMesher m(direction, std::max(segments, 8));
    const int n = m.sides();
    const VertexIndex shaftStart = m.ring({origin, shaftRadius});
    const VertexIndex shaftEnd = m.ring({headBase(), shaftRadius});
    m.stitch(shaftStart, shaftEnd);
    const VertexIndex head = m.ring({headBase(), headRadius});
    const VertexIndex tipPoint = m.point(tip());
    for (int i = 0; i < n; ++i) m.triangle(m.at(head, i - 1), tipPoint, m.at(head, i));
    m.stitch(head, shaftEnd);
    if (hasReverse()) {
        const VertexIndex back = m.ring({origin, 0.78 * headRadius});
        const VertexIndex backTip = m.point(reverseTip());
        for (int i = 0; i < n; ++i) m.triangle(m.at(back, i), backTip, m.at(back, i - 1));
    }
    return m.finish();
}

}  // namespace brontile
