#include "kernel/csg.hpp"

#include <utility>

#include "kernel/bsp_tree.hpp"

namespace brontile {
namespace csg_detail {
namespace {

std::vector<SoupPolygon> unite(PolygonSoup& soup, BspTree& a, BspTree& b) {
    a.clipTo(soup, b);
    b.clipTo(soup, a);
    b.invert();
    b.clipTo(soup, a);
    b.invert();
    a.build(soup, b.allPolygons());
    return a.allPolygons();
}

std::vector<SoupPolygon> subtract(PolygonSoup& soup, BspTree& a, BspTree& b) {
    a.invert();
    a.clipTo(soup, b);
    b.clipTo(soup, a);
    b.invert();
    b.clipTo(soup, a);
    b.invert();
    a.build(soup, b.allPolygons());
    a.invert();
    return a.allPolygons();
}

std::vector<SoupPolygon> intersect(PolygonSoup& soup, BspTree& a, BspTree& b) {
    a.invert();
    b.clipTo(soup, a);
    b.invert();
    a.clipTo(soup, b);
    b.clipTo(soup, a);
    a.build(soup, b.allPolygons());
    a.invert();
    return a.allPolygons();
}

}  // namespace

std::vector<SoupPolygon> combine(PolygonSoup& soup, std::vector<SoupPolygon> a,
                                 std::vector<SoupPolygon> b, BooleanOp op) {
    BspTree treeA;
    BspTree treeB;
    treeA.build(soup, a);
    treeB.build(soup, b);
    switch (op) {
        case BooleanOp::unite: return unite(soup, treeA, treeB);
        case BooleanOp::subtract: return subtract(soup, treeA, treeB);
        case BooleanOp::intersect: return intersect(soup, treeA, treeB);
    }
    return {};
}

}  // namespace csg_detail

namespace {

std::vector<CSGPolygon> combinePublic(const std::vector<CSGPolygon>& a,
                                      const std::vector<CSGPolygon>& b, BooleanOp op) {
    csg_detail::PolygonSoup soup;
    auto pooledA = soup.addAll(a);
    auto pooledB = soup.addAll(b);
    return soup.polygons(csg_detail::combine(soup, std::move(pooledA), std::move(pooledB), op));
}

}  // namespace

std::vector<CSGPolygon> CSG::unite(const std::vector<CSGPolygon>& a,
                                   const std::vector<CSGPolygon>& b) {
    return combinePublic(a, b, BooleanOp::unite);
}

std::vector<CSGPolygon> CSG::subtract(const std::vector<CSGPolygon>& a,
                                      const std::vector<CSGPolygon>& b) {
    return combinePublic(a, b, BooleanOp::subtract);
}

std::vector<CSGPolygon> CSG::intersect(const std::vector<CSGPolygon>& a,
                                       const std::vector<CSGPolygon>& b) {
    return combinePublic(a, b, BooleanOp::intersect);
}

}  // namespace brontile
