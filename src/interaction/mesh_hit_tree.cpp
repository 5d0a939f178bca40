// The bounding-volume tree behind SceneHitIndex: binned surface-area-heuristic build, boxes in
// outward-rounded single precision, and a nearest-first walk that gives the plain scan's answer,
// because both run the same hit formula and keep the same tie order.
#include "interaction/mesh_hit_tree.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "base/tolerances.hpp"

namespace brontile::MeshHitTree {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Möller–Trumbore tolerances: barycentric coordinates may overshoot [0, 1] by the parameter
// tolerance, so a ray through a shared edge hits both triangles.
constexpr double kDeterminantEpsilon = kCrossProductTolerance;
constexpr double kBarycentricLow = -kParameterTolerance;
constexpr double kBarycentricHigh = 1 + kParameterTolerance;
static_assert(kBarycentricHigh == 1.000000001);
constexpr double kMinimumHitDistance = kLengthTolerance;

// Padding that keeps every box conservative. A triangle's box grows by this fraction of its
// size and its coordinates' magnitude, and a query's boxes by this fraction of the ray origin's
// magnitude: many orders above the 1e-9 edge slack and the rounding of the hit formula, unless
// the ray runs within about 1e-9 rad of the triangle's plane, where that formula gives noise.
constexpr double kRelativePad = 1e-6;
// Direction components below this are treated as this, so a slab test never meets 0 · ∞.
constexpr double kTinyDirection = 1e-200;
// Split candidates per axis, and the depth at which a node becomes a leaf whatever it holds (the
// traversal stack is sized by it).
constexpr std::size_t kBins = 16;
constexpr std::uint32_t kMaxDepth = 60;
// Leaves hold at most this many triangles unless their centroids cannot be split.
constexpr std::uint32_t kMaxLeafSize = 8;
constexpr std::uint32_t kMinSplitSize = 3;
// Cost of visiting a node relative to one triangle test.
constexpr double kTraversalCost = 1.0;

using Triple = RayQuery::Triple;

Triple components(const Vec3& v) { return {v.x, v.y, v.z}; }

// Möller–Trumbore against either winding, the one formula every path shares so that the tree and
// the scan compute bit-identical parameters. NaN anywhere fails a comparison and so never hits;
// so does a parameter that overflowed.
std::optional<double> triangleHit(const Vec3& o, const Vec3& d, const Vec3& a, const Vec3& b,
                                  const Vec3& c) {
    const Vec3 e1 = b - a;
    const Vec3 e2 = c - a;
    const Vec3 p = d.cross(e2);
    const double det = e1.dot(p);
    if (!(std::abs(det) > kDeterminantEpsilon)) return std::nullopt;
    const double inv = 1 / det;
    const Vec3 s = o - a;
    const double u = inv * s.dot(p);
    if (!(u >= kBarycentricLow && u <= kBarycentricHigh)) return std::nullopt;
    const Vec3 q = s.cross(e1);
    const double v = inv * d.dot(q);
    if (!(v >= kBarycentricLow && u + v <= kBarycentricHigh)) return std::nullopt;
    const double t = inv * e2.dot(q);
    if (!(t > kMinimumHitDistance && t < kInfinity)) return std::nullopt;
    return t;
}

const Vec3& at(const std::vector<Vec3>& vertices, VertexIndex index) {
    return vertices[static_cast<std::size_t>(index)];
}

struct Box {
    Triple lo{kInfinity, kInfinity, kInfinity};
    Triple hi{-kInfinity, -kInfinity, -kInfinity};

