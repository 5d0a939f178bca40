// What one new or changed constraint would do to its sketch: hold, as the solved sketch; or be
// refused because it only repeats what other constraints already fix, cannot be solved with
// them, or could only be solved by shrinking a curve to a point. A refusal names the other
// constraints involved, the smallest set found.
#pragma once

#include <optional>
#include <vector>

#include "sketch/sketch.hpp"

namespace brontile {

struct ConstraintVerdict {
    enum class Outcome { accepted, redundant, conflicting, collapsing };

    Outcome outcome = Outcome::accepted;
    // Accepted: the sketch with the constraint, solved.
    Sketch solved;
    // Refused: the other constraints involved, in stored order.
    std::vector<SketchConstraintID> involved;
    // Collapsing: the line that would shrink to a point, or the circle or arc to no radius.
    std::optional<SketchEntityID> collapsed;
};

namespace ConstraintCheck {

// `trial` holds the constraint `subject` among the others: newly added (`isNew`), or with a
// changed value. A new constraint is also refused when, once solved, its rows add nothing to
// the others' (it is redundant); an edited one only when it cannot be solved.
[[nodiscard]] ConstraintVerdict check(const Sketch& trial, const SketchConstraintID& subject,
                                      bool isNew);

// A line's length or a circle's or arc's radius.
[[nodiscard]] double sizeOf(const SketchEntity& entity);

}  // namespace ConstraintCheck
}  // namespace brontile
