#include "kernel/seam_repair.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

namespace brontile::csg_detail {
namespace {

using EdgeCode = std::uint64_t;

EdgeCode code(VertexIndex a, VertexIndex b) {
    return (static_cast<EdgeCode>(a) << 32) | static_cast<EdgeCode>(b);
}

template <class Visit>
void forEachEdge(const std::vector<SolidFace>& faces, Visit visit) {
    for (const SolidFace& face : faces) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                visit(loop[i], loop[i + 1 == loop.size() ? 0 : i + 1]);
            }
        }
    }
}

// Directed edges used more often than their reverse: the edges along a crack.
class OpenEdges {
public:
    explicit OpenEdges(const std::vector<SolidFace>& faces) {
        forEachEdge(faces, [&](VertexIndex a, VertexIndex b) { directed_.push_back(code(a, b)); });
        std::sort(directed_.begin(), directed_.end());
    }

    [[nodiscard]] bool isOpen(VertexIndex a, VertexIndex b) const {
        return uses(a, b) != uses(b, a);
    }

    // Every vertex at the end of an open edge, each once.
    [[nodiscard]] std::vector<VertexIndex> ends(const std::vector<SolidFace>& faces) const {
        std::vector<VertexIndex> result;
        forEachEdge(faces, [&](VertexIndex a, VertexIndex b) {
            if (!isOpen(a, b)) return;
            result.push_back(a);
            result.push_back(b);
        });
        std::sort(result.begin(), result.end());
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }

private:
    [[nodiscard]] std::size_t uses(VertexIndex a, VertexIndex b) const {
        const auto [lo, hi] = std::equal_range(directed_.begin(), directed_.end(), code(a, b));
        return static_cast<std::size_t>(hi - lo);
    }

    std::vector<EdgeCode> directed_;
};

// Crack vertices sorted by x, so that neighbours within the tolerance are found by a short scan.
class CrackVertices {
public:
    CrackVertices(const std::vector<Vec3>& vertices, std::vector<VertexIndex> indices)
        : vertices_(vertices), sorted_(std::move(indices)) {
        std::sort(sorted_.begin(), sorted_.end(),
                  [&](VertexIndex p, VertexIndex q) { return x(p) < x(q); });
    }

    [[nodiscard]] const std::vector<VertexIndex>& sorted() const { return sorted_; }
    [[nodiscard]] const Vec3& at(VertexIndex v) const {
        return vertices_[static_cast<std::size_t>(v)];
    }
    [[nodiscard]] double x(VertexIndex v) const { return at(v).x; }

    // The first position in sorted() whose x is at least `value`.
    [[nodiscard]] std::size_t lowerBound(double value) const {
        return static_cast<std::size_t>(
            std::lower_bound(sorted_.begin(), sorted_.end(), value,
                             [&](VertexIndex v, double bound) { return x(v) < bound; }) -
            sorted_.begin());
    }

    // Vertices strictly inside segment a–b (within the tolerance), ordered from a to b.
    void onEdge(VertexIndex a, VertexIndex b,
                std::vector<std::pair<double, VertexIndex>>& out) const {
        out.clear();
        const Vec3& pa = at(a);
        const Vec3 d = at(b) - pa;
        const double length = d.length();
        if (!(length > 2 * kSeamTolerance)) return;
        const double hi = std::max(pa.x, pa.x + d.x) + kSeamTolerance;
        for (std::size_t i = lowerBound(std::min(pa.x, pa.x + d.x) - kSeamTolerance);
             i < sorted_.size() && x(sorted_[i]) <= hi; ++i) {
            const VertexIndex v = sorted_[i];
            if (v == a || v == b) continue;
            const Vec3 offset = at(v) - pa;
            const double along = offset.dot(d) / length;
            if (along <= kSeamTolerance || along >= length - kSeamTolerance) continue;
            if ((offset - d * (along / length)).length() <= kSeamTolerance) {
                out.emplace_back(along, v);
            }
        }
        std::sort(out.begin(), out.end());
    }

private:
    const std::vector<Vec3>& vertices_;
    std::vector<VertexIndex> sorted_;
};

