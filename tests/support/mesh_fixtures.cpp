#include "support/mesh_fixtures.hpp"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "geometry/vec2.hpp"

namespace brontile::test {
namespace {

struct Quad {
    std::array<VertexIndex, 4> loop;
    Vec3 normal;
};

// Counter-clockwise seen from outside, over the corners in the order appendBox gives them.
const std::array<Quad, 6> kBoxQuads{{
    {{0, 3, 2, 1}, {0, 0, -1}},
    {{4, 5, 6, 7}, {0, 0, 1}},
    {{0, 1, 5, 4}, {0, -1, 0}},
    {{2, 3, 7, 6}, {0, 1, 0}},
    {{1, 2, 6, 5}, {1, 0, 0}},
    {{0, 4, 7, 3}, {-1, 0, 0}},
}};

// Appends the box's corners and its six faces, each one quad or two triangles.
void appendBox(std::vector<Vec3>& vertices, std::vector<SolidFace>& faces, const Vec3& lo,
               const Vec3& hi, bool triangulated) {
    const auto base = static_cast<VertexIndex>(vertices.size());
    for (const double z : {lo.z, hi.z}) {
        vertices.insert(vertices.end(),
                        {{lo.x, lo.y, z}, {hi.x, lo.y, z}, {hi.x, hi.y, z}, {lo.x, hi.y, z}});
    }
    for (const Quad& q : kBoxQuads) {
        PolygonLoop l;
        for (const VertexIndex i : q.loop) l.push_back(base + i);
        std::vector<PolygonLoop> loops{l};
        if (triangulated) loops = {{l[0], l[1], l[2]}, {l[0], l[2], l[3]}};
        faces.push_back({FaceID::generate(), std::move(loops), q.normal});
    }
}

SolidMesh makeBox(const Vec3& min, const Vec3& max, bool triangulated) {
    std::vector<Vec3> vertices;
    std::vector<SolidFace> faces;
    appendBox(vertices, faces, min, max, triangulated);
    return SolidMesh(std::move(vertices), std::move(faces));
}

// One face per triangle; normals follow the winding.
SolidMesh triangleMesh(std::vector<Vec3> vertices,
                       const std::vector<std::array<VertexIndex, 3>>& tris) {
    std::vector<SolidFace> faces;
    faces.reserve(tris.size());
    for (const auto& t : tris)
        faces.push_back({FaceID::generate(), {{t[0], t[1], t[2]}}, Vec3::zero});
    SolidMesh mesh(std::move(vertices), std::move(faces));
    mesh.recomputeNormals();
    return mesh;
}

}  // namespace

SolidMesh boxMesh(const Vec3& min, const Vec3& max) { return makeBox(min, max, false); }

SolidMesh triangulatedBoxMesh(const Vec3& min, const Vec3& max) { return makeBox(min, max, true); }

SolidMesh editedBoxMesh(const Vec3& min, const Vec3& max,
                        const std::function<void(std::vector<SolidFace>&)>& edit) {
    const SolidMesh box = boxMesh(min, max);
    std::vector<SolidFace> faces = box.faces();
    edit(faces);
    return SolidMesh(box.vertices(), std::move(faces));
}

SolidMesh oneFaceMesh(std::vector<Vec3> vertices, std::vector<PolygonLoop> loops,
                      const Vec3& normal) {
    return SolidMesh(std::move(vertices),
                     {SolidFace{FaceID::generate(), std::move(loops), normal}});
}

SolidMesh plateWithHoleMesh(double height) {
    // Bottom outer corners 0-3, top outer 4-7, bottom hole corners 8-11, top hole 12-15.
    std::vector<Vec3> vertices;
    for (const double size : {30.0, 10.0}) {
        const double lo = (30 - size) / 2;
        const double hi = lo + size;
        for (const double z : {0.0, height}) {
            vertices.insert(vertices.end(), {{lo, lo, z}, {hi, lo, z}, {hi, hi, z}, {lo, hi, z}});
        }
    }
    std::vector<SolidFace> faces;
    SolidFace top{FaceID::generate(), {}, {0, 0, 1}};
    SolidFace bottom{FaceID::generate(), {}, {0, 0, -1}};
    for (VertexIndex i = 0; i < 4; ++i) {
        const VertexIndex j = (i + 1) % 4;
        top.polygons.push_back({4 + i, 4 + j, 12 + j, 12 + i});
        bottom.polygons.push_back({8 + i, 8 + j, j, i});
        faces.push_back({FaceID::generate(), {{i, j, 4 + j, 4 + i}}, {}});
        faces.push_back({FaceID::generate(), {{8 + j, 8 + i, 12 + i, 12 + j}}, {}});
    }
    faces.push_back(std::move(top));
    faces.push_back(std::move(bottom));
    return SolidMesh::withComputedNormals(std::move(vertices), std::move(faces));
}

SolidMesh ringMesh(double inner, double outer, double height, int segments) {
    std::vector<Vec3> vertices;
    for (int k = 0; k < segments; ++k) {
        const double angle = 2 * std::numbers::pi * k / segments;
        const Vec3 radial{std::cos(angle), std::sin(angle), 0};
        vertices.insert(vertices.end(),
                        {radial * inner, radial * outer, radial * outer + Vec3{0, 0, height},
                         radial * inner + Vec3{0, 0, height}});
    }
    std::vector<SolidFace> faces;
    for (int k = 0; k < segments; ++k) {
        const auto a = static_cast<VertexIndex>(4 * k);
        const auto b = static_cast<VertexIndex>(4 * ((k + 1) % segments));
        for (const PolygonLoop& loop : std::vector<PolygonLoop>{{a, b, b + 1, a + 1},
                                                                {a + 1, b + 1, b + 2, a + 2},
                                                                {a + 2, b + 2, b + 3, a + 3},
                                                                {a + 3, b + 3, b, a}}) {
            faces.push_back({FaceID::generate(), {loop}, {}});
        }
    }
    return SolidMesh::withComputedNormals(std::move(vertices), std::move(faces));
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
    for (int b = 0; b < triangles / 12 + 1; ++b) {
        const Vec3 lo{static_cast<double>(b % 100) * 2, static_cast<double>(b / 100) * 2, 0};
        appendBox(vertices, faces, lo, lo + Vec3{1, 1, 1}, true);
    }
    return SolidMesh(std::move(vertices), std::move(faces));
}

SolidMesh sphereMesh(const Vec3& center, double radius, int slices, int stacks) {
    constexpr double pi = std::numbers::pi;
    std::vector<Vec3> vertices{center + Vec3{0, 0, radius}};
    for (int i = 1; i < stacks; ++i) {
        const double phi = pi * i / stacks;
        for (int j = 0; j < slices; ++j) {
            const double theta = 2 * pi * j / slices;
            vertices.push_back(center + Vec3{std::sin(phi) * std::cos(theta),
                                             std::sin(phi) * std::sin(theta), std::cos(phi)} *
                                            radius);
        }
    }
    vertices.push_back(center - Vec3{0, 0, radius});
    const auto ring = [&](int i, int j) -> VertexIndex {
        return 1 + (i - 1) * slices + (j % slices);
    };
    const VertexIndex south = static_cast<VertexIndex>(vertices.size()) - 1;
    std::vector<std::array<VertexIndex, 3>> tris;
    for (int j = 0; j < slices; ++j) {
        tris.push_back({0, ring(1, j), ring(1, j + 1)});
        for (int i = 1; i + 1 < stacks; ++i) {
            tris.push_back({ring(i, j), ring(i + 1, j), ring(i + 1, j + 1)});
            tris.push_back({ring(i, j), ring(i + 1, j + 1), ring(i, j + 1)});
        }
        tris.push_back({south, ring(stacks - 1, j + 1), ring(stacks - 1, j)});
    }
    return triangleMesh(std::move(vertices), tris);
}

SolidMesh cylinderMesh(const Vec3& base, double radius, double height, int slices) {
    constexpr double pi = std::numbers::pi;
    std::vector<Vec3> vertices{base, base + Vec3{0, 0, height}};
    for (int j = 0; j < slices; ++j) {
        const double theta = 2 * pi * j / slices;
        const Vec3 p = base + Vec3{std::cos(theta), std::sin(theta), 0} * radius;
        vertices.push_back(p);
        vertices.push_back(p + Vec3{0, 0, height});
    }
    const auto bottom = [&](int j) -> VertexIndex { return 2 + 2 * (j % slices); };
    const auto top = [&](int j) -> VertexIndex { return 3 + 2 * (j % slices); };
    std::vector<std::array<VertexIndex, 3>> tris;
    for (int j = 0; j < slices; ++j) {
        tris.push_back({0, bottom(j + 1), bottom(j)});
        tris.push_back({1, top(j), top(j + 1)});
        tris.push_back({bottom(j), bottom(j + 1), top(j + 1)});
        tris.push_back({bottom(j), top(j + 1), top(j)});
    }
    return triangleMesh(std::move(vertices), tris);
}

}  // namespace brontile::test
