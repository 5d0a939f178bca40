// A BSP tree over pooled polygons. Nodes live in one array and name their children by position,
// and every walk is a loop, so a tree one plane deep per polygon (a convex solid) is as safe as
// a shallow one.
#pragma once

#include <cstdint>
#include <vector>

#include "kernel/polygon_soup.hpp"
#include "kernel/work_pacer.hpp"

namespace brontile::csg_detail {

class BspTree {
public:
    static constexpr std::int32_t kNone = -1;

    struct Node {
        CSGPlane plane;
        // |plane.normal|, and the on-plane band widened for rounding: for bounding-sphere tests.
        double normalLength = 0;
        double band = 0;
        bool hasPlane = false;
        std::int32_t front = kNone;
        std::int32_t back = kNone;
    };

    // A single fresh node: no plane, no children, no polygons.
    BspTree();

    // Extends the tree with the polygons; the first polygon reaching a node without a plane gives
    // it its plane, and polygons lying in a node's plane stay there. Split pieces go into `soup`.
    // With a pacer, steps it once per polygon. Throws KernelError::workBound when splitting
    // would take the tree past a bound proportional to the polygons given.
    void build(PolygonSoup& soup, const std::vector<SoupPolygon>& polygons,
               WorkPacer* pacer = nullptr);
    // Turns the solid inside out: every polygon and plane flipped, front and back swapped.
    void invert();
    // The parts of the polygons outside this tree's solid.
    [[nodiscard]] std::vector<SoupPolygon> clipPolygons(
        PolygonSoup& soup, const std::vector<SoupPolygon>& polygons) const;
    // The polygons cut along every plane of the tree they cross, inside pieces included: the
    // pieces of polygons[i] are pieces[start[i]] up to pieces[start[i + 1]].
    struct Cut {
        std::vector<SoupPolygon> pieces;
        std::vector<std::uint32_t> start;
    };
    // With a pacer, steps it once per polygon; throws KernelError::workBound when the pieces
    // would outgrow a bound proportional to the polygons and the tree.
    [[nodiscard]] Cut cutPolygons(PolygonSoup& soup, const std::vector<SoupPolygon>& polygons,
                                  WorkPacer* pacer = nullptr) const;
    // Removes the parts of this tree's polygons that lie inside the other tree's solid.
    void clipTo(PolygonSoup& soup, const BspTree& other);
    // Pre-order: a node's polygons, then its front subtree's, then its back subtree's.
    [[nodiscard]] std::vector<SoupPolygon> allPolygons() const;

private:
    friend class Clipper;
    friend class Cutter;
    friend class Builder;

    std::int32_t addNode();
    // Every node's position in a pre-order walk (front subtree before back subtree).
    [[nodiscard]] std::vector<std::uint32_t> preorder() const;

    // Kept apart from the polygon lists so that a walk down the tree reads a compact array.
    std::vector<Node> nodes_;
    std::vector<std::vector<SoupPolygon>> polygons_;
};

}  // namespace brontile::csg_detail
