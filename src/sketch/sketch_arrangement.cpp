#include "sketch/sketch_arrangement.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

#include "base/tolerances.hpp"
#include "geometry/triangulator.hpp"
#include "sketch/profile_finder.hpp"

namespace brontile::Arrangement {
namespace {

using ProfileFinder::PointKey;

// Where a segment is cut: its parameter and the point, shared by both pieces that meet there.
struct Cut {
    double t = 0;
    Vec2 point;
};

// The parameter of `p` along the segment when p lies on its interior: within the touch
// tolerance of it and clear of both ends.
std::optional<double> interiorParameter(const Segment& s, const Vec2& p) {
    const Vec2 d = s.b - s.a;
    const double length2 = d.dot(d);
    if (!(length2 > 0)) return std::nullopt;
    const double t = (p - s.a).dot(d) / length2;
    const double margin = kTouchTolerance / std::sqrt(length2);
    if (!(t > margin && t < 1 - margin)) return std::nullopt;
    if ((s.a + d * t).distance(p) > kTouchTolerance) return std::nullopt;
    return t;
}

// Records where each of two segments is cut by the other: an end of one on the interior of the
// other cuts it at that very end; otherwise a proper crossing cuts both at one shared point.
// Whether the two may run along each other for a stretch (the same piece drawn twice, or pieces
// on one line that overlap), which leaves repeated edges to merge.
bool mayOverlap(const Segment& s, const Segment& u) {
    const Vec2 d = s.b - s.a;
    const double scale = kTouchTolerance * d.length();
    return std::abs(d.cross(u.a - s.a)) <= scale && std::abs(d.cross(u.b - s.a)) <= scale;
}

void meet(const Segment& s, const Segment& u, std::vector<Cut>& sCuts, std::vector<Cut>& uCuts) {
    // Most pairs a grid cell offers are apart: their boxes, padded by the tolerance, say so.
    const auto apart = [](double a0, double a1, double b0, double b1) {
        return std::max(a0, a1) + kTouchTolerance < std::min(b0, b1) ||
               std::max(b0, b1) + kTouchTolerance < std::min(a0, a1);
    };
    if (apart(s.a.x, s.b.x, u.a.x, u.b.x) || apart(s.a.y, s.b.y, u.a.y, u.b.y)) return;
    bool touched = false;
    for (const Vec2& end : {u.a, u.b}) {
        if (const auto t = interiorParameter(s, end)) {
            sCuts.push_back({*t, end});
            touched = true;
        }
    }
    for (const Vec2& end : {s.a, s.b}) {
        if (const auto t = interiorParameter(u, end)) {
            uCuts.push_back({*t, end});
            touched = true;
        }
    }
    if (touched) return;
    const Vec2 ds = s.b - s.a;
    const Vec2 du = u.b - u.a;
    const double denominator = ds.cross(du);
    if (std::abs(denominator) <= kCrossProductTolerance) return;
    const double ts = (u.a - s.a).cross(du) / denominator;
    const double tu = (u.a - s.a).cross(ds) / denominator;
    // Crossings at an end were handled above or are shared end points.
    if (!(ts > 0 && ts < 1 && tu > 0 && tu < 1)) return;
    const Vec2 point = s.a + ds * ts;
    sCuts.push_back({ts, point});
    uCuts.push_back({tu, point});
}

// Calls `visit(i, j)` once for every pair of segments whose boxes overlap, through a uniform grid
// over the segments' extent, so that far-apart pieces are never compared.
template <class Visit>
void forNearbyPairs(std::span<const Segment> segments, Visit visit) {
    const std::size_t n = segments.size();
    if (n < 2) return;
    Vec2 low = segments[0].a;
    Vec2 high = segments[0].a;
    for (const Segment& s : segments) {
        for (const Vec2& p : {s.a, s.b}) {
            low = {std::min(low.x, p.x), std::min(low.y, p.y)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y)};
        }
    }
    const double extent = std::max({high.x - low.x, high.y - low.y, 1e-9});
    const int side = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(n))), 1, 512);
    const double cell = extent / side;
    const auto cellOf = [&](double v, double origin) {
        return std::clamp(static_cast<int>((v - origin) / cell), 0, side - 1);
    };
    // Each segment's range of cells, then the segments of each cell in one flat list.
    std::vector<std::array<int, 4>> ranges(n);
    std::vector<std::size_t> start(static_cast<std::size_t>(side) * side + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Segment& s = segments[i];
        const double pad = kTouchTolerance;
        auto& r = ranges[i];
        r = {cellOf(std::min(s.a.x, s.b.x) - pad, low.x),
             cellOf(std::min(s.a.y, s.b.y) - pad, low.y),
             cellOf(std::max(s.a.x, s.b.x) + pad, low.x),
             cellOf(std::max(s.a.y, s.b.y) + pad, low.y)};
        for (int y = r[1]; y <= r[3]; ++y) {
            for (int x = r[0]; x <= r[2]; ++x) ++start[static_cast<std::size_t>(y) * side + x + 1];
        }
    }
    for (std::size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    std::vector<std::size_t> members(start.back());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& r = ranges[i];
        for (int y = r[1]; y <= r[3]; ++y) {
            for (int x = r[0]; x <= r[2]; ++x)
                members[fill[static_cast<std::size_t>(y) * side + x]++] = i;
        }
    }
    for (std::size_t c = 0; c + 1 < start.size(); ++c) {
        const int cx = static_cast<int>(c % side);
        const int cy = static_cast<int>(c / side);
        for (std::size_t p = start[c]; p < start[c + 1]; ++p) {
            for (std::size_t q = p + 1; q < start[c + 1]; ++q) {
                const auto& r = ranges[members[p]];
                const auto& o = ranges[members[q]];
                // Only the first cell the two share compares them.
                if (std::max(r[0], o[0]) == cx && std::max(r[1], o[1]) == cy) {
                    visit(members[p], members[q]);
                }
            }
        }
    }
}