    void grow(const Triple& p) {
        for (std::size_t i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    }
    void grow(const Box& b) {
        grow(b.lo);
        grow(b.hi);
    }
    // Half the surface area; 0 for an empty box.
    [[nodiscard]] double halfArea() const {
        const double dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
        return dx < 0 ? 0 : dx * dy + dy * dz + dz * dx;
    }
};

// The largest float not above x, clamped to the float range.
float floatBelow(double x) {
    if (x > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
    if (x < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    const float f = static_cast<float>(x);
    return static_cast<double>(f) > x ? std::nextafter(f, -std::numeric_limits<float>::infinity())
                                      : f;
}

float floatAbove(double x) { return -floatBelow(-x); }

}  // namespace

// Boxes in single precision rounded outwards: half the memory traffic of the traversal, still
// conservative.
struct TreeNode {
    std::array<std::array<float, 3>, 2> bounds;  // [0] = low corner, [1] = high corner
    // A leaf's first triangle, or an inner node's first child (the second follows it).
    std::uint32_t first = 0;
    // Triangles in a leaf; 0 for an inner node.
    std::uint32_t count = 0;

    void setBox(const Box& box) {
        for (std::size_t i = 0; i < 3; ++i) {
            bounds[0][i] = floatBelow(box.lo[i]);
            bounds[1][i] = floatAbove(box.hi[i]);
        }
    }
};

struct TreeTriangle {
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint32_t face = 0;
    std::uint32_t order = 0;  // position in the mesh's scan order
};

namespace {

struct BuildItem {
    Box box;
    Triple centroid{};
    std::uint32_t triangle = 0;
};

// The triangle's box grown by its padding; nothing when a corner is not finite (the hit formula
// can never accept such a triangle).
std::optional<BuildItem> buildItem(const std::array<Triple, 3>& corners, std::uint32_t triangle) {
    BuildItem item{{}, {}, triangle};
    double scale = 0;
    for (const Triple& p : corners) {
        if (!(std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]))) return {};
        item.box.grow(p);
        scale = std::max({scale, std::abs(p[0]), std::abs(p[1]), std::abs(p[2])});
    }
    for (std::size_t i = 0; i < 3; ++i) scale = std::max(scale, item.box.hi[i] - item.box.lo[i]);
    for (std::size_t i = 0; i < 3; ++i) {
        item.box.lo[i] -= kRelativePad * scale;
        item.box.hi[i] += kRelativePad * scale;
        item.centroid[i] = (item.box.lo[i] + item.box.hi[i]) / 2;
    }
    return item;
}

// Items [begin, end) with the box around their boxes and the box around their centroids.
struct BuildRange {
    std::uint32_t begin = 0, end = 0;
    Box box;
    Box centroids;
    std::uint32_t depth = 0;
};

// Items falling into one bin of a split candidate.
struct Bin {
    Box box;
    Box centroids;
    std::uint32_t count = 0;

    void add(const Bin& other) {
        box.grow(other.box);
        centroids.grow(other.centroids);
        count += other.count;
    }
    void add(const BuildItem& item) {
        box.grow(item.box);
        centroids.grow(item.centroid);
        ++count;
    }
};

// Equal-width bins over the centroids' longest extent.
struct Binning {
    std::size_t axis = 0;
    double low = 0;
    double scale = 0;

