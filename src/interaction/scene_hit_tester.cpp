// The scene-level picking rules: which body's face, sketch entity or constraint glyph wins, the
// plain scan over every visible body, and SceneHitIndex, which keeps a tree per mesh and gives
// the scan's answer.
#include "interaction/scene_hit_tester.hpp"

#include <cmath>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/hashing.hpp"
#include "base/tolerances.hpp"
#include "interaction/constraint_glyph.hpp"
#include "interaction/mesh_hit_tree.hpp"

namespace brontile {
namespace {

using MeshHitTree::FaceBest;
using MeshHitTree::scanMesh;

// Below this |n · d| a ray counts as parallel to a sketch plane, as in Ray::intersectPlane.
constexpr double kParallelEpsilon = kParameterTolerance;

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

// The candidate of one kind nearest to the pointer within the tolerance; of equal distances the
// first offered stays.
template <class Ref>
struct Closest {
    std::optional<Ref> ref;
    double distance = 0;

    void offer(const Ref& candidate, double d, double tolerance) {
        if (!(d <= tolerance) || (ref && !(d < distance))) return;
        ref = candidate;
        distance = d;
    }
};

// What of the sketch's geometry the pointer means: a point within the tolerance before any curve,
// since a point sits on its curves and could never be reached otherwise; the nearest of either.
std::optional<HitTarget> nearestGeometry(const Sketch& sketch, const Vec2& local,
                                         double tolerance) {
    Closest<SketchPointRef> point;
    Closest<SketchEntityRef> curve;
    for (const SketchEntity& entity : sketch.entities) {
        for (const SketchParamRole role : entity.pointRoles()) {
            if (const auto at = entity.point(role)) {
                point.offer({sketch.id, entity.id, role}, at->distance(local), tolerance);
            }
        }
        // Once a point is close enough no curve can win.
        if (!point.ref) curve.offer({sketch.id, entity.id}, entity.distance(local), tolerance);
    }
    if (point.ref) return *point.ref;
    if (curve.ref) return *curve.ref;
    return std::nullopt;
}

// The sketch's point or curve nearest to where the ray meets the plane, then the constraint
// glyphs, all within `tolerance` of it.
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
    if (auto geometry = nearestGeometry(sketch, local, tolerance)) {
        offer(best, std::move(*geometry), point, t - (active ? 3 : 2) * tolerance);
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

}  // namespace

// ---- SceneHitIndex -----------------------------------------------------------------------------

struct SceneHitIndex::Entry {
    Entry(const SolidMesh& m, MeshHitTree::BuildBuffers& buffers) : mesh(m), tree(m, buffers) {}

    // Keeps the storage, and so the key, alive.
    SolidMesh mesh;
    MeshHitTree::Tree tree;
    std::uint64_t lastUse = 0;
};

std::size_t SceneHitIndex::KeyHash::operator()(const Key& key) const noexcept {
    return hashFields(key.first, key.second);
}

SceneHitIndex::SceneHitIndex() : buffers_(std::make_unique<MeshHitTree::BuildBuffers>()) {}
SceneHitIndex::~SceneHitIndex() = default;
SceneHitIndex::SceneHitIndex(SceneHitIndex&&) noexcept = default;
SceneHitIndex& SceneHitIndex::operator=(SceneHitIndex&&) noexcept = default;

std::optional<HitResult> SceneHitIndex::nearestFace(const Ray& ray, const CADDocument& document) {
    // The hit formula rejects every triangle for such a ray; no need to walk every box to see it.
    if (!ray.origin.isFinite() || !ray.direction.isFinite()) return std::nullopt;
    // Trees of meshes no visible body uses any more go first, so that the trees built below
    // reuse their storage: after an edit, the edited-away mesh's tree hands its memory to the
    // new mesh's.
    ++generation_;
    std::size_t used = 0;
    for (const Body& body : document.bodies) {
        if (!body.isVisible) continue;
        const auto it = entries_.find(body.mesh.storageIdentity());
        if (it != entries_.end() && it->second->lastUse != generation_) {
            it->second->lastUse = generation_;
            ++used;
        }
    }
    sweepStale(used);
    const MeshHitTree::RayQuery query(ray);
    return nearestFaceOver(ray, document,
                           [&](const SolidMesh& mesh, FaceBest& best) -> const SolidMesh& {
                               Entry& entry = entryFor(mesh);
                               entry.lastUse = generation_;
                               entry.tree.nearest(query, entry.mesh, best);
                               return entry.mesh;
                           });
}

void SceneHitIndex::retainOnly(const CADDocument& document) {
    std::unordered_set<Key, KeyHash> live;
    for (const Body& body : document.bodies) live.insert(body.mesh.storageIdentity());
    dropEntries([&](const auto& entry) { return !live.contains(entry.first); });
}

template <class Drop>
void SceneHitIndex::dropEntries(Drop drop) {
    std::erase_if(entries_, [&](const auto& entry) {
        if (!drop(entry)) return false;
        if (buffers_) entry.second->tree.recycle(*buffers_);
        return true;
    });
}

SceneHitIndex::Entry& SceneHitIndex::entryFor(const SolidMesh& mesh) {
    const Key key = mesh.storageIdentity();
    if (const auto it = entries_.find(key); it != entries_.end()) return *it->second;
    if (!buffers_) buffers_ = std::make_unique<MeshHitTree::BuildBuffers>();
    auto entry = std::make_unique<Entry>(mesh, *buffers_);
    return *entries_.emplace(key, std::move(entry)).first->second;
}

void SceneHitIndex::sweepStale(std::size_t usedCount) {
    if (entries_.size() <= usedCount) return;
    dropEntries([&](const auto& entry) { return entry.second->lastUse != generation_; });
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