// The planar graph of the cut pieces: vertices by grid cell, undirected edges without repeats,
// each with the entities whose pieces run along it.
class Graph {
public:
    struct Edge {
        int u = 0;
        int v = 0;
        // The first entity along it; pieces of others running the same way are kept apart.
        SketchEntityID entity;
        bool alive = true;
    };

    explicit Graph(std::size_t pieces) : slots_(std::bit_ceil(2 * pieces + 16), -1) {
        positions_.reserve(pieces);
        keys_.reserve(pieces);
        edges_.reserve(pieces);
    }

    // The vertex of the point's grid cell; nothing for a point that cannot be quantised. An
    // open-addressed table: one lookup per end point of every piece makes this the hot loop.
    std::optional<int> vertex(const Vec2& p) {
        const auto key = ProfileFinder::key(p);
        if (!key) return std::nullopt;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = std::hash<PointKey>{}(*key) & mask;; slot = (slot + 1) & mask) {
            int& id = slots_[slot];
            if (id < 0) {
                if (2 * (positions_.size() + 1) > slots_.size()) return grown().vertex(p);
                id = static_cast<int>(positions_.size());
                positions_.push_back(p);
                keys_.push_back(*key);
                return id;
            }
            if (keys_[static_cast<std::size_t>(id)] == *key) return id;
        }
    }

    void addEdge(int u, int v, const SketchEntityID& entity) {
        if (u != v) edges_.push_back({std::min(u, v), std::max(u, v), entity});
    }

    // Merges edges between the same two vertices (overlapping curves), keeping every entity.
    void mergeRepeats() {
        std::ranges::sort(edges_, [](const Edge& a, const Edge& b) {
            return std::tie(a.u, a.v) < std::tie(b.u, b.v);
        });
        std::size_t kept = 0;
        for (std::size_t i = 0; i < edges_.size(); ++i) {
            if (kept > 0 && edges_[kept - 1].u == edges_[i].u &&
                edges_[kept - 1].v == edges_[i].v) {
                if (edges_[i].entity != edges_[kept - 1].entity) {
                    alsoAlong_.emplace_back(static_cast<int>(kept - 1), edges_[i].entity);
                }
                continue;
            }
            edges_[kept++] = edges_[i];
        }
        edges_.resize(kept);
    }

    // The entities besides the edge's own with a piece along it.
    void addOtherEntities(int edge, std::vector<SketchEntityID>& into) const {
        for (const auto& [e, entity] : alsoAlong_) {
            if (e == edge) into.push_back(entity);
        }
    }

    [[nodiscard]] std::vector<Edge>& edges() { return edges_; }
    [[nodiscard]] const std::vector<Edge>& edges() const { return edges_; }
    [[nodiscard]] const Vec2& position(int vertex) const {
        return positions_[static_cast<std::size_t>(vertex)];
    }
    [[nodiscard]] std::size_t vertexCount() const { return positions_.size(); }