    // Nothing when all centroids coincide: they cannot be told apart.
    static std::optional<Binning> along(const Box& centroids) {
        std::size_t axis = 0;
        const auto extent = [&](std::size_t i) { return centroids.hi[i] - centroids.lo[i]; };
        for (std::size_t i = 1; i < 3; ++i) {
            if (extent(i) > extent(axis)) axis = i;
        }
        if (!(extent(axis) > 0)) return std::nullopt;
        return Binning{axis, centroids.lo[axis], kBins / extent(axis)};
    }
    [[nodiscard]] std::size_t of(const BuildItem& item) const {
        const auto bin = static_cast<std::size_t>((item.centroid[axis] - low) * scale);
        return std::min<std::size_t>(kBins - 1, bin);
    }
};

// Items of bins below `position` go left.
struct Cut {
    std::size_t position = 0;
    double cost = 0;  // area-weighted triangle count of both sides
    Bin left;
    Bin right;
};

// The cut between bins with the least surface-area cost leaving both sides non-empty.
std::optional<Cut> cheapestCut(const std::array<Bin, kBins>& bins) {
    std::array<Bin, kBins> rights;  // rights[k - 1]: bins k and above
    for (std::size_t k = kBins - 1; k > 0; --k) {
        rights[k - 1] = k + 1 < kBins ? rights[k] : Bin{};
        rights[k - 1].add(bins[k]);
    }
    std::optional<Cut> best;
    Bin left;
    for (std::size_t k = 1; k < kBins; ++k) {
        left.add(bins[k - 1]);
        const Bin& right = rights[k - 1];
        if (left.count == 0 || right.count == 0) continue;
        const double cost = left.box.halfArea() * left.count + right.box.halfArea() * right.count;
        if (!best || cost < best->cost) best = Cut{k, cost, left, right};
    }
    return best;
}

// Every triangle with finite corners, as a build item and its tree triangle at the same index.
void collect(const SolidMesh& mesh, std::vector<BuildItem>& items,
             std::vector<TreeTriangle>& triangles) {
    const auto& vertices = mesh.vertices();
    const auto& faces = mesh.faces();
    const auto narrow = [](auto i) { return static_cast<std::uint32_t>(i); };
    // At least one triangle per face is the common case.
    items.reserve(faces.size());
    triangles.reserve(faces.size());
    std::uint32_t order = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh.forEachTriangle(faces[f], [&](VertexIndex a, VertexIndex b, VertexIndex c) {
            const auto item = buildItem({components(at(vertices, a)), components(at(vertices, b)),
                                         components(at(vertices, c))},
                                        narrow(triangles.size()));
            if (item) {
                items.push_back(*item);
                triangles.push_back({narrow(a), narrow(b), narrow(c), narrow(f), order});
            }
            ++order;
        });
    }
}

// Splits the range into two non-empty halves (reordering its items), or nothing for a leaf.
std::optional<std::pair<BuildRange, BuildRange>> split(std::vector<BuildItem>& items,
                                                       const BuildRange& range) {
    const std::uint32_t count = range.end - range.begin;
    if (count < kMinSplitSize) return std::nullopt;
    const auto binning = Binning::along(range.centroids);
    if (!binning) return std::nullopt;
    std::array<Bin, kBins> bins;
    for (std::uint32_t i = range.begin; i < range.end; ++i) {
        bins[binning->of(items[i])].add(items[i]);
    }
    const auto cut = cheapestCut(bins);
    if (!cut) return std::nullopt;
    const double area = range.box.halfArea();
    if (count <= kMaxLeafSize && kTraversalCost * area + cut->cost >= count * area) {
        return std::nullopt;
    }
    const auto middle =
        std::partition(items.begin() + range.begin, items.begin() + range.end,
                       [&](const BuildItem& item) { return binning->of(item) < cut->position; });
    const auto m = static_cast<std::uint32_t>(middle - items.begin());
    const std::uint32_t depth = range.depth + 1;
    return std::pair{BuildRange{range.begin, m, cut->left.box, cut->left.centroids, depth},
                     BuildRange{m, range.end, cut->right.box, cut->right.centroids, depth}};
}

// Fills `nodes` with the tree over `items`, reordering them so that every leaf holds a run.
void build(std::vector<BuildItem>& items, std::vector<TreeNode>& nodes) {
    BuildRange root{0, static_cast<std::uint32_t>(items.size()), {}, {}, 0};
    for (const BuildItem& item : items) {
        root.box.grow(item.box);
        root.centroids.grow(item.centroid);
    }
    // Pending ranges with the node each one fills; children of a node are adjacent.
    std::vector<std::pair<std::uint32_t, BuildRange>> pending{{0, root}};
    nodes.reserve(items.size());
    nodes.emplace_back();
    while (!pending.empty()) {
        const auto [node, range] = pending.back();
        pending.pop_back();
        nodes[node].setBox(range.box);
        const auto halves = range.depth < kMaxDepth ? split(items, range) : std::nullopt;
        if (!halves) {
            nodes[node].first = range.begin;
            nodes[node].count = range.end - range.begin;
            continue;
        }
        const auto child = static_cast<std::uint32_t>(nodes.size());
        nodes[node].first = child;
        nodes.resize(nodes.size() + 2);
        pending.emplace_back(child, halves->first);
        pending.emplace_back(child + 1, halves->second);
    }
}

}  // namespace

