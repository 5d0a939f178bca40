#include "document/cad_document.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "base/identified.hpp"
#include "geometry/rgba.hpp"

namespace brontile {
namespace {

// The counter after one more item. Counters only come near the limit in hand-edited files;
// there they stay at the limit instead of overflowing.
std::int64_t advanced(std::int64_t counter) {
    return counter == std::numeric_limits<std::int64_t>::max() ? counter : counter + 1;
}

}  // namespace

CADDocument CADDocument::empty(std::string title, DateTime now) {
    CADDocument document;
    document.metadata = DocumentMetadata{std::move(title), now, now};
    return document;
}

std::optional<Body> CADDocument::body(const BodyID& id) const { return elementWithId(bodies, id); }

std::optional<std::size_t> CADDocument::bodyIndex(const BodyID& id) const {
    return indexOfId(bodies, id);
}

std::optional<Sketch> CADDocument::sketch(const Uuid& id) const {
    return elementWithId(sketches, id);
}

std::optional<std::size_t> CADDocument::sketchIndex(const Uuid& id) const {
    return indexOfId(sketches, id);
}

BodyID CADDocument::addBody(SolidMesh mesh, std::optional<std::string> name, BodyID id) {
    const std::int64_t n = bodyCounter;
    bodyCounter = advanced(n);
    const auto paletteSize = static_cast<std::int64_t>(BodyPalette::colors.size());
    bodies.push_back(Body{id, name ? std::move(*name) : "Body " + std::to_string(bodyCounter), true,
                          n % paletteSize, std::move(mesh)});
    return id;
}

void CADDocument::removeBody(const BodyID& id) {
    std::erase_if(bodies, [&](const Body& b) { return b.id == id; });
}

Uuid CADDocument::addSketch(const SketchPlane& plane, std::optional<std::string> name, Uuid id) {
    sketchCounter = advanced(sketchCounter);
    Sketch sketch;
    sketch.id = id;
    sketch.name = name ? std::move(*name) : "Sketch " + std::to_string(sketchCounter);
    sketch.plane = plane;
    sketches.push_back(std::move(sketch));
    return id;
}

std::optional<AABB> CADDocument::bounds() const {
    std::vector<AABB> boxes;
    for (const Body& b : bodies) {
        if (!b.isVisible) continue;
        if (const auto box = b.mesh.bounds()) boxes.push_back(*box);
    }
    for (const Sketch& s : sketches) {
        if (!s.isVisible) continue;
        if (const auto box = AABB::fromPoints(s.worldPoints())) boxes.push_back(*box);
    }
    return AABB::merge(boxes);
}

}  // namespace brontile
