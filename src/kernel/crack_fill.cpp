#include "kernel/crack_fill.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>

#include "kernel/seam_repair.hpp"

namespace brontile::csg_detail {
namespace {

bool visitsAVertexTwice(const PolygonLoop& loop) {
    if (loop.size() <= 3)
        return loop.size() == 3 && (loop[0] == loop[1] || loop[1] == loop[2] || loop[0] == loop[2]);
    PolygonLoop sorted = loop;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

// Drops repeated neighbours and spikes, going round until none is left.
void cutSpikes(PolygonLoop& loop) {
    bool changed = true;
    while (changed && loop.size() >= 3) {
        changed = false;
        const std::size_t n = loop.size();
        for (std::size_t i = 0; i < n && !changed; ++i) {
            const std::size_t next = (i + 1) % n;
            if (loop[i] == loop[next]) {
                loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(next));
                changed = true;
            } else if (loop[(i + n - 1) % n] == loop[next]) {
                // x, y, x becomes x: erase y and the second x (higher position first).
                const std::size_t hi = std::max(i, next);
                const std::size_t lo = std::min(i, next);
                loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(hi));
                loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(lo));
                changed = true;
            }
        }
    }
}

// The first vertex (by position) that the loop visits again, with the position of its next visit.
std::optional<std::pair<std::size_t, std::size_t>> firstRepeat(const PolygonLoop& loop) {
    std::unordered_map<VertexIndex, std::size_t> firstAt;
    firstAt.reserve(loop.size());
    std::optional<std::pair<std::size_t, std::size_t>> best;
    for (std::size_t k = 0; k < loop.size(); ++k) {
        const auto [it, isNew] = firstAt.try_emplace(loop[k], k);
        if (isNew) continue;
        // Only a vertex's second visit counts; later ones pair with a later first position.
        if (!best || it->second < best->first) best = std::pair{it->second, k};
        it->second = loop.size();
    }
    return best;
}

// Splits the loop at its first repeated vertex, again and again, into simple loops: the part
// between the two visits first, then the rest. A stack of loops still to split, not recursion:
// a long loop that touches itself often would otherwise nest as deep as it is long.
void untangle(PolygonLoop loop, std::vector<PolygonLoop>& out) {
    std::vector<PolygonLoop> pending;
    pending.push_back(std::move(loop));
    while (!pending.empty()) {
        PolygonLoop current = std::move(pending.back());
        pending.pop_back();
        cutSpikes(current);
        if (current.size() < 3) continue;
        const auto repeat = firstRepeat(current);
        if (!repeat) {
            out.push_back(std::move(current));
            continue;
        }
        const auto at = [&](std::size_t k) {
            return current.begin() + static_cast<std::ptrdiff_t>(k);
        };
        PolygonLoop outer(at(repeat->second), current.end());
        outer.insert(outer.end(), current.begin(), at(repeat->first));
        pending.push_back(std::move(outer));
        pending.emplace_back(at(repeat->first), at(repeat->second));
    }
}

// The holes as cycles of vertices, in the direction of their unpartnered edges; a cycle that
// would visit a vertex twice is cut there into two.
std::vector<std::vector<VertexIndex>> holeCycles(const std::vector<std::uint64_t>& open) {
    std::vector<bool> used(open.size(), false);
    // Sorted codes group the edges by their source vertex.
    const auto unusedFrom = [&](VertexIndex v) -> std::size_t {
        const auto first = std::lower_bound(open.begin(), open.end(), edgeCode(v, 0));
        for (auto it = first; it != open.end() && edgeSource(*it) == v; ++it) {
            const auto k = static_cast<std::size_t>(it - open.begin());
            if (!used[k]) return k;
        }
        return open.size();
    };
    std::vector<std::vector<VertexIndex>> cycles;
    std::vector<VertexIndex> path;
    // Where each vertex of the path lies on it: a long crack is walked in linear time.
    std::unordered_map<VertexIndex, std::size_t> onPath;
    for (std::size_t start = 0; start < open.size(); ++start) {
        if (used[start]) continue;
        path.assign(1, edgeSource(open[start]));
        onPath.clear();
        onPath.emplace(path.front(), 0);
        std::size_t edge = start;
        while (edge < open.size()) {
            used[edge] = true;
            const VertexIndex v = edgeTarget(open[edge]);
            if (const auto seen = onPath.find(v); seen != onPath.end()) {
                const auto from = path.begin() + static_cast<std::ptrdiff_t>(seen->second);
                cycles.emplace_back(from, path.end());
                for (auto it = from + 1; it != path.end(); ++it) onPath.erase(*it);
                path.erase(from + 1, path.end());
            } else {
                onPath.emplace(v, path.size());
                path.push_back(v);
            }
            edge = unusedFrom(v);
        }
    }
    return cycles;
}

double width(const std::vector<Vec3>& vertices, const std::vector<VertexIndex>& cycle) {
    // Taken about the first vertex: far from the origin, products of whole positions would
    // drown an area this small in their rounding.
    const Vec3& origin = vertices[static_cast<std::size_t>(cycle.front())];
    Vec3 area;
    double perimeter = 0;
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        const Vec3& p = vertices[static_cast<std::size_t>(cycle[i])];
        const Vec3& q = vertices[static_cast<std::size_t>(cycle[(i + 1) % cycle.size()])];
        area = area + (p - origin).cross(q - origin);
        perimeter += p.distance(q);
    }
    // |area| is twice the enclosed area.
    return perimeter > 0 ? 2 * area.length() / perimeter : 0;
}

