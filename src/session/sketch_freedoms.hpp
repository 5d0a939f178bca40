// The degrees of freedom of the document's sketches, worked out once per version of each sketch
// and shared by everything that shows them: the status line, the inspector, the view and the
// trace.
#pragma once

#include <string>
#include <unordered_map>

#include "sketch/sketch.hpp"
#include "sketch/sketch_freedom.hpp"

namespace brontile {

class SketchFreedoms {
public:
    // The sketch's freedom, from the last look at an equal sketch when there was one. The
    // reference stays valid until the next call.
    [[nodiscard]] const SketchFreedom& of(const Sketch& sketch) const;
    // Forgets the sketches the document no longer holds.
    void retainOnly(const std::vector<Sketch>& sketches) const;

private:
    struct Entry {
        std::vector<SketchEntity> entities;
        std::vector<SketchConstraint> constraints;
        SketchFreedom freedom;
    };
    // Caches what is worked out from the document, which the readers see as const.
    mutable std::unordered_map<Uuid, Entry> entries_;
};

// "3 degrees of freedom", "1 degree of freedom" or "fully constrained".
[[nodiscard]] std::string freedomText(const SketchFreedom& freedom);
// "Sketch 1: 3 degrees of freedom", "Sketch 1: fully constrained", "Sketch 1: empty".
[[nodiscard]] std::string freedomLine(const Sketch& sketch, const SketchFreedom& freedom);

}  // namespace brontile
