#include "session/storable_change.hpp"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <type_traits>
#include <variant>

#include "base/tolerances.hpp"

namespace brontile {
namespace {

// Whether every coordinate is finite and small enough for a finite volume. Checking the bound
// instead of computing the volume keeps a commit on a large body from triangulating it again.
bool storableMesh(const SolidMesh& mesh) {
    for (const Vec3& v : mesh.vertices()) {
        for (const double c : {v.x, v.y, v.z}) {
            if (!(std::abs(c) <= kMaxCoordinate)) return false;
        }
    }
    return true;
}

bool fits(std::initializer_list<double> values) {
    return std::ranges::all_of(values, [](double c) { return std::abs(c) <= kMaxCoordinate; });
}

bool storableEntity(const SketchEntity& entity) {
    return std::visit(
        [&](const auto& g) {
            using G = std::decay_t<decltype(g)>;
            if constexpr (std::is_same_v<G, SketchLine>) {
                return fits({g.start.x, g.start.y, g.end.x, g.end.y});
            } else if constexpr (std::is_same_v<G, SketchCircle>) {
                return fits({g.center.x, g.center.y, g.radius});
            } else {
                return fits({g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle});
            }
        },
        entity.geometry);
}

// Coordinates within the same bound as a body's; finite sizes, angles and constraint values.
bool storableSketch(const Sketch& sketch) {
    return std::ranges::all_of(sketch.entities, storableEntity) &&
           std::ranges::all_of(sketch.constraints, [](const SketchConstraint& c) {
               return !c.value || fits({*c.value});
           });
}

// The body as it was before the change, when it was there.
const Body* previous(const CADDocument& before, std::size_t index, const Body& body,
                     std::optional<Body>& moved) {
    // Most changes keep the bodies where they were; look further only for the others.
    if (index < before.bodies.size() && before.bodies[index].id == body.id) {
        return &before.bodies[index];
    }
    moved = before.body(body.id);
    return moved ? &*moved : nullptr;
}

}  // namespace

std::optional<std::string> whyUnstorable(const CADDocument& before, const CADDocument& after) {
    for (std::size_t i = 0; i < after.bodies.size(); ++i) {
        const Body& body = after.bodies[i];
        std::optional<Body> moved;
        const Body* old = previous(before, i, body, moved);
        if (old && old->mesh == body.mesh) continue;
        if (!storableMesh(body.mesh)) {
            return "the result has coordinates that are not finite numbers or lie impossibly "
                   "far out, so its volume is not a finite number";
        }
    }
    for (std::size_t i = 0; i < after.sketches.size(); ++i) {
        const Sketch& sketch = after.sketches[i];
        if (i < before.sketches.size() && before.sketches[i] == sketch) continue;
        if (!storableSketch(sketch)) {
            return "the sketch would hold numbers that are not finite or lie impossibly far out";
        }
    }
    return std::nullopt;
}

}  // namespace brontile
