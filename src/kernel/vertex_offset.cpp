#include "kernel/vertex_offset.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "base/tolerances.hpp"
#include "kernel/boolean_tolerances.hpp"

namespace brontile::kernel_detail {
namespace {

// Below this the planes' normals are too close to parallel (or to one plane) to fix a point.
constexpr double kSingular = 1e-6;

std::vector<Vec3> distinctPlanes(std::span<const Vec3> normals) {
    std::vector<Vec3> planes;
    for (const Vec3& normal : normals) {
        const Vec3 n = normal.normalized();
        if (std::abs(n.length() - 1) > kLengthTolerance) continue;  // a zero normal names no plane
        bool known = false;
        // Faces a boolean left in one plane may differ in normal by a cell of its plane grid.
        for (const Vec3& p : planes) known = known || p.dot(n) > csg_detail::kSamePlaneDot;
        if (!known) planes.push_back(n);
    }
    return planes;
}

// The point x with rows[i]·x = rhs[i], by Cramer's rule; nothing when the rows are dependent.
std::optional<Vec3> solve3(const std::array<Vec3, 3>& rows, const std::array<double, 3>& rhs,
                           double singular) {
    const double det = rows[0].dot(rows[1].cross(rows[2]));
    if (!(std::abs(det) > singular)) return std::nullopt;
    return (rows[1].cross(rows[2]) * rhs[0] + rows[2].cross(rows[0]) * rhs[1] +
            rows[0].cross(rows[1]) * rhs[2]) /
           det;
}

// The shortest x with n0·x = n1·x = depth (unit normals).
std::optional<Vec3> solve2(const Vec3& n0, const Vec3& n1, double depth) {
    const double c = n0.dot(n1);
    if (!(1 - c * c > kSingular)) return std::nullopt;
    return (n0 + n1) * (depth / (1 + c));
}

// Least squares over all planes: (Σ n nᵀ) x = depth · Σ n.
std::optional<Vec3> solveLeastSquares(const std::vector<Vec3>& planes, double depth) {
    std::array<Vec3, 3> rows{};
    Vec3 sum;
    for (const Vec3& n : planes) {
        rows[0] += n * n.x;
        rows[1] += n * n.y;
        rows[2] += n * n.z;
        sum += n;
    }
    const double count = static_cast<double>(planes.size());
    // det(Σ n nᵀ) grows with the cube of the plane count.
    return solve3(rows, {sum.x * depth, sum.y * depth, sum.z * depth},
                  kSingular * count * count * count);
}

Vec3 alongMeanNormal(std::span<const Vec3> normals, double thickness) {
    Vec3 sum;
    for (const Vec3& n : normals) sum += n.normalized();
    return sum.normalized() * -thickness;
}

}  // namespace

Vec3 inwardOffset(std::span<const Vec3> faceNormals, double thickness) {
    const std::vector<Vec3> planes = distinctPlanes(faceNormals);
    const double depth = -thickness;
    std::optional<Vec3> offset;
    switch (planes.size()) {
        case 0: break;
        case 1: offset = planes[0] * depth; break;
        case 2: offset = solve2(planes[0], planes[1], depth); break;
        case 3:
            offset = solve3({planes[0], planes[1], planes[2]}, {depth, depth, depth}, kSingular);
            break;
        default: offset = solveLeastSquares(planes, depth); break;
    }
    return offset ? *offset : alongMeanNormal(faceNormals, thickness);
}

SolidMesh offsetInward(const SolidMesh& mesh, double thickness) {
    std::vector<std::vector<Vec3>> normalsAt(mesh.vertices().size());
    for (const SolidFace& face : mesh.faces()) {
        for (const VertexIndex i : mesh.vertexIndices(face)) {
            normalsAt[static_cast<std::size_t>(i)].push_back(face.normal);
        }
    }
    std::vector<Vec3> vertices = mesh.vertices();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (!normalsAt[i].empty()) vertices[i] += inwardOffset(normalsAt[i], thickness);
    }
    SolidMesh inner(std::move(vertices), mesh.faces());
    inner.recomputeNormals();
    return inner;
}

}  // namespace brontile::kernel_detail
