#include "tools/region_pick.hpp"

#include <algorithm>

#include "sketch/region_union.hpp"
#include "tools/region_finder.hpp"

namespace brontile {

void RegionPick::pick(const Profile& region, bool extend) {
    const bool sameSketch = !picked_.empty() && picked_.front().sketchID == region.sketchID;
    if (!extend || !sameSketch) {
        picked_ = {region};
    } else if (const auto it = std::ranges::find(picked_, region); it != picked_.end()) {
        picked_.erase(it);
    } else {
        picked_.push_back(region);
    }
    united_ = unitedRegions(picked_);
}

void RegionPick::clear() {
    picked_.clear();
    united_.clear();
}

Vec3 RegionPick::centroid() const {
    double total = 0;
    Vec2 weighted;
    for (const Profile& region : united_) {
        const double area = region.area();
        total += area;
        weighted += region.centroid2D() * area;
    }
    if (!(total > 0)) return plane().toWorld(picked_.front().centroid2D());
    return plane().toWorld(weighted / total);
}

void RegionPick::addOutlines(SceneOverlay& overlay, const RGBA& color) const {
    for (const Profile& region : united_) RegionFinder::addOutline(overlay, region, color);
}

}  // namespace brontile
