#include "kernel/solid_operand.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/tolerances.hpp"
#include "kernel/kernel_error.hpp"

namespace brontile::csg_detail {
namespace {

using DirectedEdge = std::pair<VertexIndex, VertexIndex>;

// Every edge of every loop, as it runs; edges from a vertex to itself say nothing.
std::vector<DirectedEdge> directedEdges(const SolidMesh& mesh) {
    std::vector<DirectedEdge> edges;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const VertexIndex a = loop[i];
                const VertexIndex b = loop[(i + 1) % loop.size()];
                if (a != b) edges.emplace_back(a, b);
            }
        }
    }
    return edges;
}

// A surface is closed when every edge is matched by as many uses the other way. Edges used more
// than once each way (where loops touch at a vertex) are still closed.
bool isClosed(std::vector<DirectedEdge> edges) {
    std::vector<DirectedEdge> reversed(edges.size());
    std::transform(edges.begin(), edges.end(), reversed.begin(), [](const DirectedEdge& e) {
        return DirectedEdge{e.second, e.first};
    });
    std::sort(edges.begin(), edges.end());
    std::sort(reversed.begin(), reversed.end());
    return edges == reversed;
}

// The volume the loops enclose by their own winding: fans from each loop's first vertex add up
// to the loop's exact signed area whatever its shape, so no triangulation is needed.
double woundVolume(const SolidMesh& mesh) {
    const auto& vertices = mesh.vertices();
    const auto at = [&](VertexIndex i) -> const Vec3& {
        return vertices[static_cast<std::size_t>(i)];
    };
    double sixfold = 0;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 1; i + 1 < loop.size(); ++i) {
                sixfold += at(loop[0]).dot(at(loop[i]).cross(at(loop[i + 1])));
            }
        }
    }
    return sixfold / 6;
}

}  // namespace

Winding requireSolidOperand(const SolidMesh& mesh) {
    std::vector<DirectedEdge> edges = directedEdges(mesh);
    // No surface at all leaves nothing to combine, as an empty result does.
    if (edges.empty()) throw KernelError::degenerateResult();
    if (!isClosed(std::move(edges))) throw KernelError::openOperand();
    const double volume = woundVolume(mesh);
    if (!(std::abs(volume) > kVolumeTolerance)) throw KernelError::flatOperand();
    return volume > 0 ? Winding::outward : Winding::inward;
}

Vec3 woundAreaVector(const SolidMesh& mesh, const SolidFace& face) {
    const auto& vertices = mesh.vertices();
    Vec3 sum;
    for (const PolygonLoop& loop : face.polygons) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const Vec3& p = vertices[static_cast<std::size_t>(loop[i])];
            const Vec3& q = vertices[static_cast<std::size_t>(loop[(i + 1) % loop.size()])];
            sum = sum + p.cross(q);
        }
    }
    return sum;
}

}  // namespace brontile::csg_detail
