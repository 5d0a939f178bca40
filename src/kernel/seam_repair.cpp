#include "kernel/seam_repair.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
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

// Calls visit(lo, hi, forward, backward) for every edge of the loops, once per pair of vertices
// lo < hi, with its uses from lo to hi and back. Edges are gathered by their lower vertex, so that
// each vertex's few edges are matched among themselves instead of sorting every edge of the
// surface.
template <class Visit>
void forEachEdgeUse(const std::vector<SolidFace>& faces, std::size_t vertexCount, Visit visit) {
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
    for (std::size_t lo = 0; lo < vertexCount; ++lo) {
        const auto first = entries.begin() + start[lo];
        const auto last = entries.begin() + start[lo + 1];
        // A vertex has a handful of edges: sorted by insertion, without std::sort's set-up.
        for (auto it = first; it != last; ++it) {
            const std::uint64_t entry = *it;
            auto hole = it;
            for (; hole != first && *(hole - 1) > entry; --hole) *hole = *(hole - 1);
            *hole = entry;
        }
        for (auto run = first; run != last;) {
            const std::uint64_t hi = *run >> 1;
            std::uint32_t uses[2] = {0, 0};
            for (; run != last && (*run >> 1) == hi; ++run) ++uses[*run & 1U];
            visit(static_cast<VertexIndex>(lo), static_cast<VertexIndex>(hi), uses[0], uses[1]);
        }
    }
}

}  // namespace

std::vector<std::uint64_t> unpartneredEdges(const std::vector<SolidFace>& faces,
                                            std::size_t vertexCount) {
    std::vector<EdgeCode> result;
    forEachEdgeUse(faces, vertexCount,
                   [&](VertexIndex lo, VertexIndex hi, std::uint32_t forward, std::uint32_t back) {
                       for (; forward > back; --forward) result.push_back(edgeCode(lo, hi));
                       for (; back > forward; --back) result.push_back(edgeCode(hi, lo));
                   });
    std::sort(result.begin(), result.end());
    return result;
}

namespace {

// The cracked edges of a surface, either way round.
class OpenEdges {
public:
    OpenEdges(const std::vector<SolidFace>& faces, std::size_t vertexCount)
        : OpenEdges(unpartneredEdges(faces, vertexCount)) {}
    // From unpartneredEdges' answer.
    explicit OpenEdges(std::vector<EdgeCode> surplus)
        : surplus_(std::move(surplus)), taken_(surplus_.size(), false) {}

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

// Groups of vertices to be joined into one, each named by its lowest index.
class VertexGroups {
public:
    explicit VertexGroups(std::size_t vertexCount) : parent_(vertexCount) {
        std::iota(parent_.begin(), parent_.end(), VertexIndex{0});
    }

    void join(VertexIndex a, VertexIndex b) {
        const VertexIndex ra = find(a);
        const VertexIndex rb = find(b);
        parent_[static_cast<std::size_t>(std::max(ra, rb))] = std::min(ra, rb);
    }

    // Each vertex's group, by its name.
    [[nodiscard]] std::vector<VertexIndex> representatives() {
        for (VertexIndex v = 0; v < static_cast<VertexIndex>(parent_.size()); ++v) {
            parent_[static_cast<std::size_t>(v)] = find(v);
        }
        return parent_;
    }

private:
    [[nodiscard]] VertexIndex find(VertexIndex v) const {
        while (parent_[static_cast<std::size_t>(v)] != v) v = parent_[static_cast<std::size_t>(v)];
        return v;
    }

