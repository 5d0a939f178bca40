// The vertex lists the renderer uploads as they are: shaded triangles, lines, and the two
// overlay lists drawn over everything.
#pragma once

#include <vector>

#include "geometry/float_vectors.hpp"
#include "geometry/rgba.hpp"
#include "geometry/vec3.hpp"
#include "viewport/scene_labels.hpp"

namespace brontile {

// 48 bytes, the layout the shader reads: position (x, y, z, 1), normal (x, y, z, 0; zero for line
// vertices) and colour, each four floats.
struct RenderVertex {
    Float4 position;
    Float4 normal;
    Float4 color;

    RenderVertex() = default;
    RenderVertex(const Vec3& p, const Vec3& n, const RGBA& c)
        : position(p.simd4()),
          normal{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z), 0.0f},
          color(c.simd()) {}

    friend bool operator==(const RenderVertex&, const RenderVertex&) = default;
};

static_assert(sizeof(RenderVertex) == 48, "the GPU reads a 48-byte stride");

struct SceneBuffers {
    // Triangle list, depth-tested and lit.
    std::vector<RenderVertex> shaded;
    // Line list, depth-tested, unlit.
    std::vector<RenderVertex> lines;
    // Line list drawn over everything.
    std::vector<RenderVertex> overlayLines;
    // Triangle list drawn over everything, lit.
    std::vector<RenderVertex> overlayShaded;
    // Triangle list drawn translucent over the bodies and their lines, its nearest surface only.
    std::vector<RenderVertex> throughShaded;
    // The values of the visible sketches' dimensions, written over everything.
    std::vector<SceneLabel> labels;

    friend bool operator==(const SceneBuffers&, const SceneBuffers&) = default;
};

}  // namespace brontile
