// Solid booleans on polygon lists with BSP trees. Each operation builds one tree per operand,
// clips them against each other in a fixed order and collects the surviving polygons; the trees
// are thrown away afterwards.
#pragma once

#include <vector>

#include "kernel/boolean_op.hpp"
#include "kernel/csg_polygon.hpp"
#include "kernel/polygon_soup.hpp"

namespace brontile {

namespace CSG {

// a ∪ b.
[[nodiscard]] std::vector<CSGPolygon> unite(const std::vector<CSGPolygon>& a,
                                            const std::vector<CSGPolygon>& b);
// a − b.
[[nodiscard]] std::vector<CSGPolygon> subtract(const std::vector<CSGPolygon>& a,
                                               const std::vector<CSGPolygon>& b);
// a ∩ b.
[[nodiscard]] std::vector<CSGPolygon> intersect(const std::vector<CSGPolygon>& a,
                                                const std::vector<CSGPolygon>& b);

}  // namespace CSG

namespace csg_detail {

// The same operations on pooled polygons; pieces are added to `soup`.
[[nodiscard]] std::vector<SoupPolygon> combine(PolygonSoup& soup, std::vector<SoupPolygon> a,
                                               std::vector<SoupPolygon> b, BooleanOp op);

}  // namespace csg_detail
}  // namespace brontile
