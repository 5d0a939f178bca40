#include "kernel/seam_repair.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

#include "kernel/box_tree.hpp"
#include "kernel/crack_fill.hpp"

namespace brontile::csg_detail {
namespace {

// A vertex this close (mm) to a face's plane lies in it, as far as threading it into the face's
// loops goes.
constexpr double kFlatThread = 1e-9;

using EdgeCode = std::uint64_t;

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

// Every directed edge used more often than its reverse, once per surplus use, sorted: the edges
// along a crack. Edges are gathered by their lower vertex, so that each vertex's few edges are
// matched among themselves instead of sorting every edge of the surface.
}  // namespace

std::vector<std::uint64_t> unpartneredEdges(const std::vector<SolidFace>& faces,
                                            std::size_t vertexCount) {
    std::vector<std::uint32_t> start(vertexCount + 1, 0);
    forEachEdge(faces, [&](VertexIndex a, VertexIndex b) {
        ++start[static_cast<std::size_t>(std::min(a, b)) + 1];
    });
    std::partial_sum(start.begin(), start.end(), start.begin());
    // The higher vertex, shifted, and whether the edge runs from it to the lower one.
    std::vector<std::uint64_t> entries(start.back());
    std::vector<std::uint32_t> filled(start.begin(), start.end() - 1);
    forEachEdge(faces, [&](VertexIndex a, VertexIndex b) {
        const auto lo = static_cast<std::size_t>(std::min(a, b));
        const auto hi = static_cast<std::uint64_t>(std::max(a, b));
        entries[filled[lo]++] = (hi << 1) | (a > b ? 1U : 0U);
    });
    std::vector<EdgeCode> result;
    for (std::size_t lo = 0; lo < vertexCount; ++lo) {
        const auto first = entries.begin() + start[lo];
        const auto last = entries.begin() + start[lo + 1];
        std::sort(first, last);
        for (auto run = first; run != last;) {
            const std::uint64_t hi = *run >> 1;
            std::int64_t balance = 0;
            for (; run != last && (*run >> 1) == hi; ++run) balance += (*run & 1U) ? -1 : 1;
            const auto l = static_cast<VertexIndex>(lo);
            const auto h = static_cast<VertexIndex>(hi);
            for (; balance > 0; --balance) result.push_back(edgeCode(l, h));
            for (; balance < 0; ++balance) result.push_back(edgeCode(h, l));
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

namespace {

// The cracked edges of a surface, either way round.
class OpenEdges {
public:
    OpenEdges(const std::vector<SolidFace>& faces, std::size_t vertexCount)
        : surplus_(unpartneredEdges(faces, vertexCount)), taken_(surplus_.size(), false) {}

    [[nodiscard]] bool empty() const { return surplus_.empty(); }

    // Whether a → b is used more often than b → a by more than the calls that took it before.
    bool takeSurplus(VertexIndex a, VertexIndex b) {
        const EdgeCode wanted = edgeCode(a, b);
        for (auto it = std::lower_bound(surplus_.begin(), surplus_.end(), wanted);
             it != surplus_.end() && *it == wanted; ++it) {
            const auto k = static_cast<std::size_t>(it - surplus_.begin());
            if (taken_[k]) continue;
            taken_[k] = true;
            return true;
        }
        return false;
    }

    // Every vertex at the end of an open edge, each once.
    [[nodiscard]] std::vector<VertexIndex> ends() const {
        std::vector<VertexIndex> result;
        for (const EdgeCode c : surplus_) {
            result.push_back(edgeSource(c));
            result.push_back(edgeTarget(c));
        }
        std::sort(result.begin(), result.end());
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }

private:
    std::vector<EdgeCode> surplus_;
    std::vector<bool> taken_;
};

// Crack vertices sorted by x, so that neighbours within the tolerance are found by a short scan.
class CrackVertices {
public:
    CrackVertices(const std::vector<Vec3>& vertices, std::vector<VertexIndex> indices)
        : vertices_(vertices), sorted_(std::move(indices)) {
        std::sort(sorted_.begin(), sorted_.end(),
                  [&](VertexIndex p, VertexIndex q) { return x(p) < x(q); });
        nearby_ = BoxTree(pointBoxes());
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
        const Vec3 inverse{1 / d.x, 1 / d.y, 1 / d.z};
        nearby_.search(
            [&](const AABB& box) {
                return rayMeetsBox(grown(box, kSeamTolerance), pa, inverse, 1.0);
            },
            [&](std::uint32_t i) {
                const VertexIndex v = sorted_[i];
                if (v == a || v == b) return true;
                const Vec3 offset = at(v) - pa;
                const double along = offset.dot(d) / length;
                if (along <= kSeamTolerance || along >= length - kSeamTolerance) return true;
                if ((offset - d * (along / length)).length() <= kSeamTolerance) {
                    out.emplace_back(along, v);
                }
                return true;
            });
        std::sort(out.begin(), out.end());
    }

private:
    [[nodiscard]] std::vector<AABB> pointBoxes() const {
        std::vector<AABB> boxes;
        boxes.reserve(sorted_.size());
        for (const VertexIndex v : sorted_) boxes.emplace_back(at(v), at(v));
        return boxes;
    }

    const std::vector<Vec3>& vertices_;
    std::vector<VertexIndex> sorted_;
    // Over sorted_, for finding the vertices near a segment.
    BoxTree nearby_;
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
    const CrackVertices crack(vertices, OpenEdges(faces, vertices.size()).ends());
    if (crack.sorted().size() < 2) return;
    const auto representative = nearbyMerges(crack, vertices.size());
    const bool anyMerged = std::any_of(
        crack.sorted().begin(), crack.sorted().end(),
        [&](VertexIndex v) { return representative[static_cast<std::size_t>(v)] != v; });
    if (anyMerged) applyMerges(representative, faces);
}

// Vertices lying on an open edge a → b of a loop are threaded into it. Where they lie off the
// face's plane (the cuts leave them up to the on-plane tolerance off), the loop stays as it was
// and gets a fan of slivers from a instead, wound a → v1 → … → b → a, which partners both the
// edge and the pieces across it: ear-clipping a loop with such a vertex threaded in would tilt
// the triangles that reach it, and with them the volume.
void threadTJunctions(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    OpenEdges open(faces, vertices.size());
    if (open.empty()) return;
    const CrackVertices crack(vertices, open.ends());
    if (crack.sorted().empty()) return;
    std::vector<std::pair<double, VertexIndex>> inside;
    std::vector<PolygonLoop> slivers;
    PolygonLoop threaded;
    for (SolidFace& face : faces) {
        slivers.clear();
        const Vec3 normal = face.normal.normalized();
        for (PolygonLoop& loop : face.polygons) {
            threaded.clear();
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const VertexIndex a = loop[i];
                const VertexIndex b = loop[i + 1 == loop.size() ? 0 : i + 1];
                threaded.push_back(a);
                if (!open.takeSurplus(a, b)) continue;
                crack.onEdge(a, b, inside);
                const Vec3& pa = crack.at(a);
                const bool flat = std::all_of(inside.begin(), inside.end(), [&](const auto& v) {
                    return std::abs(normal.dot(crack.at(v.second) - pa)) <= kFlatThread;
                });
                for (std::size_t k = 0; k < inside.size(); ++k) {
                    if (flat) {
                        threaded.push_back(inside[k].second);
                    } else {
                        slivers.push_back({a, inside[k].second,
                                           k + 1 < inside.size() ? inside[k + 1].second : b});
                    }
                }
            }
            if (threaded.size() != loop.size()) loop = threaded;
        }
        face.polygons.insert(face.polygons.end(), slivers.begin(), slivers.end());
    }
}

}  // namespace

bool everyEdgePartnered(const std::vector<SolidFace>& faces, std::size_t vertexCount) {
    return unpartneredEdges(faces, vertexCount).empty();
}

void closeSeams(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces) {
    mergeNearbyEnds(vertices, faces);
    threadTJunctions(vertices, faces);
    cutSpikeTips(vertices, faces);
    untangleLoops(faces);
    fillThinCracks(vertices, faces);
}

}  // namespace brontile::csg_detail
