#include "kernel/csg_node.hpp"

namespace brontile {

void CSGNode::build(const std::vector<CSGPolygon>& polygons) {
    tree_.build(soup_, soup_.addAll(polygons));
}

void CSGNode::invert() { tree_.invert(); }

std::vector<CSGPolygon> CSGNode::clipPolygons(const std::vector<CSGPolygon>& polygons) {
    return soup_.polygons(tree_.clipPolygons(soup_, soup_.addAll(polygons)));
}

// The other tree contributes only its planes, so pieces of this tree's polygons stay in this
// tree's pool.
void CSGNode::clipTo(const CSGNode& other) { tree_.clipTo(soup_, other.tree_); }

std::vector<CSGPolygon> CSGNode::allPolygons() const { return soup_.polygons(tree_.allPolygons()); }

}  // namespace brontile
