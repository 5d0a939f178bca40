#include "viewport/render_scene.hpp"

namespace brontile {
namespace {

using VertexList = std::vector<RenderVertex>;

void appendColored(const VertexList& from, const std::optional<RGBA>& color, VertexList& into) {
    const std::size_t start = into.size();
    into.insert(into.end(), from.begin(), from.end());
    if (!color) return;
    const Float4 simd = color->simd();
    for (std::size_t i = start; i < into.size(); ++i) into[i].color = simd;
}

}  // namespace

SceneBuffers flatten(const RenderScene& scene) {
    SceneBuffers out;
    std::size_t shaded = scene.rest.shaded.size();
    std::size_t lines = scene.groundLines.size() + scene.rest.lines.size();
    for (const BodyDraw& draw : scene.bodies) {
        shaded += draw.chunk->shaded.size();
        lines += draw.chunk->lines.size();
    }
    out.shaded.reserve(shaded);
    out.lines.reserve(lines);

    for (const BodyDraw& draw : scene.bodies) {
        const std::size_t start = out.shaded.size();
        appendColored(draw.chunk->shaded, draw.shadedColor, out.shaded);
        for (const FaceRecolor& recolor : draw.recolors) {
            const Float4 simd = recolor.color.simd();
            for (std::size_t i = 0; i < recolor.count; ++i) {
                out.shaded[start + recolor.start + i].color = simd;
            }
        }
    }
    out.shaded.insert(out.shaded.end(), scene.rest.shaded.begin(), scene.rest.shaded.end());

    out.lines.insert(out.lines.end(), scene.groundLines.begin(), scene.groundLines.end());
    for (const BodyDraw& draw : scene.bodies) {
        appendColored(draw.chunk->lines, draw.lineColor, out.lines);
    }
    out.lines.insert(out.lines.end(), scene.highlightLines.begin(), scene.highlightLines.end());
    out.lines.insert(out.lines.end(), scene.rest.lines.begin(), scene.rest.lines.end());

    out.throughShaded = scene.rest.throughShaded;
    out.overlayShaded = scene.rest.overlayShaded;
    out.overlayLines = scene.rest.overlayLines;
    out.labels = scene.rest.labels;
    return out;
}

}  // namespace brontile
