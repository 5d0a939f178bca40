// The plain picking scan, the sketch tests, and the per-mesh bounding-volume trees behind
// SceneHitIndex, which reproduce the scan's answer: same hit formula, same tie order.
#include "interaction/scene_hit_tester.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <vector>

#include "base/hashing.hpp"
#include "interaction/constraint_glyph.hpp"

namespace brontile {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Möller–Trumbore tolerances.
constexpr double kDeterminantEpsilon = 1e-12;
constexpr double kBarycentricLow = -1e-9;
constexpr double kBarycentricHigh = 1.000000001;
constexpr double kMinimumHitDistance = 1e-9;
// Below this |n · d| a ray counts as parallel to a sketch plane.
constexpr double kParallelEpsilon = 1e-9;

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

// The best face hit so far. `order` is the triangle's position in its mesh's scan order; −1 stands
// for a hit held by an earlier body, which a tie can never take away.
struct FaceBest {
    double t = kInfinity;
    std::int64_t order = -1;
    std::size_t face = 0;
    bool foundInMesh = false;

    // Equal parameters go to the earlier triangle, as in a scan that only replaces on "<".
    void offer(double hitT, std::int64_t hitOrder, std::size_t hitFace) {
        if (hitT < t || (hitT == t && hitOrder < order)) {
            t = hitT;
            order = hitOrder;
            face = hitFace;
            foundInMesh = true;
        }
    }
};

// Every triangle of the mesh in scan order.
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

// Visits the visible bodies in order; `nearest` lowers `best` within one mesh. Returns the face
// hit with the least parameter, ties to the earlier body.
template <class Nearest>
std::optional<HitResult> nearestFaceOver(const Ray& ray, const CADDocument& document,
                                         Nearest&& nearest) {
    FaceBest best;
    std::optional<FaceRef> face;
    for (const Body& body : document.bodies) {
        if (!body.isVisible) continue;
        best.order = -1;
        best.foundInMesh = false;
        const SolidMesh& mesh = nearest(body.mesh, best);
        if (best.foundInMesh) face = FaceRef{body.id, mesh.faces()[best.face].id};
    }
    if (!face) return std::nullopt;
    return HitResult{*face, ray.point(best.t), best.t};
}

// ---- Sketches ----------------------------------------------------------------------------------

void offer(std::optional<HitResult>& best, HitTarget target, const Vec3& point, double distance) {
    if (!best || distance < best->distance) best = HitResult{std::move(target), point, distance};
}

// Entities within `tolerance` of where the ray meets the plane, then the constraint glyphs.
void pickSketch(const Ray& ray, const Sketch& sketch, double tolerance, bool active,
                std::optional<HitResult>& best) {
    const SketchPlane& plane = sketch.plane;
    const Vec3 n = plane.normal();
    const double denominator = n.dot(ray.direction);
    if (!(std::abs(denominator) > kParallelEpsilon)) return;
    const double t = n.dot(plane.origin - ray.origin) / denominator;
    if (!(t > 0)) return;
    const Vec3 point = ray.point(t);
    const Vec2 local = plane.toLocal(point);
    // Biases that let sketch geometry lying on a face win over the face.
    const double entityDistance = t - (active ? 3 : 2) * tolerance;
    for (const SketchEntity& entity : sketch.entities) {
        if (!(entity.distance(local) <= tolerance)) continue;
        offer(best, SketchEntityRef{sketch.id, entity.id}, point, entityDistance);
    }
    if (sketch.constraints.empty()) return;
    const double glyphDistance = t - 3 * tolerance;
    for (const ConstraintGlyph& glyph : constraintGlyphs(sketch, {}, tolerance)) {
        if (!glyph.hitTest(local, tolerance)) continue;
        offer(best, SketchConstraintSel{sketch.id, glyph.id}, point, glyphDistance);
    }
}

void pickSketches(const Ray& ray, const CADDocument& document, double tolerance,
                  const std::optional<Uuid>& activeSketchID, std::optional<HitResult>& best) {
    for (const Sketch& sketch : document.sketches) {
        if (!sketch.isVisible) continue;
        pickSketch(ray, sketch, tolerance, activeSketchID == sketch.id, best);
    }
}

// ---- Bounding-volume tree ----------------------------------------------------------------------

using Triple = std::array<double, 3>;

Triple components(const Vec3& v) { return {v.x, v.y, v.z}; }

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

// A ray prepared for slab tests against boxes grown by the query's padding.
struct RayQuery {
    Ray ray;
    Triple inverse{};
    Triple nearOrigin{};  // origin shifted so the entering planes sit `pad` further out
    Triple farOrigin{};
    std::array<std::size_t, 3> nearSide{};  // which corner's plane the ray enters through

