// The single-precision 4×4 matrices the camera hands to the renderer: column-major, acting on
// column vectors, the layout the GPU reads.
#pragma once

#include <array>

#include "geometry/float_vectors.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

struct Float4x4 {
    std::array<Float4, 4> columns{};

    [[nodiscard]] static constexpr Float4x4 identity() {
        return {{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}};
    }

    friend constexpr bool operator==(const Float4x4&, const Float4x4&) = default;

    // M · v.
    [[nodiscard]] constexpr Float4 operator*(const Float4& v) const {
        const auto& c = columns;
        return {c[0].x * v.x + c[1].x * v.y + c[2].x * v.z + c[3].x * v.w,
                c[0].y * v.x + c[1].y * v.y + c[2].y * v.z + c[3].y * v.w,
                c[0].z * v.x + c[1].z * v.y + c[2].z * v.z + c[3].z * v.w,
                c[0].w * v.x + c[1].w * v.y + c[2].w * v.z + c[3].w * v.w};
    }

    // M · other: `other` applies first.
    [[nodiscard]] constexpr Float4x4 operator*(const Float4x4& other) const {
        Float4x4 product;
        for (std::size_t i = 0; i < 4; ++i) product.columns[i] = *this * other.columns[i];
        return product;
    }

    // The point (x, y, z, 1) through the matrix; no division by w.
    [[nodiscard]] constexpr Float4 transformPoint(const Vec3& p) const { return *this * p.simd4(); }
};

}  // namespace brontile
