// The bounding-volume tree behind SceneHitIndex: a build along a Morton curve, boxes in
// outward-rounded single precision, and a nearest-first walk that gives the plain scan's answer,
// because both run the same hit formula and keep the same tie order.
#include "interaction/mesh_hit_tree.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "base/tolerances.hpp"
#include "geometry/halved_tree.hpp"

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
// mesh's size and coordinates' magnitude, and a query's boxes by this fraction of the ray origin's
// magnitude: many orders above the 1e-9 edge slack and the rounding of the hit formula, unless
// the ray runs within about 1e-9 rad of the triangle's plane, where that formula gives noise.
constexpr double kRelativePad = 1e-6;
// Direction components below this are treated as this, so a slab test never meets 0 · ∞.
constexpr double kTinyDirection = 1e-200;
// Leaves hold at most this many triangles. Halving runs keeps the depth at log2(n / leaf size),
// far below the traversal stack's bound for any mesh that fits 32-bit indices.
constexpr std::uint32_t kMaxLeafSize = 4;
constexpr std::uint32_t kMaxDepth = 60;

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
};

// Rounding to float, made conservative by slack rather than by stepping: a box is first grown by
// `slack`, which exceeds any rounding error of its coordinates, then rounded to nearest. A tree of
// a million triangles converts six million coordinates, and the exact "largest float below"
// needs an unpredictable branch for each.
struct FloatRounding {
    // Slack for coordinates up to `scale` in magnitude: round-to-nearest moves a value by at most
    // 2^-24 of its magnitude, or by half the smallest subnormal below the normal range.
    explicit FloatRounding(double scale)
        : slack(0x1p-22 * scale + std::numeric_limits<float>::min()) {}

    // A float not above x, given x already lowered by the slack; below the float range, −∞.
    [[nodiscard]] static float lower(double x) {
        constexpr double kMax = std::numeric_limits<float>::max();
        return x < -kMax ? -std::numeric_limits<float>::infinity()
                         : static_cast<float>(std::min(x, kMax));
    }
    [[nodiscard]] static float upper(double x) { return -lower(-x); }

    double slack;
};

}  // namespace

// Boxes in single precision rounded outwards: half the memory traffic of the traversal, still
// conservative.
struct TreeNode {
    std::array<std::array<float, 3>, 2> bounds;  // [0] = low corner, [1] = high corner
    // A leaf's first triangle, or an inner node's first child (the second follows it).
    std::uint32_t first = 0;
    // Triangles in a leaf; 0 for an inner node.
    std::uint32_t count = 0;

    // Grows the box to hold the other one.
    void include(const std::array<std::array<float, 3>, 2>& other) {
        for (std::size_t i = 0; i < 3; ++i) {
            bounds[0][i] = std::min(bounds[0][i], other[0][i]);
            bounds[1][i] = std::max(bounds[1][i], other[1][i]);
        }
    }
};

// A triangle's padded box, rounded outwards to floats.
using FloatBox = std::array<std::array<float, 3>, 2>;

struct TreeTriangle {
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint32_t face = 0;
    std::uint32_t order = 0;  // position in the mesh's scan order
};

namespace {

// Sorts by key in two passes of a 15-bit radix sort over (key, position) pairs, read in order
// and written once each: a million triangles sort in a few milliseconds.
void sortByKey(std::vector<SortKey>& items, std::vector<SortKey>& scratch) {
    scratch.resize(items.size());
    std::array<std::uint32_t, 1U << 15> counts;
    for (const int shift : {0, 15}) {
        counts.fill(0U);
        for (const SortKey& k : items) ++counts[(k.key >> shift) & 0x7FFF];
        std::uint32_t total = 0;
        for (std::uint32_t& c : counts) total += std::exchange(c, total);
        for (const SortKey& k : items) scratch[counts[(k.key >> shift) & 0x7FFF]++] = k;
        items.swap(scratch);
    }
}

// The box around the finite vertices; empty (lo above hi) when no vertex is finite.
Box finiteBounds(const std::vector<Vec3>& vertices) {
    Box bounds;
    for (const Vec3& v : vertices) {
        if (v.isFinite()) bounds.grow(components(v));
    }
    return bounds;
}

// The size the padding scales with: the box's largest extent or coordinate magnitude, 0 for an
// empty box.
double paddingScale(const Box& bounds) {
    double scale = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (bounds.lo[i] > bounds.hi[i]) break;  // no finite vertex
        scale = std::max(
            {scale, std::abs(bounds.lo[i]), std::abs(bounds.hi[i]), bounds.hi[i] - bounds.lo[i]});
    }
    return scale;
}