    std::vector<VertexIndex> parent_;
};

// Union of crack vertices closer than the tolerance; each group is represented by its lowest
// index.
std::vector<VertexIndex> nearbyMerges(const CrackVertices& crack, std::size_t vertexCount) {
    VertexGroups groups(vertexCount);
    const auto& sorted = crack.sorted();
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        for (std::size_t j = i + 1;
             j < sorted.size() && crack.x(sorted[j]) - crack.x(sorted[i]) <= kSeamTolerance; ++j) {
            if (crack.at(sorted[i]).distance(crack.at(sorted[j])) > kSeamTolerance) continue;
            groups.join(sorted[i], sorted[j]);
        }
    }
    return groups.representatives();
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

// Whether every vertex of the loop lies within the seam tolerance of the line from its first
// vertex to the one farthest from it: the loop encloses nothing.
bool isFlatLoop(const std::vector<Vec3>& vertices, const PolygonLoop& loop) {
    const auto at = [&](VertexIndex v) -> const Vec3& {
        return vertices[static_cast<std::size_t>(v)];
    };
    const Vec3& a = at(loop[0]);
    Vec3 d;
    for (const VertexIndex v : loop) {
        if ((at(v) - a).lengthSquared() > d.lengthSquared()) d = at(v) - a;
    }
    const double length2 = d.lengthSquared();
    if (!(length2 > 0)) return true;
    return std::all_of(loop.begin(), loop.end(), [&](VertexIndex v) {
        const Vec3 offset = at(v) - a;
        return (offset - d * (offset.dot(d) / length2)).length() <= kSeamTolerance;
    });
}

// Drops the loops along the cracks (`open`, as unpartneredEdges gives them) that enclose nothing,
// and says whether there were any. Such a loop only runs along one line and back, so without it
// every stretch of that line is still used as often each way, and the threading below joins its
// neighbours directly. Kept, its own vertices lie on its own open edges, and the threading would
// give it a fan that is its mirror image: a fin used twice each way.
bool dropFlatLoops(const std::vector<Vec3>& vertices, const std::vector<EdgeCode>& open,
                   std::vector<SolidFace>& faces) {
    if (open.empty()) return false;
    // Most loops have no corner on a crack; only those with two in a row are searched.
    std::vector<bool> onCrack(vertices.size(), false);
    for (const EdgeCode code : open) {
        onCrack[static_cast<std::size_t>(edgeSource(code))] = true;
        onCrack[static_cast<std::size_t>(edgeTarget(code))] = true;
    }
    const auto flatOnACrack = [&](const PolygonLoop& loop) {
        bool cracked = false;
        for (std::size_t i = 0; i < loop.size() && !cracked; ++i) {
            const VertexIndex a = loop[i];
            const VertexIndex b = loop[i + 1 == loop.size() ? 0 : i + 1];
            cracked = onCrack[static_cast<std::size_t>(a)] &&
                      onCrack[static_cast<std::size_t>(b)] && isOpenEdge(open, a, b);
        }
        return cracked && isFlatLoop(vertices, loop);
    };
    std::size_t dropped = 0;
    for (SolidFace& face : faces) dropped += std::erase_if(face.polygons, flatOnACrack);
    std::erase_if(faces, [](const SolidFace& f) { return f.polygons.empty(); });
    return dropped > 0;
}

// Vertices lying on an open edge a → b of a loop are threaded into it. Where they lie off the
// face's plane (the cuts leave them up to the on-plane tolerance off), the loop stays as it was
// and gets a fan of slivers from a instead, wound a → v1 → … → b → a, which partners both the
// edge and the pieces across it: ear-clipping a loop with such a vertex threaded in would tilt
// the triangles that reach it, and with them the volume.
void threadTJunctions(const std::vector<Vec3>& vertices, OpenEdges open,
                      std::vector<SolidFace>& faces) {
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

// Edges not used exactly once each way, as edgeCode(lower, higher): cracks left open, and edges
// where loops fold over one another.
std::vector<EdgeCode> unmatchedEdges(const std::vector<SolidFace>& faces, std::size_t vertexCount) {
    std::vector<EdgeCode> result;
    forEachEdgeUse(faces, vertexCount,
                   [&](VertexIndex lo, VertexIndex hi, std::uint32_t forward, std::uint32_t back) {
                       if (forward != 1 || back != 1) result.push_back(edgeCode(lo, hi));
                   });
    return result;
}

// Joins the ends of every edge still unmatched after the repairs that is no longer than the crack
// width, and says whether every edge is then used once each way. Where cuts met at a grazing
// angle, the ends of one seam drift apart along it further than the seam tolerance the first
// merge allows, and the slivers threaded and filled between them can fold over one another. A
// few rounds, since joining may leave a neighbouring short edge unmatched in turn.
bool joinShortUnmatchedEdges(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces,
                             WorkPacer& pacer) {
    constexpr int kRounds = 4;
    const auto at = [&](VertexIndex v) -> const Vec3& {
        return vertices[static_cast<std::size_t>(v)];
    };
    for (int round = 0;; ++round) {
        const std::vector<EdgeCode> unmatched = unmatchedEdges(faces, vertices.size());
        if (unmatched.empty()) return true;
        if (round == kRounds) return false;
        std::optional<VertexGroups> groups;
        for (const EdgeCode code : unmatched) {
            const VertexIndex a = edgeSource(code);
            const VertexIndex b = edgeTarget(code);
            if (at(a).distance(at(b)) > kCrackWidth) continue;
            if (!groups) groups.emplace(vertices.size());
            groups->join(a, b);
        }
        if (!groups) return false;
        applyMerges(groups->representatives(), faces);
        untangleLoops(faces);
        pacer.check();
    }
}

}  // namespace

bool isOpenEdge(const std::vector<std::uint64_t>& open, VertexIndex a, VertexIndex b) {
    return std::binary_search(open.begin(), open.end(), edgeCode(a, b)) ||
           std::binary_search(open.begin(), open.end(), edgeCode(b, a));
}

bool everyEdgePartnered(const std::vector<SolidFace>& faces, std::size_t vertexCount) {
    return unpartneredEdges(faces, vertexCount).empty();
}

bool closeSeams(const std::vector<Vec3>& vertices, std::vector<SolidFace>& faces,
                WorkPacer& pacer) {
    mergeNearbyEnds(vertices, faces);
    pacer.check();
    std::vector<EdgeCode> open = unpartneredEdges(faces, vertices.size());
    if (dropFlatLoops(vertices, open, faces)) open = unpartneredEdges(faces, vertices.size());
    pacer.check();
    threadTJunctions(vertices, OpenEdges(std::move(open)), faces);
    pacer.check();
    open = unpartneredEdges(faces, vertices.size());
    if (cutSpikeTips(vertices, open, faces)) open = unpartneredEdges(faces, vertices.size());
    pacer.check();
    untangleLoops(faces);
    fillThinCracks(vertices, open, faces);
    pacer.check();
    return joinShortUnmatchedEdges(vertices, faces, pacer);
}

}  // namespace brontile::csg_detail
