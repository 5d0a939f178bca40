// Refusing constraints: repeats of what is already fixed, conflicts and collapses, each naming
// the smallest set of other constraints involved, and the sentences that say so.
#include <gtest/gtest.h>

#include "sketch/constraint_check.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_names.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using Outcome = ConstraintVerdict::Outcome;
using test::constraint;
using test::line;
using test::sketchOf;

using test::at;
using test::lengthOf;
using test::whole;

// A w × h rectangle as the rectangle tool leaves it, with both sizes dimensioned.
Sketch rectangle(double w, double h) {
    Sketch sketch = test::rectangleSketch(0, 0, w, h);
    sketch.constraints.push_back(lengthOf(sketch.entities[0], w));
    sketch.constraints.push_back(lengthOf(sketch.entities[1], h));
    return sketch;
}

struct Checked {
    ConstraintVerdict verdict;
    std::string message;
};

// Adds the constraint (or, for an edit, takes the sketch as it is) and checks it.
Checked checkAdding(Sketch sketch, const SketchConstraint& subject, bool isNew = true) {
    if (isNew) sketch.constraints.push_back(subject);
    ConstraintVerdict verdict = ConstraintCheck::check(sketch, subject.id, isNew);
    std::string message = SketchNames::refusal(verdict, sketch, subject, LengthUnit::millimeters);
    return {std::move(verdict), std::move(message)};
}

TEST(ConstraintCheck, RepeatsAreRefusedNamingWhatAlreadyFixesThem) {
    const Sketch sketch = rectangle(40, 20);
    const auto& e = sketch.entities;
    Checked parallel = checkAdding(sketch, constraint(Kind::parallel, {whole(e[0]), whole(e[2])}));
    EXPECT_EQ(parallel.verdict.outcome, Outcome::redundant);
    EXPECT_EQ(parallel.message, "Already fixed by Horizontal (Line 1) and Horizontal (Line 3).");
    // A second dimension on the same line, and a length the others already decide.
    EXPECT_EQ(checkAdding(sketch, lengthOf(e[1], 20)).message,
              "Already fixed by Distance 20 mm (Line 2).");
    EXPECT_EQ(checkAdding(sketch, lengthOf(e[2], 40)).verdict.outcome, Outcome::redundant);
}

TEST(ConstraintCheck, ConflictsNameTheSmallestSetFound) {
    const Sketch sketch = rectangle(40, 20);
    const auto& e = sketch.entities;
    EXPECT_EQ(
        checkAdding(sketch, constraint(Kind::perpendicular, {whole(e[0]), whole(e[2])})).message,
        "Conflicts with Horizontal (Line 1) and Horizontal (Line 3).");
    // An edited dimension the others already decide differently.
    Sketch square = rectangle(20, 20);
    square.constraints.push_back(
        constraint(Kind::equalLength, {whole(square.entities[0]), whole(square.entities[1])}));
    SketchConstraint& bottom = square.constraints[8];
    bottom.value = 30;
    const Checked edited = checkAdding(square, bottom, false);
    EXPECT_EQ(edited.verdict.outcome, Outcome::conflicting);
    EXPECT_EQ(edited.message,
              "Conflicts with Distance 20 mm (Line 2) and Equal length (Line 1, Line 2).");
}

TEST(ConstraintCheck, CollapsingACurveIsRefusedAndAcceptedOnesComeBackSolved) {
    const SketchEntity l = line({0, 0}, {20, 0});
    const Sketch flat = sketchOf({l}, {constraint(Kind::horizontal, {whole(l)})});
    const Checked vertical = checkAdding(flat, constraint(Kind::vertical, {whole(l)}));
    EXPECT_EQ(vertical.verdict.outcome, Outcome::collapsing);
    EXPECT_EQ(vertical.message,
              "Vertical would collapse Line 1 to a point: it conflicts with Horizontal (Line 1).");

    // Free, the line turns instead, keeping its length; free parallel lines turn apart.
    const Checked turned = checkAdding(sketchOf({l}), constraint(Kind::vertical, {whole(l)}));
    ASSERT_EQ(turned.verdict.outcome, Outcome::accepted);
    EXPECT_NEAR(ConstraintCheck::sizeOf(turned.verdict.solved.entities[0]), 20, 1e-6);
    EXPECT_TRUE(turned.verdict.solved.constraints.size() == 1);
    const SketchEntity other = line({20, 5}, {0, 5});
    EXPECT_EQ(
        checkAdding(sketchOf({l, other}), constraint(Kind::perpendicular, {whole(l), whole(other)}))
            .verdict.outcome,
        Outcome::accepted);

    const SketchEntity slanted = line({0, 0}, {10, 3});
    const Checked accepted =
        checkAdding(sketchOf({slanted}), constraint(Kind::horizontal, {whole(slanted)}));
    EXPECT_EQ(accepted.verdict.outcome, Outcome::accepted);
    EXPECT_TRUE(accepted.message.empty());
    const auto& solved = std::get<SketchLine>(accepted.verdict.solved.entities[0].geometry);
    EXPECT_NEAR(solved.start.y, solved.end.y, 1e-7);
}

}  // namespace
}  // namespace brontile
