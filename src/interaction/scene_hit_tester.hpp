// Picking: which face, sketch entity or constraint glyph lies under the pointer's ray. The
// optional index keeps one bounding-volume tree per mesh so that a pick over a large model costs
// microseconds, with the answer of the plain scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "base/uuid.hpp"
#include "document/cad_document.hpp"
#include "geometry/ray.hpp"
#include "geometry/solid_mesh.hpp"
#include "interaction/selection.hpp"

namespace brontile {

// Picking trees for the meshes of the bodies picked through it, owned by the caller (one per
// viewport). Entries are keyed by mesh storage and hold a copy of their mesh, so an edited body
// simply gets a new entry on the next pick, and each pick drops the entries it did not use
// (edited-away meshes, hidden bodies). Not thread-safe; cheap to keep, costly to rebuild.
namespace MeshHitTree {
struct BuildBuffers;
}

class SceneHitIndex {
public:
    SceneHitIndex();
    ~SceneHitIndex();
    SceneHitIndex(SceneHitIndex&&) noexcept;
    SceneHitIndex& operator=(SceneHitIndex&&) noexcept;
    SceneHitIndex(const SceneHitIndex&) = delete;
    SceneHitIndex& operator=(const SceneHitIndex&) = delete;

    // The face hit the plain scan over the visible bodies returns, bit for bit: the least ray
    // parameter, ties going to the earlier body, face and triangle. The one exception is a ray
    // running within about 1e-9 rad of a triangle's plane, where the scan's verdict on that
    // triangle is rounding noise (a "hit" millimetres off it); the trees only see triangles the
    // ray really passes near. Builds the trees of meshes not seen yet and drops those of meshes
    // no visible body uses.
    [[nodiscard]] std::optional<HitResult> nearestFace(const Ray& ray, const CADDocument& document);
    // Drops the trees of meshes that no body of the document uses, visible or not.
    void retainOnly(const CADDocument& document);
    // How many meshes currently have a tree.
    [[nodiscard]] std::size_t meshCount() const { return entries_.size(); }

private:
    struct Entry;
    using Key = std::pair<const void*, const void*>;
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };

    Entry& entryFor(const SolidMesh& mesh);
    // Drops the entries this pick has not marked as used.
    void sweepStale(std::size_t usedCount);

    // Drops the entries the predicate picks, handing their trees' storage to the next build.
    template <class Drop>
    void dropEntries(Drop drop);

    std::unordered_map<Key, std::unique_ptr<Entry>, KeyHash> entries_;
    std::unique_ptr<MeshHitTree::BuildBuffers> buffers_;
    std::uint64_t generation_ = 0;
};

namespace SceneHitTester {

// How far on screen, in view points, a sketch point, curve or glyph may lie from the pointer and
// still be picked; the session turns it into world units at the camera target.
inline constexpr double kSketchPickPixels = 8;

// The one thing under the ray: faces of visible bodies by ray parameter, and the geometry and
// constraint glyphs of visible sketches within `sketchTolerance` (world units, also the bias unit)
// of where the ray meets their plane. Of one sketch's geometry, a point (an end of a line or an
// arc, the centre of a circle or an arc) wins over every curve; among points, and among curves,
// the nearest in the plane wins, the first in sketch order on a tie. That winner is drawn 2
// tolerances nearer (3 in the active sketch), glyphs 3, so that sketch geometry on a face wins
// over the face. Among equal distances the first found wins: bodies before sketches, each in
// document order, a sketch's geometry before its glyphs. Nothing when nothing is hit; non-finite
// input never hits.
[[nodiscard]] std::optional<HitResult> hit(const Ray& ray, const CADDocument& document,
                                           double sketchTolerance,
                                           std::optional<Uuid> activeSketchID);
// The same answer, with faces found through the index's trees.
[[nodiscard]] std::optional<HitResult> hit(const Ray& ray, const CADDocument& document,
                                           double sketchTolerance,
                                           std::optional<Uuid> activeSketchID,
                                           SceneHitIndex& index);

}  // namespace SceneHitTester

}  // namespace brontile
