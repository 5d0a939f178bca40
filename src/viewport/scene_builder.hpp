// Turns one scene snapshot into the four flat vertex lists, nothing cached between calls: the
// reference picture that SceneCache's per-body scene must flatten to. Both are drawn through the
// same parts (scene_parts.hpp), where every colour decision of the viewport (selection, hover,
// inactive sketches, construction geometry) is made.
#pragma once

#include <span>
#include <vector>

#include "geometry/rgba.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"
#include "interaction/scene_overlay.hpp"
#include "sketch/sketch_plane.hpp"
#include "viewport/scene_buffers.hpp"
#include "viewport/scene_input.hpp"

namespace brontile::SceneBuilder {

// The whole scene: grid and axes, bodies with their edges, preview meshes, sketches with their
// constraint glyphs, overlay lines, overlay points and drag arrows, in that order.
[[nodiscard]] SceneBuffers build(const SceneInput& input);

// The same scene written into `buffers`, whose previous contents are dropped but whose capacity is
// kept, so that rebuilding a large scene every frame does not fault in fresh memory each time.
void rebuild(const SceneInput& input, SceneBuffers& buffers);

// Segments (i, i + 1) of an open polyline as line pairs with zero normals; fewer than two points
// append nothing. Closed shapes repeat their first point.
void appendPolyline(std::span<const Vec3> points, const RGBA& color,
                    std::vector<RenderVertex>& into);

// The 600 × 600 mm ground grid (10 mm pitch, a major line every 50 mm) and the axes: 250 vertices.
void appendGrid(std::vector<RenderVertex>& into);

// The face's outline: its boundary edges, in the order SolidMesh::boundaryEdges gives them.
void appendEdges(const SolidMesh& mesh, const SolidFace& face, const RGBA& color,
                 std::vector<RenderVertex>& into);

// The active sketch plane's 240 mm square frame and its 20 mm grid: 52 vertices.
void appendSketchPlane(const SketchPlane& plane, std::vector<RenderVertex>& into);

// A 3D cross: three segments point ± size along the world axes. A non-finite point or size draws
// nothing.
void appendMarker(const Vec3& point, double size, const RGBA& color,
                  std::vector<RenderVertex>& into);

// The point's marker shape, flat in the plane perpendicular to its normal, `size` world units
// across its half-width (a cross ignores the normal). A non-finite point or size draws nothing.
void appendSnapMarker(const OverlayPoint& point, double size, std::vector<RenderVertex>& into);

}  // namespace brontile::SceneBuilder