void scanMesh(const Ray& ray, const SolidMesh& mesh, FaceBest& best) {
    const auto& vertices = mesh.vertices();
    const auto& faces = mesh.faces();
    std::int64_t order = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh.forEachTriangle(faces[f], [&](VertexIndex a, VertexIndex b, VertexIndex c) {
            const auto t = triangleHit(ray.origin, ray.direction, at(vertices, a), at(vertices, b),
                                       at(vertices, c));
            if (t) best.offer(*t, order, f);
            ++order;
        });
    }
}

RayQuery::RayQuery(const Ray& r) : ray(r) {
    const Triple o = components(r.origin);
    const Triple d = components(r.direction);
    const double pad = kRelativePad * std::max({std::abs(o[0]), std::abs(o[1]), std::abs(o[2])});
    for (std::size_t i = 0; i < 3; ++i) {
        const double di = std::abs(d[i]) < kTinyDirection ? kTinyDirection : d[i];
        inverse[i] = 1 / di;
        const bool negative = inverse[i] < 0;
        nearSide[i] = negative ? 1 : 0;
        nearOrigin[i] = negative ? o[i] - pad : o[i] + pad;
        farOrigin[i] = negative ? o[i] + pad : o[i] - pad;
    }
}

double RayQuery::entry(const TreeNode& node) const {
    double tmin = 0;
    double tmax = kInfinity;
    for (std::size_t i = 0; i < 3; ++i) {
        const double t0 = (node.bounds[nearSide[i]][i] - nearOrigin[i]) * inverse[i];
        const double t1 = (node.bounds[1 - nearSide[i]][i] - farOrigin[i]) * inverse[i];
        tmin = t0 > tmin ? t0 : tmin;
        tmax = t1 < tmax ? t1 : tmax;
    }
    return tmin <= tmax ? tmin : kInfinity;
}

Tree::Tree(const SolidMesh& mesh) {
    constexpr std::size_t kIndexLimit = std::numeric_limits<std::int32_t>::max();
    scanOnly_ = mesh.vertices().size() > kIndexLimit || mesh.faces().size() > kIndexLimit;
    std::vector<BuildItem> items;
    if (!scanOnly_) collect(mesh, items, triangles_);
    scanOnly_ = scanOnly_ || items.size() > kIndexLimit;
    if (scanOnly_ || items.empty()) return;
    build(items, nodes_);
    std::vector<TreeTriangle> ordered;
    ordered.reserve(items.size());
    for (const BuildItem& item : items) ordered.push_back(triangles_[item.triangle]);
    triangles_ = std::move(ordered);
}

Tree::~Tree() = default;

void Tree::nearest(const RayQuery& query, const SolidMesh& mesh, FaceBest& best) const {
    if (scanOnly_) {
        scanMesh(query.ray, mesh, best);
        return;
    }
    if (nodes_.empty()) return;
    struct Pending {
        std::uint32_t node = 0;
        double entry = kInfinity;
    };
    // Every inner node on the way down leaves at most one sibling waiting.
    std::array<Pending, kMaxDepth + 1> waiting;
    std::size_t waitingCount = 0;
    Pending current{0, query.entry(nodes_[0])};
    while (true) {
        if (current.entry < kInfinity && current.entry <= best.t) {
            const TreeNode& node = nodes_[current.node];
            if (node.count > 0) {
                testLeaf(node, query, mesh.vertices(), best);
            } else {
                Pending nearer{node.first, query.entry(nodes_[node.first])};
                Pending farther{node.first + 1, query.entry(nodes_[node.first + 1])};
                if (farther.entry < nearer.entry) std::swap(nearer, farther);
                waiting[waitingCount++] = farther;
                current = nearer;
                continue;
            }
        }
        if (waitingCount == 0) return;
        current = waiting[--waitingCount];
    }
}

void Tree::testLeaf(const TreeNode& leaf, const RayQuery& query, const std::vector<Vec3>& vertices,
                    FaceBest& best) const {
    for (std::uint32_t k = leaf.first; k < leaf.first + leaf.count; ++k) {
        const TreeTriangle& tri = triangles_[k];
        const auto t = triangleHit(query.ray.origin, query.ray.direction, vertices[tri.a],
                                   vertices[tri.b], vertices[tri.c]);
        if (t) best.offer(*t, tri.order, tri.face);
    }
}

}  // namespace brontile::MeshHitTree