private:
    // The table at twice the size, every vertex in it again.
    Graph& grown() {
        slots_.assign(2 * slots_.size(), -1);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t id = 0; id < keys_.size(); ++id) {
            std::size_t slot = std::hash<PointKey>{}(keys_[id]) & mask;
            while (slots_[slot] >= 0) slot = (slot + 1) & mask;
            slots_[slot] = static_cast<int>(id);
        }
        return *this;
    }

    std::vector<int> slots_;
    std::vector<Vec2> positions_;
    std::vector<PointKey> keys_;
    std::vector<Edge> edges_;
    std::vector<std::pair<int, SketchEntityID>> alsoAlong_;
};

Graph cutPieces(std::span<const Segment> segments) {
    std::vector<std::vector<Cut>> cuts(segments.size());
    bool repeats = false;
    forNearbyPairs(segments, [&](std::size_t i, std::size_t j) {
        const Segment& s = segments[i];
        const Segment& u = segments[j];
        // Neighbours along one tessellated curve only share their end.
        if ((s.b == u.a && s.a != u.b) || (s.a == u.b && s.b != u.a)) return;
        repeats = repeats || mayOverlap(s, u);
        meet(s, u, cuts[i], cuts[j]);
    });
    Graph graph(segments.size());
    // A tessellated curve's pieces follow one another: one lookup serves both of the shared end.
    std::optional<Vec2> lastPoint;
    std::optional<int> lastVertex;
    const auto vertex = [&](const Vec2& p) {
        if (!lastPoint || *lastPoint != p) {
            lastPoint = p;
            lastVertex = graph.vertex(p);
        }
        return lastVertex;
    };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        std::vector<Cut>& along = cuts[i];
        std::ranges::sort(along, {}, &Cut::t);
        auto from = vertex(segments[i].a);
        for (const Cut& cut : along) {
            const auto to = vertex(cut.point);
            if (from && to) graph.addEdge(*from, *to, segments[i].entity);
            from = to;
        }
        const auto to = vertex(segments[i].b);
        if (from && to) graph.addEdge(*from, *to, segments[i].entity);
    }
    if (repeats) graph.mergeRepeats();
    return graph;
}

// --- Faces

// Half-edge 2e runs along edge e from u to v, 2e + 1 back from v to u.
int origin(const Graph& graph, int half) {
    const auto& edge = graph.edges()[static_cast<std::size_t>(half / 2)];
    return half % 2 == 0 ? edge.u : edge.v;
}

int target(const Graph& graph, int half) { return origin(graph, half ^ 1); }

// The live edges at each vertex, in one flat list.
struct Incidence {
    std::vector<std::size_t> first;
    std::vector<int> edges;

    [[nodiscard]] std::span<const int> at(int v) const {
        const auto i = static_cast<std::size_t>(v);
        return {edges.data() + first[i], first[i + 1] - first[i]};
    }
};

