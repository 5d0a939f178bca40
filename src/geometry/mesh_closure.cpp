#include "geometry/mesh_closure.hpp"

#include <algorithm>
#include <vector>

namespace brontile {
namespace {

// One directed use of an edge, keyed by its lower vertex first; `forward` is false when the
// loop walks it from the higher vertex to the lower.
struct EdgeUse {
    VertexIndex low;
    VertexIndex high;
    bool forward;
};

}  // namespace

std::size_t openEdgeCount(const SolidMesh& mesh) {
    std::vector<EdgeUse> uses;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const VertexIndex a = loop[i];
                const VertexIndex b = loop[i + 1 == loop.size() ? 0 : i + 1];
                if (a == b) continue;
                uses.push_back({std::min(a, b), std::max(a, b), a < b});
            }
        }
    }
    // Sorting groups the uses of each edge; far cheaper than a hash map for millions of edges.
    std::sort(uses.begin(), uses.end(), [](const EdgeUse& p, const EdgeUse& q) {
        return p.low != q.low ? p.low < q.low : p.high < q.high;
    });
    std::size_t open = 0;
    for (std::size_t first = 0, next = 0; first < uses.size(); first = next) {
        std::size_t forward = 0;
        std::size_t backward = 0;
        while (next < uses.size() && uses[next].low == uses[first].low &&
               uses[next].high == uses[first].high) {
            ++(uses[next].forward ? forward : backward);
            ++next;
        }
        if (forward != 1 || backward != 1) ++open;
    }
    return open;
}

}  // namespace brontile
