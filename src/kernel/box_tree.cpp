#include "kernel/box_tree.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "kernel/kernel_error.hpp"

namespace brontile::csg_detail {
namespace {

constexpr std::uint32_t kLeafSize = 4;

double along(const Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

// Splits every node at the median centre along the widest axis of its centres.
BoxTree::BoxTree(std::span<const AABB> boxes) {
    if (boxes.empty()) return;
    if (boxes.size() >= std::numeric_limits<std::uint32_t>::max() / 2) {
        throw KernelError::outOfRange();
    }
    const auto count = static_cast<std::uint32_t>(boxes.size());
    items_.resize(count);
    std::vector<Vec3> centers(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        items_[i] = i;
        centers[i] = boxes[i].center();
    }
    nodes_.reserve(2 * (count / kLeafSize) + 1);
    nodes_.emplace_back();
    struct Task {
        std::uint32_t node, first, count;
    };
    std::vector<Task> tasks{{0, 0, count}};
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        const auto begin = items_.begin() + task.first;
        const auto end = begin + task.count;
        AABB box = boxes[*begin];
        AABB centerBox(centers[*begin], centers[*begin]);
        for (auto it = begin; it != end; ++it) {
            box = box.united(boxes[*it]);
            centerBox.extend(centers[*it]);
        }
        nodes_[task.node].box = box;
        if (task.count <= kLeafSize) {
            nodes_[task.node].first = task.first;
            nodes_[task.node].count = task.count;
            continue;
        }
        const Vec3 extent = centerBox.size();
        const int axis = extent.x >= extent.y && extent.x >= extent.z ? 0
                         : extent.y >= extent.z                       ? 1
                                                                      : 2;
        const std::uint32_t half = task.count / 2;
        std::nth_element(begin, begin + half, end, [&](std::uint32_t p, std::uint32_t q) {
            return along(centers[p], axis) < along(centers[q], axis);
        });
        const auto children = static_cast<std::uint32_t>(nodes_.size());
        nodes_.emplace_back();
        nodes_.emplace_back();
        nodes_[task.node].first = children;
        nodes_[task.node].count = 0;
        tasks.push_back({children, task.first, half});
        tasks.push_back({children + 1, task.first + half, task.count - half});
    }
    boxes_.reserve(count);
    for (const std::uint32_t item : items_) boxes_.push_back(boxes[item]);
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