// Triangles covering the loop, each cut off where the new diagonal is shortest: along a thin
// sliver that makes a strip across it, close to the surface that is missing.
std::vector<PolygonLoop> strip(const std::vector<Vec3>& vertices, PolygonLoop loop) {
    const auto at = [&](VertexIndex v) -> const Vec3& {
        return vertices[static_cast<std::size_t>(v)];
    };
    std::vector<PolygonLoop> triangles;
    while (loop.size() > 3) {
        const std::size_t n = loop.size();
        std::size_t best = 0;
        double shortest = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < n; ++i) {
            const double d = at(loop[(i + n - 1) % n]).distance(at(loop[(i + 1) % n]));
            if (d < shortest) {
                shortest = d;
                best = i;
            }
        }
        triangles.push_back({loop[(best + n - 1) % n], loop[best], loop[(best + 1) % n]});
        loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(best));
    }
    triangles.push_back(std::move(loop));
    return triangles;
}

// Removes the face's loop that runs through the cycle's vertices in the cycle's order, if any.
bool dropLoop(SolidFace& face, const std::vector<VertexIndex>& cycle) {
    for (auto it = face.polygons.begin(); it != face.polygons.end(); ++it) {
        if (it->size() != cycle.size()) continue;
        const auto start = std::find(it->begin(), it->end(), cycle.front());
        if (start == it->end()) continue;
        PolygonLoop rotated(start, it->end());
        rotated.insert(rotated.end(), it->begin(), start);
        if (!std::equal(rotated.begin(), rotated.end(), cycle.begin())) continue;
        face.polygons.erase(it);
        return true;
    }
    return false;
}

// Whether b is the tip of a spike a → b → c: both neighbours lie the same way from it, and the
// nearer one within kSpikeWidth of the line to the farther.
bool isSpikeTip(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 u = a - b;
    const Vec3 w = c - b;
    if (!(u.dot(w) > 0)) return false;
    const bool uNearer = u.dot(u) < w.dot(w);
    const Vec3& near = uNearer ? u : w;
    const Vec3& far = uNearer ? w : u;
    return (near - far * (near.dot(far) / far.dot(far))).length() <= kSpikeWidth;
}

}  // namespace

bool cutSpikeTips(const std::vector<Vec3>& vertices, const std::vector<std::uint64_t>& open,
                  std::vector<SolidFace>& faces) {
    if (open.empty()) return false;
    bool cut = false;
    const auto at = [&](VertexIndex v) -> const Vec3& {
        return vertices[static_cast<std::size_t>(v)];
    };
    for (SolidFace& face : faces) {
        for (PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 0; i < loop.size() && loop.size() > 3;) {
                const std::size_t n = loop.size();
                const VertexIndex a = loop[(i + n - 1) % n];
                const VertexIndex b = loop[i];
                const VertexIndex c = loop[(i + 1) % n];
                if ((isOpenEdge(open, a, b) || isOpenEdge(open, b, c)) &&
                    isSpikeTip(at(a), at(b), at(c))) {
                    loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(i));
                    cut = true;
                    // The neighbour before may have become a tip.
                    i = i == 0 ? 0 : i - 1;
                    continue;
                }
                ++i;
            }
        }
    }
    return cut;
}

void untangleLoops(std::vector<SolidFace>& faces) {
    for (SolidFace& face : faces) {
        if (std::none_of(face.polygons.begin(), face.polygons.end(), visitsAVertexTwice)) continue;
        std::vector<PolygonLoop> loops;
        for (PolygonLoop& loop : face.polygons) {
            if (visitsAVertexTwice(loop)) {
                untangle(std::move(loop), loops);
            } else {
                loops.push_back(std::move(loop));
            }
        }
        face.polygons = std::move(loops);
    }
    std::erase_if(faces, [](const SolidFace& f) { return f.polygons.empty(); });
}

void fillThinCracks(const std::vector<Vec3>& vertices, const std::vector<std::uint64_t>& open,
                    std::vector<SolidFace>& faces) {
    if (open.empty()) return;
    // The face owning each unpartnered edge.
    std::vector<std::size_t> owner(open.size(), 0);
    for (std::size_t f = 0; f < faces.size(); ++f) {
        for (const PolygonLoop& loop : faces[f].polygons) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const std::uint64_t code = edgeCode(loop[i], loop[(i + 1) % loop.size()]);
                const auto it = std::lower_bound(open.begin(), open.end(), code);
                if (it != open.end() && *it == code) {
                    owner[static_cast<std::size_t>(it - open.begin())] = f;
                }
            }
        }
    }
    for (const auto& cycle : holeCycles(open)) {
        if (cycle.size() < 3 || width(vertices, cycle) > kCrackWidth) continue;
        // The face across the hole's longest edge.
        std::size_t face = 0;
        double longest = -1;
        for (std::size_t i = 0; i < cycle.size(); ++i) {
            const VertexIndex a = cycle[i];
            const VertexIndex b = cycle[(i + 1) % cycle.size()];
            const double length = vertices[static_cast<std::size_t>(a)].distance(
                vertices[static_cast<std::size_t>(b)]);
            if (length <= longest) continue;
            const auto it = std::lower_bound(open.begin(), open.end(), edgeCode(a, b));
            longest = length;
            face = owner[static_cast<std::size_t>(it - open.begin())];
        }
        // A sliver kept where it should have been dropped: its own loop is the whole hole.
        if (dropLoop(faces[face], cycle)) continue;
        // The hole's edges run the way the surface around it does; the fill runs against them.
        PolygonLoop fill(cycle.rbegin(), cycle.rend());
        for (PolygonLoop& triangle : strip(vertices, std::move(fill))) {
            faces[face].polygons.push_back(std::move(triangle));
        }
    }
    std::erase_if(faces, [](const SolidFace& f) { return f.polygons.empty(); });
}

}  // namespace brontile::csg_detail
