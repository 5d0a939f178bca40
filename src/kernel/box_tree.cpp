#include "kernel/box_tree.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "kernel/kernel_error.hpp"

namespace brontile::csg_detail {
namespace {

constexpr std::uint32_t kLeafSize = 4;

// Spreads the low 21 bits of v three apart, for interleaving three coordinates.
std::uint64_t spread(std::uint64_t v) {
    v &= 0x1FFFFF;
    v = (v | v << 32) & 0x1F00000000FFFF;
    v = (v | v << 16) & 0x1F0000FF0000FF;
    v = (v | v << 8) & 0x100F00F00F00F00F;
    v = (v | v << 4) & 0x10C30C30C30C30C3;
    v = (v | v << 2) & 0x1249249249249249;
    return v;
}

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
    const Vec3 extent = centers.size();
    const double cells = static_cast<double>(0x1FFFFF);
    const auto cell = [&](double value, double lo, double size) {
        const double unit = size > 0 ? (value - lo) / size : 0;
        return static_cast<std::uint64_t>(std::clamp(unit, 0.0, 1.0) * cells);
    };
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Vec3 c = boxes[i].center();
        order[i] = {spread(cell(c.x, centers.min.x, extent.x)) |
                        spread(cell(c.y, centers.min.y, extent.y)) << 1 |
                        spread(cell(c.z, centers.min.z, extent.z)) << 2,
                    i};
    }
    std::sort(order.begin(), order.end());
    items_.resize(count);
    boxes_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        items_[i] = order[i].second;
        boxes_[i] = boxes[order[i].second];
    }
    nodes_.reserve(2 * (count / kLeafSize) + 1);
    nodes_.push_back({{}, 0, count});
    // Children always come after their parent, so a backward pass sees them first.
    for (std::size_t n = 0; n < nodes_.size(); ++n) {
        const Node node = nodes_[n];
        if (node.count <= kLeafSize) continue;
        const auto children = static_cast<std::uint32_t>(nodes_.size());
        const std::uint32_t half = node.count / 2;
        nodes_.push_back({{}, node.first, half});
        nodes_.push_back({{}, node.first + half, node.count - half});
        nodes_[n].first = children;
        nodes_[n].count = 0;
    }
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