    explicit RayQuery(const Ray& r) : ray(r) {
        const Triple o = components(r.origin);
        const Triple d = components(r.direction);
        const double pad =
            kRelativePad * std::max({std::abs(o[0]), std::abs(o[1]), std::abs(o[2])});
        for (std::size_t i = 0; i < 3; ++i) {
            const double di = std::abs(d[i]) < kTinyDirection ? kTinyDirection : d[i];
            inverse[i] = 1 / di;
            const bool negative = inverse[i] < 0;
            nearSide[i] = negative ? 1 : 0;
            nearOrigin[i] = negative ? o[i] - pad : o[i] + pad;
            farOrigin[i] = negative ? o[i] + pad : o[i] - pad;
        }
    }

    // Where the ray enters the padded box (0 when it starts inside), or infinity when it misses
    // it or the box lies behind.
    [[nodiscard]] double entry(const TreeNode& node) const {
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
};

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

// One mesh's triangles in a binned surface-area-heuristic tree, built once and then only read.
class MeshTree {
public:
    explicit MeshTree(const SolidMesh& mesh);
    // Offers `best` every hit in the mesh that could beat it, visiting each box the ray enters at
    // or before best.t, so that a tie with an earlier triangle is found too.
    void nearest(const RayQuery& query, const SolidMesh& mesh, FaceBest& best) const;

private:
    void collect(const SolidMesh& mesh, std::vector<BuildItem>& items);
    void build(std::vector<BuildItem>& items);
    // Splits the range into two non-empty halves (reordering its items), or nothing for a leaf.
    static std::optional<std::pair<BuildRange, BuildRange>> split(std::vector<BuildItem>& items,
                                                                  const BuildRange& range);
    void testLeaf(const TreeNode& leaf, const RayQuery& query, const std::vector<Vec3>& vertices,
                  FaceBest& best) const;

