// Where the vertices of a solid go when every face moves inward by the same distance: the inner
// skin that shelling cuts away.
#pragma once

#include <span>

#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"

namespace brontile::kernel_detail {

// The move that carries a vertex `thickness` mm inward from each face through it, given the
// outward normals of those faces (one per face, any length, repeats allowed). Normals closer
// than about 1.4e-4 rad count as one plane. One plane: straight in along it. Two: the shortest
// move that is on both offset planes. Three: their common point. More: the least-squares point.
// When the planes do not fix a point (near-parallel or opposite normals) the vertex moves
// `thickness` along the negated mean of the normals instead; nothing moves for no normals.
[[nodiscard]] Vec3 inwardOffset(std::span<const Vec3> faceNormals, double thickness);

// The mesh with every vertex used by a face moved by inwardOffset of the normals of the faces
// using it; vertices no face uses stay. Faces, ids and order are kept; normals are recomputed.
[[nodiscard]] SolidMesh offsetInward(const SolidMesh& mesh, double thickness);

}  // namespace brontile::kernel_detail
