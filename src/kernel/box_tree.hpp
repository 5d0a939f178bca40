// A bounding-volume tree over boxes, for finding the few items of a large set that come near a
// box, a segment or a ray. Items are named by their position in the list the tree was built
// from; the tree keeps its own copy of their boxes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/aabb.hpp"

namespace brontile::csg_detail {

class BoxTree {
public:
    // An empty tree.
    BoxTree() = default;
    explicit BoxTree(std::span<const AABB> boxes);

    [[nodiscard]] bool empty() const { return nodes_.empty(); }
    // The box around every item. Only for a tree that is not empty.
    [[nodiscard]] const AABB& bounds() const { return nodes_.front().box; }

    // Calls visit(item) for every item whose box `enters` accepts, skipping every subtree whose
    // box it refuses; stops early when visit returns false. `enters` may change its mind as
    // visits go on (a ray search shortens as it finds nearer hits).
    template <class Enters, class Visit>
    void search(Enters enters, Visit visit) const {
        if (nodes_.empty()) return;
        // Halving splits keep the depth at about log2(size), and the list never holds more than
        // one entry per level plus one.
        std::uint32_t stack[96];
        int top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& node = nodes_[stack[--top]];
            if (!enters(node.box)) continue;
            if (node.count == 0) {
                stack[top++] = node.first + 1;
                stack[top++] = node.first;
                continue;
            }
            for (std::uint32_t i = node.first; i < node.first + node.count; ++i) {
                if (enters(boxes_[i]) && !visit(items_[i])) return;
            }
        }
    }

private:
    struct Node {
        AABB box;
        // An inner node's children are nodes `first` and `first + 1`; a leaf holds the items at
        // positions [first, first + count) of items_.
        std::uint32_t first = 0;
        std::uint32_t count = 0;
    };

    std::vector<Node> nodes_;
    std::vector<std::uint32_t> items_;
    // In the order of items_.
    std::vector<AABB> boxes_;
};

// Whether the boxes share a point.
[[nodiscard]] inline bool overlaps(const AABB& p, const AABB& q) {
    return p.min.x <= q.max.x && q.min.x <= p.max.x && p.min.y <= q.max.y && q.min.y <= p.max.y &&
           p.min.z <= q.max.z && q.min.z <= p.max.z;
}

// Whether origin + t·direction meets the box for some t in [0, limit]; `inverse` holds the
// reciprocals of the direction's components.
[[nodiscard]] bool rayMeetsBox(const AABB& box, const Vec3& origin, const Vec3& inverse,
                               double limit);

// The box grown by `margin` on every side.
[[nodiscard]] AABB grown(const AABB& box, double margin);

}  // namespace brontile::csg_detail
