// Finding the closed sketch region under the pointer, for the tools that work on regions, with
// the regions of each sketch kept until the sketch changes.
#pragma once

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "document/cad_document.hpp"
#include "geometry/ray.hpp"
#include "interaction/scene_overlay.hpp"
#include "sketch/profile.hpp"

namespace brontile {

// The regions last found in each sketch, reused only for a sketch equal to the one they were
// found in: the hash is compared first, then the whole sketch, so a hash collision can never
// hand out another sketch's regions.
class ProfileCache {
public:
    [[nodiscard]] const std::vector<Profile>& profiles(const Sketch& sketch);
    // Forgets the sketches the document no longer has.
    void retainOnly(const CADDocument& document);

private:
    struct Entry {
        std::size_t hash = 0;
        Sketch sketch;
        std::vector<Profile> profiles;
    };
    std::unordered_map<Uuid, Entry> entries_;
};

namespace RegionFinder {

// The smallest closed region containing the ray's point on its sketch: visible sketches are
// tried in document order (the one `first` names before the others), and the first with any
// region under the ray decides; on equal areas the region found first wins.
[[nodiscard]] std::optional<Profile> regionUnder(const Ray& ray, const CADDocument& document,
                                                 const std::optional<Uuid>& first,
                                                 ProfileCache& cache);

// Draws the closed loop, in plane coordinates, into the overlay in the plane's space: the
// outline of a region or of an offset of it.
void addOutline(SceneOverlay& overlay, const SketchPlane& plane, std::span<const Vec2> loop,
                const RGBA& color);
// The region's outline and its holes'.
void addOutline(SceneOverlay& overlay, const Profile& region, const RGBA& color);

}  // namespace RegionFinder
}  // namespace brontile
