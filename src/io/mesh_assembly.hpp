// Turns the triangles a file holds into a body's mesh: corners that coincide are welded on a grid
// relative to the part's size, and neighbouring triangles lying in one plane become one face, so
// that push/pull, fillets, shells and sketches work on an imported part's flat faces.
#pragma once

#include <span>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"

namespace brontile::MeshAssembly {

// The welding grid for a part of this bounding-box diagonal.
[[nodiscard]] double weldGrid(double diagonal);

// Three corners per triangle, counter-clockwise seen from outside. Triangles that weld to less
// than three distinct corners or to no area are dropped. Triangles sharing an edge whose normals
// lie within 1e-6 rad and whose corners lie within the grid of one plane share a face. Corners
// must be finite.
[[nodiscard]] SolidMesh fromTriangles(std::span<const Vec3> corners);

// The same for triangles already grouped, each group one face of the source (a STEP or IGES
// face): a group whose triangles lie in one plane stays one face, a curved one becomes one face
// per planar patch as above.
[[nodiscard]] SolidMesh fromFaceGroups(std::span<const std::vector<Vec3>> groups);

}  // namespace brontile::MeshAssembly
