// The scene as the renderer draws it: one vertex chunk per visible body, kept from frame to frame
// and rebuilt only when that body's mesh or colour changed, plus the small lists
// (grid, previews, sketches, overlays) that are rebuilt with every change. A body's selection
// and hover never rebuild its chunk: a selected body is drawn with one colour in place of its
// own, and faces in a state of their own (selected, hovered) are drawn again over it in their
// colour. Drawn in this order, the picture is the one of the flat lists SceneBuilder::build makes:
// depth-tested and lit, each body's chunk (in its shadedColor when set) and then its highlights,
// then rest.shaded; depth-tested lines, groundLines, each body's chunk lines (in its lineColor when
// set), then rest.lines; then rest.throughShaded, translucent over all of that; last, over
// everything, rest.overlayShaded and rest.overlayLines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "document/body.hpp"
#include "geometry/rgba.hpp"
#include "interaction/section_plane.hpp"
#include "viewport/scene_buffers.hpp"

namespace brontile {

// One body's triangles and outline in its own colour and the plain edge colour. Immutable once
// made and shared between frames; `revision` is unique among the chunks one SceneCache makes, so
// a renderer re-uploads a body's GPU buffers exactly when the revision it holds for the body
// moves.
struct BodyChunk {
    BodyID body;
    std::uint64_t revision = 0;
    std::vector<RenderVertex> shaded;
    std::vector<RenderVertex> lines;
    // faceStarts[i] is where face i's triangles begin in `shaded`; one more entry than faces,
    // the last being shaded.size().
    std::vector<std::uint32_t> faceStarts;
};

// A run of a chunk's shaded vertices drawn again in one colour.
struct FaceRecolor {
    std::uint32_t start = 0;
    std::uint32_t count = 0;
    RGBA color;

    friend bool operator==(const FaceRecolor&, const FaceRecolor&) = default;
};

struct BodyDraw {
    std::shared_ptr<const BodyChunk> chunk;
    // Replaces the colour of every vertex of chunk->shaded / chunk->lines when set.
    std::optional<RGBA> shadedColor;
    std::optional<RGBA> lineColor;
    // Faces whose colour differs from the body's: drawn again over the chunk.
    std::vector<FaceRecolor> recolors;
    // Where those faces' vertices, recoloured, lie in RenderScene::highlights.
    std::size_t highlightStart = 0;
    std::size_t highlightCount = 0;
    // Where the section cuts the body open, the cut is filled in this colour.
    RGBA capColor;
};

struct RenderScene {
    // Drawn before the bodies' outlines in the line pass (the ground grid and axes).
    std::vector<RenderVertex> groundLines;
    // Visible bodies in document order.
    std::vector<BodyDraw> bodies;
    // Every body's recoloured faces, one run per body (BodyDraw::highlightStart/Count).
    std::vector<RenderVertex> highlights;
    // The outlines of those faces, drawn after every body's edges.
    std::vector<RenderVertex> highlightLines;
    // Everything else, drawn after the bodies in each pass: preview meshes and their outlines,
    // sketches, overlay lines, points and arrows.
    SceneBuffers rest;
    // Where the bodies are cut open and capped, while the section view shows.
    std::optional<SectionPlane> section;
};

// The flat lists the same scene makes, in drawing order: equal to SceneBuilder::build's result
// for the same input. For tests and for anything that wants one list per pass.
[[nodiscard]] SceneBuffers flatten(const RenderScene& scene);

}  // namespace brontile
