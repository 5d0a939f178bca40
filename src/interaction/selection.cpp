#include "interaction/selection.hpp"

#include "base/identified.hpp"
#include "document/cad_document.hpp"

namespace brontile {

std::unordered_set<BodyID> Selection::involvedBodies() const {
    std::unordered_set<BodyID> result = bodies;
    for (const FaceRef& face : faces) result.insert(face.body);
    return result;
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
    std::erase_if(constraints, [&](const SketchConstraintSel& ref) {
        const Sketch* sketch = sketchAt(ref.sketch);
        return sketch == nullptr || !indexOfId(sketch->constraints, ref.constraint);
    });
}

}  // namespace brontile
