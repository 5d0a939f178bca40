#include "session/sketch_freedoms.hpp"

#include <unordered_set>

namespace brontile {

const SketchFreedom& SketchFreedoms::of(const Sketch& sketch) const {
    const auto found = entries_.find(sketch.id);
    // Only the geometry and the constraints decide; a rename or hiding keeps the answer.
    if (found != entries_.end() && found->second.entities == sketch.entities &&
        found->second.constraints == sketch.constraints) {
        return found->second.freedom;
    }
    Entry& entry = entries_[sketch.id];
    entry = {sketch.entities, sketch.constraints, analyzeFreedom(sketch)};
    return entry.freedom;
}

void SketchFreedoms::retainOnly(const std::vector<Sketch>& sketches) const {
    std::unordered_set<Uuid> live;
    for (const Sketch& sketch : sketches) live.insert(sketch.id);
    std::erase_if(entries_, [&](const auto& entry) { return !live.contains(entry.first); });
}

std::string freedomText(const SketchFreedom& freedom) {
    if (freedom.isFullyConstrained()) return "fully constrained";
    std::string text = std::to_string(freedom.degrees);
    text += freedom.degrees == 1 ? " degree of freedom" : " degrees of freedom";
    return text;
}

std::string freedomLine(const Sketch& sketch, const SketchFreedom& freedom) {
    std::string line = sketch.name;
    // Nothing drawn is nothing constrained, not "fully constrained".
    line += sketch.entities.empty() ? ": empty" : ": " + freedomText(freedom);
    return line;
}

}  // namespace brontile
