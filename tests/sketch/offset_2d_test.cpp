// Mitred polygon offsets: corner placement, the mitre cap, winding, and repeated points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "sketch/offset_2d.hpp"
#include "support/geometry_checks.hpp"

namespace brontile {
namespace {

using Loop = std::vector<Vec2>;
using test::expectNear;
const Loop kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Offset2D, CornersMoveByWindingAndSignAndSharpMitresAreCapped) {
    expectNear(Offset2D::offset(kSquare, 1), {{-1, -1}, {2, -1}, {2, 2}, {-1, 2}});
    expectNear(Offset2D::offset(kSquare, -0.25),
               {{0.25, 0.25}, {0.75, 0.25}, {0.75, 0.75}, {0.25, 0.75}});
    const Loop clockwise{{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    expectNear(Offset2D::offset(clockwise, 0.25),
               {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.75, 0.25}});
    // A sharp corner's mitre is capped at four times the distance.
    const double turn = 170 * std::numbers::pi / 180;
    const Vec2 tip{10, 0};
    const Vec2 outgoing{std::cos(turn), std::sin(turn)};
    const Loop sliver{{0, 0}, tip, tip + outgoing * 10};
    const Vec2 moved = Offset2D::offset(sliver, 0.5)[1] - tip;
    const Vec2 bisector = (Vec2{1, 0} - outgoing).normalized();
    EXPECT_NEAR(moved.length(), 2.0, 1e-12);
    EXPECT_NEAR(moved.cross(bisector), 0.0, 1e-12);
    EXPECT_GT(moved.dot(bisector), 0);
}

TEST(Offset2D, RepeatedPointsMoveWithTheirTwinAndDegenerateLoopsStay) {
    const Loop repeated{{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}};
    const Loop single = Offset2D::offset(kSquare, 1);
    EXPECT_EQ(Offset2D::offset(repeated, 1),
              (Loop{single[0], single[1], single[2], single[2], single[3]}));
    // A spike doubling back moves sideways at its tip and at its (repeated) base.
    expectNear(Offset2D::offset(Loop{{0, 0}, {1, 0}, {0, 0}}, 1), {{0, 1}, {1, -1}, {0, 1}});
    // Too few distinct points, or no distance, and the loop comes back unchanged.
    const Loop pair{{0, 0}, {1, 0}};
    EXPECT_EQ(Offset2D::offset(pair, 1), pair);
    const Loop collapsed{{2, 3}, {2, 3}, {2, 3}};
    EXPECT_EQ(Offset2D::offset(collapsed, 1), collapsed);
    EXPECT_EQ(Offset2D::offset(kSquare, std::numeric_limits<double>::quiet_NaN()), kSquare);
}

}  // namespace
}  // namespace brontile
