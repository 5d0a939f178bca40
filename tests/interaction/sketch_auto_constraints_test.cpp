// Constraints implied by drawing gestures: snaps at a new line's ends, rectangle and polygon
// structure.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "interaction/sketch_auto_constraints.hpp"

namespace brontile {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

struct Shape {
    Kind kind;
    std::vector<SketchGeomRef> refs;
    friend bool operator==(const Shape&, const Shape&) = default;
};

// Kinds and refs only; every constraint must come with a distinct fresh id and no value.
std::vector<Shape> shapes(const std::vector<SketchConstraint>& constraints) {
    std::vector<Shape> result;
    std::set<SketchConstraintID> ids;
    for (const auto& c : constraints) {
        EXPECT_FALSE(c.value);
        EXPECT_TRUE(ids.insert(c.id).second);
        result.push_back({c.kind, c.refs});
    }
    return result;
}

SnapHit hitOn(SnapKind kind, std::optional<SketchEntityID> entity = std::nullopt,
              std::optional<Role> role = std::nullopt) {
    return {.point = {1, 1}, .kind = kind, .entityID = entity, .paramRole = role};
}

TEST(SketchAutoConstraintsLine, OnlySnapsThatTookPlaceAddConstraints) {
    const auto line = SketchEntityID::generate(), other = SketchEntityID::generate();
    const auto forHits = [&](std::optional<SnapHit> from, std::optional<SnapHit> to) {
        return shapes(SketchAutoConstraints::forLine(line, {0, 0}, {1, 0}, from, to));
    };
    EXPECT_EQ(forHits(std::nullopt, hitOn(SnapKind::horizontal)),
              (std::vector<Shape>{{Kind::horizontal, {{line, Role::entity}}}}));
    EXPECT_EQ(forHits(std::nullopt, hitOn(SnapKind::vertical)),
              (std::vector<Shape>{{Kind::vertical, {{line, Role::entity}}}}));
    // A horizontal start hit means nothing: only the end aligns with the start.
    EXPECT_TRUE(forHits(hitOn(SnapKind::horizontal), std::nullopt).empty());
    EXPECT_EQ(forHits(hitOn(SnapKind::endpoint, other, Role::end),
                      hitOn(SnapKind::endpoint, other, Role::start)),
              (std::vector<Shape>{{Kind::coincident, {{line, Role::start}, {other, Role::end}}},
                                  {Kind::coincident, {{line, Role::end}, {other, Role::start}}}}));

    for (const auto& nothing :
         {hitOn(SnapKind::endpoint, line, Role::end),  // itself
          hitOn(SnapKind::endpoint, other),            // circle quadrant
          hitOn(SnapKind::endpoint),                   // body vertex
          hitOn(SnapKind::grid), hitOn(SnapKind::onCurve, other),
          hitOn(SnapKind::midpoint, other, Role::start), hitOn(SnapKind::intersection, other)}) {
        EXPECT_TRUE(forHits(nothing, std::nullopt).empty()) << rawValue(nothing.kind);
    }
}

TEST(SketchAutoConstraintsShapes, RectangleAndPolygonStructure) {
    std::vector<SketchEntityID> e(6);
    for (auto& id : e) id = SketchEntityID::generate();
    const auto corner = [&](std::size_t i, std::size_t j) {
        return Shape{Kind::coincident, {{e[i], Role::end}, {e[j], Role::start}}};
    };
    const auto on = [&](Kind kind, std::size_t i) { return Shape{kind, {{e[i], Role::entity}}}; };
    EXPECT_EQ(shapes(SketchAutoConstraints::forRectangle(std::span(e).first(4))),
              (std::vector<Shape>{on(Kind::horizontal, 0), on(Kind::vertical, 1),
                                  on(Kind::horizontal, 2), on(Kind::vertical, 3), corner(0, 1),
                                  corner(1, 2), corner(2, 3), corner(3, 0)}));
    EXPECT_EQ(shapes(SketchAutoConstraints::forPolygon(e)),
              (std::vector<Shape>{corner(0, 1), corner(1, 2), corner(2, 3), corner(3, 4),
                                  corner(4, 5), corner(5, 0)}));
    EXPECT_TRUE(SketchAutoConstraints::forRectangle(std::span(e).first(3)).empty());
    EXPECT_TRUE(SketchAutoConstraints::forRectangle(e).empty());
    EXPECT_TRUE(SketchAutoConstraints::forPolygon(std::span(e).first(2)).empty());
}

}  // namespace
}  // namespace brontile
