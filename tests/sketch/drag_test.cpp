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

SketchGeomRef whole(const SketchEntity& e) { return {e.id, Role::entity}; }
SketchGeomRef at(const SketchEntity& e, Role role) { return {e.id, role}; }

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

Sketch rectangle() {
    std::vector<SketchEntity> e{line({0, 0}, {40, 0}), line({40, 0}, {40, 20}),
                                line({40, 20}, {0, 20}), line({0, 20}, {0, 0})};
    std::vector<SketchConstraint> c;
    for (std::size_t i = 0; i < 4; ++i) {
        c.push_back(constraint(i % 2 == 0 ? Kind::horizontal : Kind::vertical, {whole(e[i])}));
        c.push_back(
            constraint(Kind::coincident, {at(e[i], Role::end), at(e[(i + 1) % 4], Role::start)}));
    }
    return sketchOf(std::move(e), std::move(c));
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
    const Sketch box = rectangle();
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
    constexpr double pi = std::numbers::pi;
    const SketchEntity bottom = line({0, -5}, {20, -5}), top = line({20, 5}, {0, 5});
    const SketchEntity right = arc({20, 0}, 5, -pi / 2, pi / 2),
                       left = arc({0, 0}, 5, pi / 2, 1.5 * pi);
    const auto join = [](const SketchEntity& a, const SketchEntity& b) {
        return constraint(Kind::coincident, {at(a, Role::end), at(b, Role::start)});
    };
    const auto touch = [](const SketchEntity& a, const SketchEntity& b) {
        return constraint(Kind::tangent, {whole(a), at(b, Role::center)});
    };
    const Sketch slot =
        sketchOf({bottom, right, top, left},
                 {join(bottom, right), join(right, top), join(top, left), join(left, bottom),
                  touch(bottom, right), touch(top, right), touch(top, left), touch(bottom, left)});
    const Sketch pulled = dragged(slot, {bottom.id, Role::end}, {20, -5}, {26, -6});
    EXPECT_GT(lineOf(pulled, 0).end.x, 23);
}

}  // namespace
}  // namespace brontile
