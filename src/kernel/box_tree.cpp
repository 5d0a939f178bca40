#include "kernel/box_tree.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "geometry/halved_tree.hpp"
#include "kernel/kernel_error.hpp"

namespace brontile::csg_detail {
namespace {

constexpr std::uint32_t kLeafSize = 4;

}  // namespace

// Items are ordered along a Morton curve through their centres, so that halving any run of them
// halves a region of space; nodes are the halves of halves, their boxes gathered bottom-up.
BoxTree::BoxTree(std::span<const AABB> boxes) {
    if (boxes.empty()) return;
    if (boxes.size() >= std::numeric_limits<std::uint32_t>::max() / 2) {
        throw KernelError::outOfRange();
    }
    const auto count = static_cast<std::uint32_t>(boxes.size());
    AABB centers(boxes.front().center(), boxes.front().center());
    for (const AABB& box : boxes) centers.extend(box.center());
    const MortonCurve curve(centers.min, centers.max);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        order[i] = {curve.code(boxes[i].center()), i};
    }
    std::sort(order.begin(), order.end());
    items_.resize(count);
    boxes_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        items_[i] = order[i].second;
        boxes_[i] = boxes[order[i].second];
    }
    layOutHalvedTree(nodes_, count, kLeafSize);
    for (std::size_t n = nodes_.size(); n-- > 0;) {
        Node& node = nodes_[n];
        if (node.count > 0) {
            node.box = boxes_[node.first];
            for (std::uint32_t i = node.first + 1; i < node.first + node.count; ++i) {
                node.box = node.box.united(boxes_[i]);
            }
        } else {
            node.box = nodes_[node.first].box.united(nodes_[node.first + 1].box);
        }
    }
}

bool rayMeetsBox(const AABB& box, const Vec3& origin, const Vec3& inverse, double limit) {
    double near = 0;
    double far = limit;
    const double o[3] = {origin.x, origin.y, origin.z};
    const double inv[3] = {inverse.x, inverse.y, inverse.z};
    const double lo[3] = {box.min.x, box.min.y, box.min.z};
    const double hi[3] = {box.max.x, box.max.y, box.max.z};
    for (int axis = 0; axis < 3; ++axis) {
        double t0 = (lo[axis] - o[axis]) * inv[axis];
        double t1 = (hi[axis] - o[axis]) * inv[axis];
        // A direction without this component gives ±inf, or NaN when the origin lies on the
        // slab's face: the ray runs within the slab exactly when the origin lies inside it.
        if (t0 != t0 || t1 != t1) {
            if (o[axis] < lo[axis] || o[axis] > hi[axis]) return false;
            continue;
        }
        if (t0 > t1) std::swap(t0, t1);
        near = std::max(near, t0);
        far = std::min(far, t1);
        if (near > far) return false;
    }
    return true;
}

AABB grown(const AABB& box, double margin) {
    const Vec3 m{margin, margin, margin};
    return {box.min - m, box.max + m};
}

}  // namespace brontile::csg_detail
