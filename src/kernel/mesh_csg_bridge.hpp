// Between solid meshes and the polygons the BSP booleans work on. Out: every triangle of every
// face, carrying its face's plane. Back: vertices welded on a 1e-6 mm grid, polygons grouped
// into one face per plane (rounded to 1e-4), each polygon its own loop.
#pragma once

#include <optional>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "kernel/csg_polygon.hpp"
#include "kernel/polygon_soup.hpp"
#include "kernel/solid_operand.hpp"
#include "kernel/work_pacer.hpp"

namespace brontile {

namespace MeshCSGBridge {

// Triangles whose doubled area is at most 1e-14 mm² are dropped. Each face faces the way its
// loops are wound, whatever its stored normal says. Throws KernelError::outOfRange
// when a vertex is not finite or too far out for the weld that brings results back.
[[nodiscard]] std::vector<CSGPolygon> polygons(const SolidMesh& mesh);
// Every face gets a fresh id and its plane's normal as stored. Polygons that weld down to fewer
// than three distinct vertices are dropped, and vertices lying on another polygon's edge are
// threaded into that edge, so that neighbouring pieces share their edges. Throws
// KernelError::outOfRange when a coordinate or plane component is not finite or too large for
// the 64-bit weld and plane keys.
[[nodiscard]] SolidMesh mesh(const std::vector<CSGPolygon>& polygons);

}  // namespace MeshCSGBridge

namespace csg_detail {

// The same conversions on pooled polygons; `winding` says which way the operand's loops face
// (see requireSolidOperand).
// Both step the pacer as they go.
[[nodiscard]] PooledSolid pooledSolid(PolygonSoup& soup, const SolidMesh& mesh, Winding winding,
                                      WorkPacer& pacer);
// Nothing when the seams of the result cannot all be closed (an edge left used other than once
// each way).
[[nodiscard]] std::optional<SolidMesh> meshFromPooled(const PolygonSoup& soup,
                                                      const std::vector<SoupPolygon>& polygons,
                                                      WorkPacer& pacer);

}  // namespace csg_detail
}  // namespace brontile
