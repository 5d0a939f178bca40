// A mesh body as an Open CASCADE boundary representation, for the STEP and IGES writers: one planar
// face per region of each mesh face (never one per triangle), sharing its vertices and edges with
// its neighbours so that a closed body is a closed shell without any sewing.
#pragma once

#include <TopoDS_Shape.hxx>

#include "base/progress.hpp"
#include "geometry/solid_mesh.hpp"

namespace brontile::BRepBody {

// A solid bounded by one shell when `closed`, else the shell alone (an open body still exports).
// Faces keep the mesh's winding, so a mesh wound outwards gives a solid of positive volume.
// Vertices at the very same position are one vertex of the shape.
[[nodiscard]] TopoDS_Shape shape(const SolidMesh& mesh, bool closed, const ProgressSpan& progress);

}  // namespace brontile::BRepBody
