// The outlines of a mesh face as the exact-geometry formats want them: a face of the mesh is often
// tiled by many small polygons (the pieces a boolean leaves), while a boundary-representation face
// is one region bounded by an outer loop and the loops of its holes.
#pragma once

#include <vector>

#include "geometry/solid_mesh.hpp"

namespace brontile {

// One connected region of a planar face.
struct FaceRegion {
    // Winding as the face's polygons do, so that its edges run against the neighbouring faces'.
    PolygonLoop outer;
    // Winding the other way, each inside `outer`.
    std::vector<PolygonLoop> holes;

    friend bool operator==(const FaceRegion&, const FaceRegion&) = default;
};

namespace FaceOutlines {

// The regions of `face`: the edges its polygons do not share, chained into loops; each loop that
// winds like the polygons (about their Newell normal) is an outer loop, each that winds against
// them is a hole of the smallest outer loop around it. Where two loops touch at a vertex they are
// kept apart. Pieces that do not meet stay separate regions. Loops enclosing no area are dropped.
// When the polygons do not chain into closed loops, or a hole lies in no outer loop, each polygon
// is its own region, so a damaged face still exports as the pieces it is made of.
[[nodiscard]] std::vector<FaceRegion> regions(const SolidMesh& mesh, const SolidFace& face);

}  // namespace FaceOutlines
}  // namespace brontile
