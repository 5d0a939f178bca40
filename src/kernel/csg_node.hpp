// One BSP tree over polygon values, for callers that want to drive the tree steps themselves;
// the booleans use the same tree on pooled polygons.
#pragma once

#include <vector>

#include "kernel/bsp_tree.hpp"
#include "kernel/csg_polygon.hpp"
#include "kernel/polygon_soup.hpp"

namespace brontile {

class CSGNode {
public:
    // A fresh node: no plane, no children, no polygons.
    CSGNode() = default;

    // Extends the tree; the first polygon reaching a node without a plane gives it its plane.
    void build(const std::vector<CSGPolygon>& polygons);
    // Turns the tree's solid inside out.
    void invert();
    // The parts of the polygons outside this tree's solid.
    [[nodiscard]] std::vector<CSGPolygon> clipPolygons(const std::vector<CSGPolygon>& polygons);
    // Removes this tree's polygon parts that lie inside the other tree's solid.
    void clipTo(const CSGNode& other);
    // Pre-order: a node's polygons, then its front subtree's, then its back subtree's.
    [[nodiscard]] std::vector<CSGPolygon> allPolygons() const;

private:
    csg_detail::PolygonSoup soup_;
    csg_detail::BspTree tree_;
};

}  // namespace brontile
