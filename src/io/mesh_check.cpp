#include "io/mesh_check.hpp"

#include <algorithm>
#include <utility>

namespace brontile::MeshCheck {
namespace {

// One directed use of an edge, keyed by its lower vertex first; `forward` is false when the
// loop walks it from the higher vertex to the lower.
struct EdgeUse {
    VertexIndex low;
    VertexIndex high;
    bool forward;
};

}  // namespace

MeshCheckResult check(const SolidMesh& mesh) {
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
    MeshCheckResult result;
    for (std::size_t first = 0, next = 0; first < uses.size(); first = next) {
        std::size_t forward = 0;
        std::size_t backward = 0;
        while (next < uses.size() && uses[next].low == uses[first].low &&
               uses[next].high == uses[first].high) {
            ++(uses[next].forward ? forward : backward);
            ++next;
        }
        if (forward != 1 || backward != 1) ++result.openEdges;
    }
    result.closed = result.openEdges == 0;
    result.volume = mesh.volume();
    return result;
}

std::vector<BodyCheck> bodies(const CADDocument& document) {
    std::vector<BodyCheck> checks;
    checks.reserve(document.bodies.size());
    for (const Body& body : document.bodies) {
        checks.push_back({body.name, body.isVisible, check(body.mesh)});
    }
    return checks;
}

std::vector<std::string> openVisibleBodies(const CADDocument& document) {
    std::vector<std::string> names;
    for (const Body& body : document.bodies) {
        if (body.isVisible && !check(body.mesh).closed) names.push_back(body.name);
    }
    return names;
}

}  // namespace brontile::MeshCheck
