#include "domain/sketch.hpp"

#include "domain/identified.hpp"

namespace brontile {

std::optional<SketchEntity> Sketch::entity(const SketchEntityID& entityID) const {
    return elementWithId(entities, entityID);
}

std::vector<Vec3> Sketch::worldPoints() const {
    std::vector<Vec3> points;
    for (const SketchEntity& e : entities) {
        for (const Vec2& p : e.polyline()) points.push_back(plane.toWorld(p));
    }
    return points;
}

}  // namespace brontile
