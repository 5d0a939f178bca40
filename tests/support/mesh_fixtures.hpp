// Meshes the tests and benchmarks build on: boxes, an L-shaped prism, spheres and cylinders, all
// closed and wound outwards.
#pragma once

#include <functional>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"

namespace brontile::test {

// An axis-aligned box with six quad faces and normals pointing out.
SolidMesh boxMesh(const Vec3& min, const Vec3& max);

// The box of boxMesh with its faces changed by `edit`: one left out for an open box, one turned
// for a badly wound one.
SolidMesh editedBoxMesh(const Vec3& min, const Vec3& max,
                        const std::function<void(std::vector<SolidFace>&)>& edit);

// One face (facing `normal`) made of the loops over `vertices`, loops too short for a polygon
// included as given.
SolidMesh oneFaceMesh(std::vector<Vec3> vertices, std::vector<PolygonLoop> loops,
                      const Vec3& normal = Vec3::unitZ);

// A box whose every face is split into two triangles (twelve triangles in six faces).
SolidMesh triangulatedBoxMesh(const Vec3& min, const Vec3& max);

// An L-shaped prism in 0..30 × 0..20 with 10..30 × 10..20 cut away (area 400), height `height`;
// its top and bottom faces are single six-vertex polygons.
SolidMesh lShapeMesh(double height);

// A 30 × 30 plate, `height` thick, with a 10 × 10 square hole through its middle (volume
// 800 · height). Its top and bottom faces are each tiled by four trapezoids around the hole, the
// way a boolean leaves a face: one face, several polygons, an outline with a hole.
SolidMesh plateWithHoleMesh(double height);

// A rectangle from radius `inner` to `outer`, `height` high, turned once around the z axis in
// `segments` steps: four planar quad faces per step.
SolidMesh ringMesh(double inner, double outer, double height, int segments);

// A closed mesh of roughly `triangles` triangles: a grid of boxes, each face its own triangles.
SolidMesh largeMesh(int triangles);

// A UV sphere: a vertex at each pole, stacks − 1 rings of `slices` vertices, one triangle face per
// triangle (pole fans and two per band quad), wound outwards.
SolidMesh sphereMesh(const Vec3& center, double radius, int slices, int stacks);

// A cylinder standing on `base` along +z: fan caps and two triangles per side quad.
SolidMesh cylinderMesh(const Vec3& base, double radius, double height, int slices);

}  // namespace brontile::test
