// Single-precision vectors in the layout the GPU reads: what positions, normals and colours
// become when they leave the double-precision model for drawing.
#pragma once

namespace brontile {

struct Float3 {
    float x = 0, y = 0, z = 0;
    friend constexpr bool operator==(const Float3&, const Float3&) = default;
};

struct Float4 {
    float x = 0, y = 0, z = 0, w = 0;
    friend constexpr bool operator==(const Float4&, const Float4&) = default;
};

}  // namespace brontile