Incidence incidence(const Graph& graph) {
    Incidence result{std::vector<std::size_t>(graph.vertexCount() + 1, 0), {}};
    for (const auto& edge : graph.edges()) {
        if (!edge.alive) continue;
        ++result.first[static_cast<std::size_t>(edge.u) + 1];
        ++result.first[static_cast<std::size_t>(edge.v) + 1];
    }
    for (std::size_t v = 1; v < result.first.size(); ++v) result.first[v] += result.first[v - 1];
    result.edges.resize(result.first.back());
    std::vector<std::size_t> fill(result.first.begin(), result.first.end() - 1);
    for (std::size_t e = 0; e < graph.edges().size(); ++e) {
        const auto& edge = graph.edges()[e];
        if (!edge.alive) continue;
        result.edges[fill[static_cast<std::size_t>(edge.u)]++] = static_cast<int>(e);
        result.edges[fill[static_cast<std::size_t>(edge.v)]++] = static_cast<int>(e);
    }
    return result;
}

// Lets go of the pieces with a free end, and of what hangs from them in turn.
void pruneFreeEnds(Graph& graph) {
    const Incidence around = incidence(graph);
    std::vector<int> degree(graph.vertexCount(), 0);
    std::vector<int> free;
    for (std::size_t v = 0; v < degree.size(); ++v) {
        degree[v] = static_cast<int>(around.first[v + 1] - around.first[v]);
        if (degree[v] == 1) free.push_back(static_cast<int>(v));
    }
    while (!free.empty()) {
        const int v = free.back();
        free.pop_back();
        for (const int e : around.at(v)) {
            auto& edge = graph.edges()[static_cast<std::size_t>(e)];
            if (!edge.alive) continue;
            edge.alive = false;
            const int other = edge.u == v ? edge.v : edge.u;
            if (--degree[static_cast<std::size_t>(other)] == 1) free.push_back(other);
            --degree[static_cast<std::size_t>(v)];
        }
    }
}

// Lets go of every bridge: an edge on no cycle, whose removal would split its part of the graph
// (a line joining a closed shape to another inside a region, which divides nothing). In a plane
// graph these are exactly the edges with the same face on both sides. Found by depth-first low
// links, walked with an explicit stack so that long chains cannot overflow the call stack.
void removeBridges(Graph& graph) {
    const Incidence around = incidence(graph);
    const std::size_t n = graph.vertexCount();
    std::vector<int> order(n, -1);
    std::vector<int> low(n, 0);
    std::vector<int> bridges;
    struct Frame {
        int vertex;
        int viaEdge;
        std::size_t next;
    };
    std::vector<Frame> stack;
    int counter = 0;
    for (std::size_t root = 0; root < n; ++root) {
        if (order[root] >= 0) continue;
        order[root] = low[root] = counter++;
        stack.push_back({static_cast<int>(root), -1, 0});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const auto v = static_cast<std::size_t>(frame.vertex);
            const auto edges = around.at(frame.vertex);
            if (frame.next < edges.size()) {
                const int e = edges[frame.next++];
                if (e == frame.viaEdge) continue;
                const auto& edge = graph.edges()[static_cast<std::size_t>(e)];
                const auto w = static_cast<std::size_t>(edge.u == frame.vertex ? edge.v : edge.u);
                if (order[w] < 0) {
                    order[w] = low[w] = counter++;
                    stack.push_back({static_cast<int>(w), e, 0});
                } else {
                    low[v] = std::min(low[v], order[w]);
                }
                continue;
            }
            const Frame done = frame;
            stack.pop_back();
            if (stack.empty()) continue;
            const auto parent = static_cast<std::size_t>(stack.back().vertex);
            low[parent] = std::min(low[parent], low[static_cast<std::size_t>(done.vertex)]);
            if (low[static_cast<std::size_t>(done.vertex)] > order[parent])
                bridges.push_back(done.viaEdge);
        }
    }
    for (const int e : bridges) graph.edges()[static_cast<std::size_t>(e)].alive = false;
}

