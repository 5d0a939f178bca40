#include "tools/region_finder.hpp"

#include "geometry/triangulator.hpp"
#include "sketch/profile_finder.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
const std::vector<Profile>& ProfileCache::profiles(const Sketch& sketch) {
    const std::size_t hash = hashValue(sketch);
    const auto found = entries_.find(sketch.id);
    if (found != entries_.end() && found->second.hash == hash && found->second.sketch == sketch) {
        return found->second.profiles;
    }
    Entry& entry = entries_[sketch.id];
    entry = Entry{hash, sketch, ProfileFinder::profiles(sketch)};
    return entry.profiles;
}

void ProfileCache::retainOnly(const CADDocument& document) {
    std::erase_if(entries_, [&](const auto& entry) { return !document.sketchIndex(entry.first); });
}

namespace RegionFinder {

std::optional<Profile> regionUnder(const Ray& ray, const CADDocument& document,
                                   const std::optional<Uuid>& first, ProfileCache& cache) {
    std::vector<const Sketch*> order;
    for (const Sketch& sketch : document.sketches) {
        if (!sketch.isVisible) continue;
        if (first && sketch.id == *first) {
            order.insert(order.begin(), &sketch);
        } else {
            order.push_back(&sketch);
        }
    }
    cache.retainOnly(document);
    for (const Sketch* sketch : order) {
        const auto point = SketchSupport::pointOnPlane(ray, sketch->plane);
        if (!point) continue;
        const Profile* best = nullptr;
        for (const Profile& profile : cache.profiles(*sketch)) {
            if (!profile.contains(*point)) continue;
            if (best == nullptr || profile.area() < best->area()) best = &profile;
        }
        if (best != nullptr) return *best;
    }
    return std::nullopt;
}

void addOutline(SceneOverlay& overlay, const SketchPlane& plane, std::span<const Vec2> loop,
                const RGBA& color) {
    std::vector<Vec3> world;
    world.reserve(loop.size() + 1);
    for (const Vec2& p : loop) world.push_back(plane.toWorld(p));
    if (!world.empty()) world.push_back(world.front());
    overlay.addPolyline(world, color);
}

void addOutline(SceneOverlay& overlay, const Profile& region, const RGBA& color) {
    addOutline(overlay, region.plane, region.loop, color);
    for (const auto& hole : region.holes) addOutline(overlay, region.plane, hole, color);
}

}  // namespace RegionFinder
}  // namespace brontile
