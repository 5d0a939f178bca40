#include "support/mesh_fixtures.hpp"

#include <array>
#include <vector>

#include "domain/vec2.hpp"

namespace brontile::test {
namespace {

std::vector<Vec3> boxCorners(const Vec3& lo, const Vec3& hi) {
    return {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
            {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
}

struct Quad {
    std::array<VertexIndex, 4> loop;
    Vec3 normal;
};

// Counter-clockwise seen from outside.
const std::array<Quad, 6> kBoxQuads{{
    {{0, 3, 2, 1}, {0, 0, -1}},
    {{4, 5, 6, 7}, {0, 0, 1}},
    {{0, 1, 5, 4}, {0, -1, 0}},
    {{2, 3, 7, 6}, {0, 1, 0}},
    {{1, 2, 6, 5}, {1, 0, 0}},
    {{0, 4, 7, 3}, {-1, 0, 0}},
}};

}  // namespace

SolidMesh boxMesh(const Vec3& min, const Vec3& max) {
    std::vector<SolidFace> faces;
    for (const Quad& q : kBoxQuads) {
        faces.push_back({FaceID::generate(), {{q.loop.begin(), q.loop.end()}}, q.normal});
    }
    return SolidMesh(boxCorners(min, max), std::move(faces));
}

SolidMesh triangulatedBoxMesh(const Vec3& min, const Vec3& max) {
    std::vector<SolidFace> faces;
    for (const Quad& q : kBoxQuads) {
        const auto& l = q.loop;
        faces.push_back({FaceID::generate(), {{l[0], l[1], l[2]}, {l[0], l[2], l[3]}}, q.normal});
    }
    return SolidMesh(boxCorners(min, max), std::move(faces));
}

SolidMesh lShapeMesh(double height) {
    const std::vector<Vec2> outline{{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 20}, {0, 20}};
    const auto n = static_cast<VertexIndex>(outline.size());
    std::vector<Vec3> vertices;
    for (const Vec2& p : outline) vertices.push_back({p.x, p.y, 0});
    for (const Vec2& p : outline) vertices.push_back({p.x, p.y, height});

    std::vector<SolidFace> faces;
    PolygonLoop bottom;
    PolygonLoop top;
    for (VertexIndex i = 0; i < n; ++i) {
        bottom.push_back(n - 1 - i);
        top.push_back(n + i);
    }
    faces.push_back({FaceID::generate(), {bottom}, {0, 0, -1}});
    faces.push_back({FaceID::generate(), {top}, {0, 0, 1}});
    for (VertexIndex i = 0; i < n; ++i) {
        const VertexIndex j = (i + 1) % n;
        const Vec2 edge =
            outline[static_cast<std::size_t>(j)] - outline[static_cast<std::size_t>(i)];
        const Vec3 normal = Vec3{edge.y, -edge.x, 0}.normalized();
        faces.push_back({FaceID::generate(), {{i, j, n + j, n + i}}, normal});
    }
    return SolidMesh(std::move(vertices), std::move(faces));
}

SolidMesh largeMesh(int triangles) {
    std::vector<Vec3> vertices;
    std::vector<SolidFace> faces;
    const int boxes = triangles / 12 + 1;
    for (int b = 0; b < boxes; ++b) {
        const Vec3 lo{static_cast<double>(b % 100) * 2, static_cast<double>(b / 100) * 2, 0};
        const auto base = static_cast<VertexIndex>(vertices.size());
        for (const Vec3& v : boxCorners(lo, lo + Vec3{1, 1, 1})) vertices.push_back(v);
        for (const Quad& q : kBoxQuads) {
            const auto& l = q.loop;
            faces.push_back(
                {FaceID::generate(),
                 {{base + l[0], base + l[1], base + l[2]}, {base + l[0], base + l[2], base + l[3]}},
                 q.normal});
        }
    }
    return SolidMesh(std::move(vertices), std::move(faces));
}

}  // namespace brontile::test