// Every live half-edge in one cycle, each cycle keeping its face on the left: at each vertex the
// walk turns into the next edge clockwise from the one it came along.
struct Faces {
    // The half-edges of cycle c are halves[start[c]] to halves[start[c + 1]], in order.
    std::vector<int> halves;
    std::vector<std::size_t> start{0};

    [[nodiscard]] std::size_t count() const { return start.size() - 1; }
    [[nodiscard]] std::span<const int> cycle(std::size_t c) const {
        return {halves.data() + start[c], start[c + 1] - start[c]};
    }
};

// A number that grows with the direction's angle, as atan2 does, without its cost.
double angleKey(const Vec2& d) {
    const double r = d.x / (std::abs(d.x) + std::abs(d.y));
    return d.y >= 0 ? 1 - r : 3 + r;
}

Faces traceFaces(Graph& graph) {
    const std::size_t halves = graph.edges().size() * 2;
    // The live half-edges leaving each vertex, in order of angle, in one flat list.
    std::vector<std::size_t> first(graph.vertexCount() + 1, 0);
    for (std::size_t h = 0; h < halves; ++h) {
        if (graph.edges()[h / 2].alive)
            ++first[static_cast<std::size_t>(origin(graph, static_cast<int>(h))) + 1];
    }
    for (std::size_t v = 1; v < first.size(); ++v) first[v] += first[v - 1];
    std::vector<int> around(first.back());
    std::vector<double> keys(halves, 0);
    {
        std::vector<std::size_t> fill(first.begin(), first.end() - 1);
        for (std::size_t h = 0; h < halves; ++h) {
            if (!graph.edges()[h / 2].alive) continue;
            const int from = origin(graph, static_cast<int>(h));
            keys[h] =
                angleKey(graph.position(target(graph, static_cast<int>(h))) - graph.position(from));
            around[fill[static_cast<std::size_t>(from)]++] = static_cast<int>(h);
        }
    }
    std::vector<int> slot(halves, -1);
    for (std::size_t v = 0; v + 1 < first.size(); ++v) {
        const auto begin = around.begin() + static_cast<std::ptrdiff_t>(first[v]);
        const auto end = around.begin() + static_cast<std::ptrdiff_t>(first[v + 1]);
        std::sort(begin, end, [&](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
        for (std::size_t i = first[v]; i < first[v + 1]; ++i) {
            slot[static_cast<std::size_t>(around[i])] = static_cast<int>(i - first[v]);
        }
    }
    const auto next = [&](int h) {
        const auto v = static_cast<std::size_t>(target(graph, h));
        const auto count = static_cast<int>(first[v + 1] - first[v]);
        const int turn = (slot[static_cast<std::size_t>(h ^ 1)] + count - 1) % count;
        return around[first[v] + static_cast<std::size_t>(turn)];
    };
    Faces faces;
    faces.halves.reserve(halves);
    std::vector<bool> walked(halves, false);
    for (std::size_t begin = 0; begin < halves; ++begin) {
        if (slot[begin] < 0 || walked[begin]) continue;
        // Every half-edge joins one cycle only, so the walk ends within `halves` steps.
        for (int h = static_cast<int>(begin); !walked[static_cast<std::size_t>(h)]; h = next(h)) {
            walked[static_cast<std::size_t>(h)] = true;
            faces.halves.push_back(h);
        }
        faces.start.push_back(faces.halves.size());
    }
    return faces;
}

// The faces once the free ends and the bridges are gone. Removing a bridge puts no other edge
// off its cycles, so one round of each settles the graph.
Faces settledFaces(Graph& graph) {
    pruneFreeEnds(graph);
    removeBridges(graph);
    pruneFreeEnds(graph);
    return traceFaces(graph);
}

// Which connected part of the graph each vertex belongs to.
std::vector<int> components(Graph& graph) {
    std::vector<int> parent(graph.vertexCount());
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&](int v) {
        while (parent[static_cast<std::size_t>(v)] != v) {
            v = parent[static_cast<std::size_t>(v)] =
                parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(v)])];
        }
        return v;
    };
    for (const auto& edge : graph.edges()) {
        if (edge.alive) parent[static_cast<std::size_t>(root(edge.u))] = root(edge.v);
    }
    for (std::size_t v = 0; v < parent.size(); ++v) {
        parent[v] = root(static_cast<int>(v));
    }
    return parent;
}

