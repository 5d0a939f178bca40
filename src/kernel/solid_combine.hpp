// Booleans of two closed operands that cut only where their surfaces meet. A BSP boolean cuts
// every polygon of one operand by every plane of the other, which costs the product of their
// sizes and shreds faces far from the other surface. Here only the triangles whose boxes come
// near the other surface (the band) are cut, by a BSP tree of the other operand's band. The
// rest of each surface falls apart into connected pieces that lie wholly inside or outside the
// other solid, and each is kept or dropped whole after one inside test.
//
// Which pieces survive follows the BSP booleans exactly, coplanar faces included: a piece is
// judged by the point just in front of it or just behind it, so of two coincident faces facing
// the same way the first operand's is kept once, and faces meeting back to back are dropped.
#pragma once

#include <vector>

#include "kernel/boolean_op.hpp"
#include "kernel/polygon_soup.hpp"
#include "kernel/work_pacer.hpp"

namespace brontile::csg_detail {

// `a` op `b` for closed, outward-wound operands; pieces are added to `soup`. Steps the pacer
// along the way; see BspTree for the bounds on its work.
[[nodiscard]] std::vector<SoupPolygon> combineSolids(PolygonSoup& soup, const PooledSolid& a,
                                                     const PooledSolid& b, BooleanOp op,
                                                     WorkPacer& pacer);

}  // namespace brontile::csg_detail
