// What the bounding-volume trees built along a space-filling curve share: the curve, and the
// shape of a tree whose every node covers a run of the sorted items and halves it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry/vec3.hpp"

namespace brontile {

// Where points lie along a Morton curve through a box, 1 024 cells to an axis: the order that
// keeps neighbours together when a tree halves runs of items sorted by it. Finer cells would only
// order items that end up in one leaf anyway.
class MortonCurve {
public:
    MortonCurve(const Vec3& min, const Vec3& max) : min_(min), size_(max - min) {}

    // A 30-bit code; points outside the box take the nearest cell.
    [[nodiscard]] std::uint32_t code(const Vec3& p) const {
        return spread(cell(p.x, min_.x, size_.x)) | spread(cell(p.y, min_.y, size_.y)) << 1 |
               spread(cell(p.z, min_.z, size_.z)) << 2;
    }

private:
    static std::uint32_t cell(double value, double min, double size) {
        const double unit = size > 0 ? (value - min) / size : 0;
        return static_cast<std::uint32_t>(std::clamp(unit, 0.0, 1.0) * 0x3FF);
    }
    // Spreads the low 10 bits of v two apart, for interleaving three coordinates.
    static std::uint32_t spread(std::uint32_t v) {
        v &= 0x3FF;
        v = (v | v << 16) & 0x30000FF;
        v = (v | v << 8) & 0x300F00F;
        v = (v | v << 4) & 0x30C30C3;
        v = (v | v << 2) & 0x9249249;
        return v;
    }

    Vec3 min_;
    Vec3 size_;
};

// Lays out the nodes over `count` items: node 0 covers them all, and every node covering more
// than `leafSize` items gets two children covering its halves. A leaf keeps its run in `first`
// and `count`; an inner node gets count 0 and its children at `first` and `first + 1`, always
// after it, so that a backward pass over the list meets children before their parent.
template <class Node>
void layOutHalvedTree(std::vector<Node>& nodes, std::uint32_t count, std::uint32_t leafSize) {
    nodes.clear();
    // A split node holds more than leafSize items, so each half holds at least half of
    // leafSize + 1: a bound on the leaves that never reallocates a list of a million nodes.
    const std::uint32_t smallestLeaf = std::max<std::uint32_t>(1, (leafSize + 1) / 2);
    nodes.reserve(2 * (static_cast<std::size_t>(count) / smallestLeaf) + 1);
    const auto make = [](std::uint32_t first, std::uint32_t size) {
        Node node{};
        node.first = first;
        node.count = size;
        return node;
    };
    nodes.push_back(make(0, count));
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        const std::uint32_t first = nodes[n].first;
        const std::uint32_t size = nodes[n].count;
        if (size <= leafSize) continue;
        const auto children = static_cast<std::uint32_t>(nodes.size());
        nodes.push_back(make(first, size / 2));
        nodes.push_back(make(first + size / 2, size - size / 2));
        nodes[n].first = children;
        nodes[n].count = 0;
    }
}

}  // namespace brontile