// Union of crack vertices closer than the tolerance; each group is represented by its lowest
// index.
std::vector<VertexIndex> nearbyMerges(const CrackVertices& crack, std::size_t vertexCount) {
    std::vector<VertexIndex> parent(vertexCount);
    std::iota(parent.begin(), parent.end(), VertexIndex{0});
    const auto find = [&](VertexIndex v) {
        while (parent[static_cast<std::size_t>(v)] != v) v = parent[static_cast<std::size_t>(v)];
        return v;
    };
    const auto& sorted = crack.sorted();
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        for (std::size_t j = i + 1;
             j < sorted.size() && crack.x(sorted[j]) - crack.x(sorted[i]) <= kSeamTolerance; ++j) {
            if (crack.at(sorted[i]).distance(crack.at(sorted[j])) > kSeamTolerance) continue;
            const VertexIndex a = find(sorted[i]);
            const VertexIndex b = find(sorted[j]);
            parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
        }
    }
    for (VertexIndex v = 0; v < static_cast<VertexIndex>(vertexCount); ++v) {
        parent[static_cast<std::size_t>(v)] = find(v);
    }
    return parent;
}

bool hasThreeDistinct(PolygonLoop loop) {
    std::sort(loop.begin(), loop.end());
    return std::unique(loop.begin(), loop.end()) - loop.begin() >= 3;
}

// Renames merged vertices; a loop that folds onto itself loses its repeats or disappears.
void applyMerges(const std::vector<VertexIndex>& representative, std::vector<SolidFace>& faces) {
    for (SolidFace& face : faces) {
        for (PolygonLoop& loop : face.polygons) {
            PolygonLoop renamed;
            renamed.reserve(loop.size());
            for (const VertexIndex v : loop) {
                const VertexIndex r = representative[static_cast<std::size_t>(v)];
                if (renamed.empty() || renamed.back() != r) renamed.push_back(r);
            }
            while (renamed.size() >= 2 && renamed.front() == renamed.back()) renamed.pop_back();
            loop = std::move(renamed);
        }
        std::erase_if(face.polygons, [](const PolygonLoop& l) { return !hasThreeDistinct(l); });
    }
    std::erase_if(faces, [](const SolidFace& f) { return f.polygons.empty(); });
}

void mergeNearbyEnds(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    const CrackVertices crack(vertices, OpenEdges(faces).ends(faces));
    if (crack.sorted().size() < 2) return;
    const auto representative = nearbyMerges(crack, vertices.size());
    const bool anyMerged = std::any_of(
        crack.sorted().begin(), crack.sorted().end(),
        [&](VertexIndex v) { return representative[static_cast<std::size_t>(v)] != v; });
    if (anyMerged) applyMerges(representative, faces);
}

void threadTJunctions(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    const OpenEdges open(faces);
    const CrackVertices crack(vertices, open.ends(faces));
    if (crack.sorted().empty()) return;
    std::vector<std::pair<double, VertexIndex>> inside;
    PolygonLoop threaded;
    for (SolidFace& face : faces) {
        for (PolygonLoop& loop : face.polygons) {
            threaded.clear();
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const VertexIndex a = loop[i];
                const VertexIndex b = loop[i + 1 == loop.size() ? 0 : i + 1];
                threaded.push_back(a);
                if (!open.isOpen(a, b)) continue;
                crack.onEdge(a, b, inside);
                for (const auto& [along, v] : inside) threaded.push_back(v);
            }
            if (threaded.size() != loop.size()) loop = threaded;
        }
    }
}

}  // namespace

bool everyEdgePartnered(const std::vector<SolidFace>& faces) {
    // Two sorts and one comparison: every operand of every boolean passes through here.
    std::vector<EdgeCode> forward;
    std::vector<EdgeCode> backward;
    forEachEdge(faces, [&](VertexIndex a, VertexIndex b) {
        forward.push_back(code(a, b));
        backward.push_back(code(b, a));
    });
    std::sort(forward.begin(), forward.end());
    std::sort(backward.begin(), backward.end());
    return forward == backward;
}

void closeSeams(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    mergeNearbyEnds(vertices, faces);
    threadTJunctions(vertices, faces);
}

}  // namespace brontile::csg_detail
