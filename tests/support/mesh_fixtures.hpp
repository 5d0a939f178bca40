// Meshes the tests build on: boxes and an L-shaped prism, closed and wound outwards.
#pragma once

#include "domain/solid_mesh.hpp"
#include "domain/vec3.hpp"

namespace brontile::test {

// An axis-aligned box with six quad faces and normals pointing out.
SolidMesh boxMesh(const Vec3& min, const Vec3& max);

// A box whose every face is split into two triangles (twelve triangles in six faces).
SolidMesh triangulatedBoxMesh(const Vec3& min, const Vec3& max);

// An L-shaped prism in 0..30 × 0..20 with 10..30 × 10..20 cut away (area 400), height `height`;
// its top and bottom faces are single six-vertex polygons.
SolidMesh lShapeMesh(double height);

// A closed mesh of roughly `triangles` triangles: a grid of boxes, each face its own triangles.
SolidMesh largeMesh(int triangles);

}  // namespace brontile::test
