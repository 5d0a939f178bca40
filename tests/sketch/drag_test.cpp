// Dragging: the handle follows the pointer as far as the constraints allow, every constraint
// keeps holding, and what the handle does not need to move stays put.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "sketch/constraint_residuals.hpp"
#include "sketch/sketch_constraint_factory.hpp"
#include "sketch/sketch_drag.hpp"
#include "support/geometry_checks.hpp"
#include "support/sketch_fixtures.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;
using test::arc;
using test::circle;
using test::constraint;
using test::line;
using test::sketchOf;

using test::at;
using test::whole;

const SketchLine& lineOf(const Sketch& s, std::size_t i) {
    return std::get<SketchLine>(s.entities[i].geometry);
}

// Drags and checks that every constraint still holds as the solver judges it.
Sketch dragged(const Sketch& sketch, DragHandle handle, Vec2 grab, Vec2 to) {
    SketchDrag drag(sketch, handle, grab);
    EXPECT_TRUE(drag.moveTo(to));
    const VariablePack pack = VariablePack::pack(drag.sketch().entities);
    std::vector<double> rows;
    ConstraintResiduals(drag.sketch().constraints, pack).evaluate(pack, pack.values, rows);
    for (const double r : rows) EXPECT_NEAR(r, 0, 1e-7);
    return drag.sketch();
}

TEST(SketchDrag, FreePointsGoWhereThePointerIsAndNothingElseMoves) {
    const Sketch free = sketchOf({line({0, 0}, {10, 0}), circle({30, 0}, 4)});
    const Sketch moved = dragged(free, {free.entities[0].id, Role::end}, {10, 0}, {12, 7});
    test::expectNear(lineOf(moved, 0).end, {12, 7}, 1e-9);
    test::expectNear(lineOf(moved, 0).start, {0, 0}, 1e-9);
    EXPECT_EQ(moved.entities[1], free.entities[1]);
    // A whole line moves along; a circle's rim sets its radius.
    const Sketch along = dragged(free, {free.entities[0].id, {}}, {5, 0}, {6, 2});
    test::expectNear(lineOf(along, 0).start, {1, 2}, 1e-9);
    const Sketch wider = dragged(free, {free.entities[1].id, {}}, {34, 0}, {36, 0});
    EXPECT_NEAR(*wider.entities[1].radiusValue(), 6, 1e-9);
}

TEST(SketchDrag, ARectangleCornerStretchesItAndTheFarCornerStays) {
    const Sketch box = test::rectangleSketch(0, 0, 40, 20);
    const Sketch moved = dragged(box, {box.entities[1].id, Role::end}, {40, 20}, {50, 30});
    test::expectNear(lineOf(moved, 1).end, {50, 30}, 1e-6);
    test::expectNear(lineOf(moved, 3).end, {0, 0}, 1e-6);
}

TEST(SketchDrag, ConstraintsWinOverThePointer) {
    // Held at its start and 20 long, the line's end can only swing round towards the pointer.
    const SketchEntity l = line({0, 0}, {20, 0});
    const Sketch held =
        sketchOf({l}, {*SketchConstraintFactory::makeFix(l, Role::start),
                       constraint(Kind::distance, {at(l, Role::start), at(l, Role::end)}, 20)});
    const Sketch swung = dragged(held, {l.id, Role::end}, {20, 0}, {30, 10});
    test::expectNear(lineOf(swung, 0).end, Vec2{30, 10} * (20 / std::hypot(30, 10)), 1e-5);
    test::expectNear(lineOf(swung, 0).start, {0, 0}, 1e-9);

    // A slot keeps its tangent arcs while a line's end is pulled out.
    const Sketch slot = test::slotSketch();
    const Sketch pulled = dragged(slot, {slot.entities[0].id, Role::end}, {20, -5}, {26, -6});
    EXPECT_GT(lineOf(pulled, 0).end.x, 23);
}

}  // namespace
}  // namespace brontile
