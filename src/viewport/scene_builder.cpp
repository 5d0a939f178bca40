// Scene building: walks one snapshot in drawing order and writes faces, outlines, sketches and
// previews straight into the vertex lists, without per-face allocations.
#include "viewport/scene_builder.hpp"

#include <array>
#include <cstddef>

#include "viewport/scene_markers.hpp"
#include "viewport/scene_parts.hpp"

namespace brontile::SceneBuilder {
namespace {

using SceneMarkers::appendSegment;
using VertexList = std::vector<RenderVertex>;

// Ground grid: 30 lines either side of each axis, 10 mm apart, every fifth one major.
constexpr int kGridLinesPerSide = 30;
constexpr double kGridPitch = 10;
constexpr double kGridHalfSize = 300;
constexpr int kMajorEvery = 5;
constexpr double kZAxisLength = 60;
constexpr std::size_t kGridVertices = (4 * kGridLinesPerSide + 5) * 2;
constexpr RGBA kGridMajor{0.30f, 0.31f, 0.34f, 1};
constexpr RGBA kGridMinor{0.21f, 0.22f, 0.25f, 1};
constexpr RGBA kNegativeXAxis{0.45f, 0.20f, 0.18f, 1};
constexpr RGBA kPositiveXAxis{0.90f, 0.30f, 0.25f, 1};
constexpr RGBA kNegativeYAxis{0.18f, 0.40f, 0.20f, 1};
constexpr RGBA kPositiveYAxis{0.30f, 0.85f, 0.35f, 1};
constexpr RGBA kZAxis{0.30f, 0.45f, 0.95f, 1};

// Sketch plane frame: a 240 mm square with grid lines at −100…100 mm, 20 mm apart.
constexpr double kPlaneHalfSize = 120;
constexpr double kPlaneGridStart = -100;
constexpr double kPlaneGridStep = 20;
constexpr double kPlaneGridEnd = 119.999999999;
constexpr RGBA kPlaneBorder{0.35f, 0.55f, 0.85f, 1};
constexpr RGBA kPlaneGrid{0.25f, 0.35f, 0.50f, 1};

}  // namespace

SceneBuffers build(const SceneInput& input) {
    SceneBuffers buffers;
    rebuild(input, buffers);
    return buffers;
}

void rebuild(const SceneInput& input, SceneBuffers& buffers) {
    buffers.shaded.clear();
    buffers.lines.clear();
    buffers.overlayLines.clear();
    buffers.overlayShaded.clear();
    buffers.throughShaded.clear();
    buffers.labels.clear();
    SceneParts::Writer writer(input);
    SceneParts::VertexCounts bodies{0, input.document.showGrid ? kGridVertices : 0};
    for (const Body& body : input.document.bodies) {
        if (body.isVisible) SceneParts::addMeshCounts(SceneParts::drawnMesh(input, body), bodies);
    }
    writer.reserve(buffers, bodies);
    if (input.document.showGrid) appendGrid(buffers.lines);
    VertexList outlines;
    for (const Body& body : input.document.bodies) {
        if (!body.isVisible) continue;
        const bool selected = input.selection.contains(body.id);
        const SceneParts::FaceColors colors(input.selection, input.hover, body.id,
                                            SceneParts::bodyColor(body, selected));
        writer.writeBody(SceneParts::drawnMesh(input, body), colors,
                         SceneParts::bodyEdgeColor(selected), buffers.shaded, buffers.lines,
                         nullptr, &outlines);
    }
    // The outlines of selected and hovered faces come after every body's edges.
    buffers.lines.insert(buffers.lines.end(), outlines.begin(), outlines.end());
    writer.writeRest(buffers);
}

void appendPolyline(std::span<const Vec3> points, const RGBA& color, VertexList& into) {
    SceneMarkers::appendPolyline(points, color, into);
}

void appendGrid(VertexList& into) {
    for (int i = -kGridLinesPerSide; i <= kGridLinesPerSide; ++i) {
        if (i == 0) continue;
        const double v = kGridPitch * i;
        const RGBA& color = i % kMajorEvery == 0 ? kGridMajor : kGridMinor;
        appendSegment({-kGridHalfSize, v, 0}, {kGridHalfSize, v, 0}, color, into);
        appendSegment({v, -kGridHalfSize, 0}, {v, kGridHalfSize, 0}, color, into);
    }
    appendSegment({-kGridHalfSize, 0, 0}, Vec3::zero, kNegativeXAxis, into);
    appendSegment(Vec3::zero, {kGridHalfSize, 0, 0}, kPositiveXAxis, into);
    appendSegment({0, -kGridHalfSize, 0}, Vec3::zero, kNegativeYAxis, into);
    appendSegment(Vec3::zero, {0, kGridHalfSize, 0}, kPositiveYAxis, into);
    appendSegment(Vec3::zero, {0, 0, kZAxisLength}, kZAxis, into);
}

void appendEdges(const SolidMesh& mesh, const SolidFace& face, const RGBA& color,
                 VertexList& into) {
    SceneParts::FaceEmitter().appendEdges(mesh.vertices(), face,
                                          SceneParts::VertexStyle(Vec3::zero, color), into);
}

void appendSketchPlane(const SketchPlane& plane, VertexList& into) {
    const Vec3 x = plane.xAxis * kPlaneHalfSize;
    const Vec3 y = plane.yAxis * kPlaneHalfSize;
    const Vec3& o = plane.origin;
    const std::array<Vec3, 5> border{o - x - y, o + x - y, o + x + y, o - x + y, o - x - y};
    SceneMarkers::appendPolyline(border, kPlaneBorder, into);
    for (int step = 0;; ++step) {
        const double t = kPlaneGridStart + kPlaneGridStep * step;
        if (!(t < kPlaneGridEnd)) break;
        appendSegment(o + plane.xAxis * t - y, o + plane.xAxis * t + y, kPlaneGrid, into);
        appendSegment(o - x + plane.yAxis * t, o + x + plane.yAxis * t, kPlaneGrid, into);
    }
}

void appendMarker(const Vec3& point, double size, const RGBA& color, VertexList& into) {
    SceneMarkers::appendCross(point, size, color, into);
}

void appendSnapMarker(const OverlayPoint& point, double size, VertexList& into) {
    SceneMarkers::appendShape(point, size, into);
}

}  // namespace brontile::SceneBuilder