// One face cycle as points, with its signed area, box, the entities along it and its part.
struct Cycle {
    std::vector<Vec2> points;
    double area = 0;
    Vec2 low;
    Vec2 high;
    std::set<SketchEntityID> entities;
    int component = 0;
};

Cycle cycleOf(const Graph& graph, std::span<const int> halves, const std::vector<int>& parts) {
    Cycle cycle;
    cycle.points.reserve(halves.size());
    cycle.low = cycle.high = graph.position(origin(graph, halves.front()));
    std::vector<SketchEntityID> along;
    for (const int h : halves) {
        const Vec2& p = graph.position(origin(graph, h));
        cycle.points.push_back(p);
        cycle.low = {std::min(cycle.low.x, p.x), std::min(cycle.low.y, p.y)};
        cycle.high = {std::max(cycle.high.x, p.x), std::max(cycle.high.y, p.y)};
        // Runs of one entity follow each other along a curve: one entry per run.
        const SketchEntityID& entity = graph.edges()[static_cast<std::size_t>(h / 2)].entity;
        if (along.empty() || along.back() != entity) along.push_back(entity);
        graph.addOtherEntities(h / 2, along);
    }
    std::ranges::sort(along);
    cycle.entities = std::set<SketchEntityID>(along.begin(), along.end());
    cycle.area = Triangulator::signedArea(cycle.points);
    cycle.component = parts[static_cast<std::size_t>(origin(graph, halves.front()))];
    return cycle;
}

// The smallest region of another part around the outline, if any: the one it is a hole of.
std::optional<std::size_t> enclosingRegion(const Cycle& outline, const std::vector<Cycle>& faces) {
    std::optional<std::size_t> best;
    const Vec2& p = outline.points.front();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Cycle& face = faces[i];
        if (face.component == outline.component) continue;
        if (best && face.area >= faces[*best].area) continue;
        if (p.x < face.low.x || p.x > face.high.x || p.y < face.low.y || p.y > face.high.y)
            continue;
        if (Triangulator::contains(face.points, p)) best = i;
    }
    return best;
}

}  // namespace

std::vector<Profile> regions(std::span<const Segment> segments, const SketchPlane& plane) {
    Graph graph = cutPieces(segments);
    const Faces faces = settledFaces(graph);
    const std::vector<int> parts = components(graph);
    std::vector<Cycle> bounded;
    std::vector<Cycle> outlines;
    for (std::size_t c = 0; c < faces.count(); ++c) {
        Cycle cycle = cycleOf(graph, faces.cycle(c), parts);
        if (cycle.area > kAreaTolerance) {
            bounded.push_back(std::move(cycle));
        } else if (cycle.area < -kAreaTolerance) {
            outlines.push_back(std::move(cycle));
        }
    }
    std::vector<std::optional<std::size_t>> holeOf;
    for (const Cycle& outline : outlines) holeOf.push_back(enclosingRegion(outline, bounded));
    std::vector<Profile> result;
    result.reserve(bounded.size());
    for (Cycle& face : bounded)
        result.push_back({plane, std::move(face.points), face.entities, {}});
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        if (!holeOf[i]) continue;
        Profile& region = result[*holeOf[i]];
        region.holes.push_back(std::move(outlines[i].points));
        region.entityIDs.insert(outlines[i].entities.begin(), outlines[i].entities.end());
    }
    std::erase_if(result, [](const Profile& region) { return region.area() <= kAreaTolerance; });
    return result;
}

}  // namespace brontile::Arrangement