template <class Index>
std::uint32_t narrow(Index i) {
    return static_cast<std::uint32_t>(i);
}

// Whether every loop of the face is a triangle whose corners index one of `count` vertices.
bool validTriangleLoops(const SolidFace& face, VertexIndex count) {
    return std::ranges::all_of(face.polygons, [&](const PolygonLoop& l) {
        return l.size() == 3 && l[0] >= 0 && l[1] >= 0 && l[2] >= 0 && l[0] < count &&
               l[1] < count && l[2] < count;
    });
}

// Appends offered triangles with finite corners to the build's lists, each with its padded box
// and its centre's Morton key. Every triangle offered takes the next scan-order number, kept or
// not, so the tree's tie order matches the plain scan's.
class TriangleCollector {
public:
    TriangleCollector(const std::vector<Vec3>& vertices, std::vector<TreeTriangle>& triangles,
                      std::vector<FloatBox>& boxes, std::vector<SortKey>& keys)
        : vertices_(vertices),
          bounds_(finiteBounds(vertices)),
          pad_(padFor(paddingScale(bounds_))),
          curve_({bounds_.lo[0], bounds_.lo[1], bounds_.lo[2]},
                 {bounds_.hi[0], bounds_.hi[1], bounds_.hi[2]}),
          triangles_(triangles),
          boxes_(boxes),
          keys_(keys) {}

    // Room for `expected` triangles in emptied lists. Storage handed back by earlier trees
    // usually has more; growing vectors this large would copy and fault them in again and again.
    void reset(std::size_t expected) {
        triangles_.clear();
        boxes_.clear();
        keys_.clear();
        triangles_.reserve(expected);
        boxes_.reserve(expected);
        keys_.reserve(expected);
    }

    void add(std::size_t f, VertexIndex a, VertexIndex b, VertexIndex c) {
        const Vec3& pa = at(vertices_, a);
        const Vec3& pb = at(vertices_, b);
        const Vec3& pc = at(vertices_, c);
        // Zero times a coordinate is zero unless the coordinate is infinite or NaN: one test
        // without a branch per coordinate.
        const Vec3 zeros = pa * 0.0 + pb * 0.0 + pc * 0.0;
        if (!(zeros.x + zeros.y + zeros.z == 0)) {
            ++order_;
            return;
        }
        addBox(pa, pb, pc);
        keys_.push_back({curve_.code((pa + pb + pc) / 3), narrow(triangles_.size())});
        triangles_.push_back({narrow(a), narrow(b), narrow(c), narrow(f), order_++});
    }

private:
    // The mesh's padding: kRelativePad of its scale, plus what rounding to float may take away.
    static double padFor(double scale) { return kRelativePad * scale + FloatRounding(scale).slack; }

    void addBox(const Vec3& pa, const Vec3& pb, const Vec3& pc) {
        FloatBox& box = boxes_.emplace_back();
        const Triple ta = components(pa), tb = components(pb), tc = components(pc);
        for (std::size_t i = 0; i < 3; ++i) {
            box[0][i] = FloatRounding::lower(std::min({ta[i], tb[i], tc[i]}) - pad_);
            box[1][i] = FloatRounding::upper(std::max({ta[i], tb[i], tc[i]}) + pad_);
        }
    }

