#include "interaction/selection.hpp"

#include "base/identified.hpp"
#include "document/cad_document.hpp"

namespace brontile {

std::unordered_set<BodyID> Selection::involvedBodies() const {
    std::unordered_set<BodyID> result = bodies;
    for (const FaceRef& face : faces) result.insert(face.body);
    return result;
}

std::unordered_set<SketchEntityID> Selection::sketchEntityIDs(const Uuid& sketch) const {
    std::unordered_set<SketchEntityID> ids;
    for (const SketchEntityRef& ref : sketchEntities) {
        if (ref.sketch == sketch) ids.insert(ref.entity);
    }
    for (const SketchPointRef& ref : sketchPoints) {
        if (ref.sketch == sketch) ids.insert(ref.entity);
    }
    return ids;
}

std::optional<Uuid> Selection::anySketchOfGeometry() const {
    if (!sketchEntities.empty()) return sketchEntities.begin()->sketch;
    if (!sketchPoints.empty()) return sketchPoints.begin()->sketch;
    return std::nullopt;
}

std::optional<SketchEntityRef> pickedEntity(const HitTarget& target) {
    if (const auto* entity = std::get_if<SketchEntityRef>(&target)) return *entity;
    if (const auto* point = std::get_if<SketchPointRef>(&target)) return point->entityRef();
    return std::nullopt;
}

// Lookups by position, so that pruning never copies a body or a sketch.
void Selection::prune(const CADDocument& document) {
    const auto sketchAt = [&](const Uuid& id) -> const Sketch* {
        const auto index = document.sketchIndex(id);
        return index ? &document.sketches[*index] : nullptr;
    };
    std::erase_if(bodies, [&](const BodyID& id) { return !document.bodyIndex(id); });
    std::erase_if(faces, [&](const FaceRef& ref) {
        const auto index = document.bodyIndex(ref.body);
        return !index || !document.bodies[*index].mesh.faceIndex(ref.face);
    });
    std::erase_if(sketchEntities, [&](const SketchEntityRef& ref) {
        const Sketch* sketch = sketchAt(ref.sketch);
        return sketch == nullptr || !indexOfId(sketch->entities, ref.entity);
    });
    std::erase_if(sketchPoints, [&](const SketchPointRef& ref) {
        const Sketch* sketch = sketchAt(ref.sketch);
        const auto index = sketch ? indexOfId(sketch->entities, ref.entity) : std::nullopt;
        return !index || !sketch->entities[*index].point(ref.role);
    });
    std::erase_if(constraints, [&](const SketchConstraintSel& ref) {
        const Sketch* sketch = sketchAt(ref.sketch);
        return sketch == nullptr || !indexOfId(sketch->constraints, ref.constraint);
    });
}

}  // namespace brontile
