#include "domain/sketch.hpp"

#include <algorithm>

namespace brontile {

std::optional<SketchEntity> Sketch::entity(const SketchEntityID& entityID) const {
    const auto it = std::find_if(entities.begin(), entities.end(),
                                 [&](const SketchEntity& e) { return e.id == entityID; });
    if (it == entities.end()) return std::nullopt;
    return *it;
}

std::vector<Vec3> Sketch::worldPoints() const {
    std::vector<Vec3> points;
    for (const SketchEntity& e : entities) {
        for (const Vec2& p : e.polyline()) points.push_back(plane.toWorld(p));
    }
    return points;
}

}  // namespace brontile