    const std::vector<Vec3>& vertices_;
    Box bounds_;
    double pad_;
    MortonCurve curve_;
    std::vector<TreeTriangle>& triangles_;
    std::vector<FloatBox>& boxes_;
    std::vector<SortKey>& keys_;
    std::uint32_t order_ = 0;
};

// Every triangle with finite corners, in scan order, with its padded box and its centre's place
// on a Morton curve through the mesh's box. The padding is a fraction of the mesh's size and of
// its coordinates' magnitude, never less than any one of its triangles needs.
void collect(const SolidMesh& mesh, std::vector<TreeTriangle>& triangles,
             std::vector<FloatBox>& boxes, std::vector<SortKey>& keys) {
    const auto& faces = mesh.faces();
    TriangleCollector collector(mesh.vertices(), triangles, boxes, keys);
    collector.reset(faces.size() * 2);  // room for a mesh of triangle pairs
    const auto count = static_cast<VertexIndex>(mesh.vertices().size());
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const SolidFace& face = faces[f];
        // Triangle loops, the common case, are taken as they are, in the order the face's
        // triangulation gives them; any other face goes through that triangulation.
        if (validTriangleLoops(face, count)) {
            for (const PolygonLoop& l : face.polygons) collector.add(f, l[0], l[1], l[2]);
        } else {
            mesh.forEachTriangle(face, [&](VertexIndex a, VertexIndex b, VertexIndex c) {
                collector.add(f, a, b, c);
            });
        }
    }
}

}  // namespace

// Triangles in Morton order; every node halves its run, so each leaf holds a run of neighbours,
// and boxes are gathered from the leaves up.
void Tree::build(BuildBuffers& buffers) {
    sortByKey(buffers.keys, buffers.keyScratch);
    const std::vector<SortKey>& order = buffers.keys;
    const std::vector<FloatBox>& triangleBoxes = buffers.boxes;
    buffers.sorted.clear();
    buffers.sorted.reserve(triangles_.size());
    for (const SortKey& k : order) buffers.sorted.push_back(triangles_[k.index]);
    triangles_.swap(buffers.sorted);
    nodes_ = std::move(buffers.nodes);
    layOutHalvedTree(nodes_, static_cast<std::uint32_t>(triangles_.size()), kMaxLeafSize);
    for (std::size_t n = nodes_.size(); n-- > 0;) {
        TreeNode& node = nodes_[n];
        if (node.count > 0) {
            node.bounds = triangleBoxes[order[node.first].index];
            for (std::uint32_t i = node.first + 1; i < node.first + node.count; ++i) {
                node.include(triangleBoxes[order[i].index]);
            }
        } else {
            node.bounds = nodes_[node.first].bounds;
            node.include(nodes_[node.first + 1].bounds);
        }
    }
}

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

BuildBuffers::BuildBuffers() = default;
BuildBuffers::~BuildBuffers() = default;

Tree::Tree(const SolidMesh& mesh, BuildBuffers& buffers) {
    constexpr std::size_t kIndexLimit = std::numeric_limits<std::int32_t>::max();
    scanOnly_ = mesh.vertices().size() > kIndexLimit || mesh.faces().size() > kIndexLimit;
    if (scanOnly_) return;
    triangles_ = std::move(buffers.triangles);
    collect(mesh, triangles_, buffers.boxes, buffers.keys);
    scanOnly_ = triangles_.size() > kIndexLimit;
    if (scanOnly_ || triangles_.empty()) return;
    build(buffers);
}

void Tree::recycle(BuildBuffers& buffers) {
    // Keep the larger storage of each kind: the next build is most likely the same mesh edited.
    if (triangles_.capacity() > buffers.triangles.capacity()) buffers.triangles.swap(triangles_);
    if (nodes_.capacity() > buffers.nodes.capacity()) buffers.nodes.swap(nodes_);
    triangles_.clear();
    nodes_.clear();
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
