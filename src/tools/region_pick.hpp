// The regions a region tool works on: one clicked region, or several of one sketch gathered with
// Shift, taken together as the regions they make when united.
#pragma once

#include <vector>

#include "interaction/scene_overlay.hpp"
#include "sketch/profile.hpp"

namespace brontile {

class RegionPick {
public:
    [[nodiscard]] bool empty() const { return picked_.empty(); }
    // A click on the region: it alone is picked; with `extend` it is added, or taken out again,
    // when it lies in the sketch already picked (a region of another sketch starts afresh).
    void pick(const Profile& region, bool extend);
    void clear();

    [[nodiscard]] const std::vector<Profile>& picked() const { return picked_; }
    // The picked regions united: where two share a boundary it is gone.
    [[nodiscard]] const std::vector<Profile>& united() const { return united_; }
    [[nodiscard]] const SketchPlane& plane() const { return picked_.front().plane; }
    // The area centroid of everything picked, in model space.
    [[nodiscard]] Vec3 centroid() const;
    // Every loop of the united regions, holes too, as closed outlines.
    void addOutlines(SceneOverlay& overlay, const RGBA& color) const;

private:
    std::vector<Profile> picked_;
    std::vector<Profile> united_;
};

}  // namespace brontile