    std::vector<TreeNode> nodes_;
    std::vector<TreeTriangle> triangles_;
    // Meshes beyond 32-bit indices (far beyond memory in practice) are scanned instead.
    bool scanOnly_ = false;
};

MeshTree::MeshTree(const SolidMesh& mesh) {
    constexpr std::size_t kIndexLimit = std::numeric_limits<std::int32_t>::max();
    scanOnly_ = mesh.vertices().size() > kIndexLimit || mesh.faces().size() > kIndexLimit;
    std::vector<BuildItem> items;
    if (!scanOnly_) collect(mesh, items);
    scanOnly_ = scanOnly_ || items.size() > kIndexLimit;
    if (scanOnly_ || items.empty()) return;
    build(items);
    std::vector<TreeTriangle> ordered;
    ordered.reserve(items.size());
    for (const BuildItem& item : items) ordered.push_back(triangles_[item.triangle]);
    triangles_ = std::move(ordered);
}

void MeshTree::collect(const SolidMesh& mesh, std::vector<BuildItem>& items) {
    const auto& vertices = mesh.vertices();
    const auto& faces = mesh.faces();
    const auto narrow = [](auto i) { return static_cast<std::uint32_t>(i); };
    // At least one triangle per face is the common case.
    items.reserve(faces.size());
    triangles_.reserve(faces.size());
    std::uint32_t order = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh.forEachTriangle(faces[f], [&](VertexIndex a, VertexIndex b, VertexIndex c) {
            const auto item = buildItem({components(at(vertices, a)), components(at(vertices, b)),
                                         components(at(vertices, c))},
                                        narrow(triangles_.size()));
            if (item) {
                items.push_back(*item);
                triangles_.push_back({narrow(a), narrow(b), narrow(c), narrow(f), order});
            }
            ++order;
        });
    }
}

void MeshTree::build(std::vector<BuildItem>& items) {
    BuildRange root{0, static_cast<std::uint32_t>(items.size()), {}, {}, 0};
    for (const BuildItem& item : items) {
        root.box.grow(item.box);
        root.centroids.grow(item.centroid);
    }
    // Pending ranges with the node each one fills; children of a node are adjacent.
    std::vector<std::pair<std::uint32_t, BuildRange>> pending{{0, root}};
    nodes_.reserve(items.size());
    nodes_.emplace_back();
    while (!pending.empty()) {
        const auto [node, range] = pending.back();
        pending.pop_back();
        nodes_[node].setBox(range.box);
        const auto halves = range.depth < kMaxDepth ? split(items, range) : std::nullopt;
        if (!halves) {
            nodes_[node].first = range.begin;
            nodes_[node].count = range.end - range.begin;
            continue;
        }
        const auto child = static_cast<std::uint32_t>(nodes_.size());
        nodes_[node].first = child;
        nodes_.resize(nodes_.size() + 2);
        pending.emplace_back(child, halves->first);
        pending.emplace_back(child + 1, halves->second);
    }
}

std::optional<std::pair<BuildRange, BuildRange>> MeshTree::split(std::vector<BuildItem>& items,
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

void MeshTree::nearest(const RayQuery& query, const SolidMesh& mesh, FaceBest& best) const {
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

void MeshTree::testLeaf(const TreeNode& leaf, const RayQuery& query,
                        const std::vector<Vec3>& vertices, FaceBest& best) const {
    for (std::uint32_t k = leaf.first; k < leaf.first + leaf.count; ++k) {
        const TreeTriangle& tri = triangles_[k];
        const auto t = triangleHit(query.ray.origin, query.ray.direction, vertices[tri.a],
                                   vertices[tri.b], vertices[tri.c]);
        if (t) best.offer(*t, tri.order, tri.face);
    }
}

}  // namespace

// ---- SceneHitIndex -----------------------------------------------------------------------------

struct SceneHitIndex::Entry {
    explicit Entry(const SolidMesh& m) : mesh(m), tree(m) {}

    // Keeps the storage, and so the key, alive.
    SolidMesh mesh;
    MeshTree tree;
    std::uint64_t lastUse = 0;
};

std::size_t SceneHitIndex::KeyHash::operator()(const Key& key) const noexcept {
    return hashFields(key.first, key.second);
}

SceneHitIndex::SceneHitIndex() = default;
SceneHitIndex::~SceneHitIndex() = default;
SceneHitIndex::SceneHitIndex(SceneHitIndex&&) noexcept = default;
SceneHitIndex& SceneHitIndex::operator=(SceneHitIndex&&) noexcept = default;

std::optional<HitResult> SceneHitIndex::nearestFace(const Ray& ray, const CADDocument& document) {
    // The hit formula rejects every triangle for such a ray; no need to walk every box to see it.
    if (!ray.origin.isFinite() || !ray.direction.isFinite()) return std::nullopt;
    ++generation_;
    const RayQuery query(ray);
    std::size_t used = 0;
    auto result = nearestFaceOver(ray, document,
                                  [&](const SolidMesh& mesh, FaceBest& best) -> const SolidMesh& {
                                      Entry& entry = entryFor(mesh);
                                      if (entry.lastUse != generation_) {
                                          entry.lastUse = generation_;
                                          ++used;
                                      }
                                      entry.tree.nearest(query, entry.mesh, best);
                                      return entry.mesh;
                                  });
    sweepStale(used);
    return result;
}

void SceneHitIndex::retainOnly(const CADDocument& document) {
    std::unordered_set<Key, KeyHash> live;
    for (const Body& body : document.bodies) live.insert(body.mesh.storageIdentity());
    std::erase_if(entries_, [&](const auto& entry) { return !live.contains(entry.first); });
}

SceneHitIndex::Entry& SceneHitIndex::entryFor(const SolidMesh& mesh) {
    const Key key = mesh.storageIdentity();
    if (const auto it = entries_.find(key); it != entries_.end()) return *it->second;
    auto entry = std::make_unique<Entry>(mesh);
    return *entries_.emplace(key, std::move(entry)).first->second;
}

void SceneHitIndex::sweepStale(std::size_t usedCount) {
    if (entries_.size() <= usedCount) return;
    std::erase_if(entries_,
                  [&](const auto& entry) { return entry.second->lastUse != generation_; });
}

// ---- SceneHitTester ----------------------------------------------------------------------------

namespace SceneHitTester {

std::optional<HitResult> hit(const Ray& ray, const CADDocument& document, double sketchTolerance,
                             std::optional<Uuid> activeSketchID) {
    auto best = nearestFaceOver(ray, document,
                                [&](const SolidMesh& mesh, FaceBest& faceBest) -> const SolidMesh& {
                                    scanMesh(ray, mesh, faceBest);
                                    return mesh;
                                });
    pickSketches(ray, document, sketchTolerance, activeSketchID, best);
    return best;
}

std::optional<HitResult> hit(const Ray& ray, const CADDocument& document, double sketchTolerance,
                             std::optional<Uuid> activeSketchID, SceneHitIndex& index) {
    auto best = index.nearestFace(ray, document);
    pickSketches(ray, document, sketchTolerance, activeSketchID, best);
    return best;
}

}  // namespace SceneHitTester

}  // namespace brontile
