// Holes, islands, joins and cuts made the way a person does it: one sketch with curves inside
// curves, extrudes that drill into or build onto filleted, chamfered, shelled and revolved
// bodies. Each result is saved and read back, and every body must be a closed solid there.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/mesh_closure.hpp"
#include "io/native_package_io.hpp"
#include "replay/replay_checks.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

using test::Json;
using test::volume;

// The area of the 64-sided polygon a circle of radius r becomes in a region.
double disc(double r) { return 32 * r * r * std::sin(2 * std::numbers::pi / 64); }

// Replays `steps` (a comma-separated list of step objects), saves the document and reads the
// package back: the trace, and whether each stored body is closed.
struct Saved {
    std::vector<Json> lines;
    std::vector<bool> closed;
};
Saved replayAndSave(const std::string& steps) {
    const test::ScratchDirectory scratch;
    const std::filesystem::path package = scratch.path() / "part.brontdoc";
    Saved saved;
    saved.lines = test::replayedText(R"({"steps": [)" + steps + R"(,
        {"answer": {"savePanel": ")" +
                                     package.string() + R"("}},
        {"command": "file.saveAs"}]})");
    for (const Body& body : NativePackageIO::load(package).bodies) {
        saved.closed.push_back(isClosed(body.mesh));
    }
    return saved;
}

// A 44 × 105 × 20 block on the ground, selected.
const std::string kBlock = R"(
    {"command": "tool.rectangle"},
    {"click": {"world": [0, 0, 0]}},
    {"click": {"world": [44, 105, 0]}},
    {"command": "tool.extrude"},
    {"click": {"world": [22, 50, 0]}},
    {"type": "20"})";

// Selects the block's top face, starts a sketch on it and draws a Ø12 circle at (x, y).
std::string circleOnTop(int x, int y) {
    const std::string at = std::to_string(x) + ", " + std::to_string(y) + ", 20";
    const std::string rim = std::to_string(x + 6) + ", " + std::to_string(y) + ", 20";
    return R"(
        {"command": "tool.select"},
        {"click": {"world": [22, 50, 20]}},
        {"command": "sketch.new"},
        {"command": "tool.circle"},
        {"drag": {"from": {"world": [)" +
           at + R"(]}, "to": {"world": [)" + rim + "]}}}";
}

TEST(HoleJourney, APlateWithTwoHolesAndAnIslandFromOneSketch) {
    const Saved saved = replayAndSave(R"(
        {"command": "tool.rectangle"},
        {"click": {"world": [0, 0, 0]}},
        {"click": {"world": [160, 100, 0]}},
        {"command": "tool.circle"},
        {"drag": {"from": {"world": [40, 50, 0]}, "to": {"world": [46, 50, 0]}}},
        {"drag": {"from": {"world": [120, 50, 0]}, "to": {"world": [126, 50, 0]}}},
        {"click": {"world": [40, 50, 0]}},
        {"type": "3"},
        {"command": "tool.extrude"},
        {"click": {"world": [80, 20, 0]}},
        {"type": "10"},
        {"command": "tool.extrude"},
        {"click": {"world": [41, 50, 0]}},
        {"type": "10"},
        {"command": "tool.extrude"},
        {"click": {"world": [44.5, 50, 0]}})");
    const auto& lines = saved.lines;
    ASSERT_EQ(lines.size(), 18U);
    const double plate = (160 * 100 - 2 * disc(6)) * 10;
    EXPECT_NEAR(volume(lines[10]), plate, plate * 1e-9);
    // Caps, four sides and 64 walls round each hole.
    EXPECT_EQ(lines[10]["document"]["bodies"][0]["faceCount"], 2 + 4 + 128);
    // The island stands in the hole, clear of the plate: a new body by default.
    EXPECT_EQ(lines[12]["hud"]["detail"], "New body");
    EXPECT_NEAR(volume(lines[13], 1), disc(3) * 10, 1e-9);
    // So does the ring round it, whose outline is the hole's own.
    EXPECT_EQ(lines[15]["hud"]["detail"], "New body");
    EXPECT_EQ(saved.closed, (std::vector<bool>{true, true}));
}

TEST(HoleJourney, HolesDrilledIntoRoundedAndChamferedBlocksByDragAndByTyping) {
    // A Ø12 hole through the block after its top face is filleted at 3 mm, dragged down past the
    // bottom; then one typed into the block whose top is chamfered at 2 mm.
    const Saved filleted = replayAndSave(kBlock + R"(,
        {"command": "tool.fillet"},
        {"click": {"world": [22, 50, 20]}},
        {"type": "3"},)" + circleOnTop(22, 52) +
                                         R"(,
        {"command": "tool.extrude"},
        {"drag": {"from": {"world": [24, 52, 20]}, "to": {"world": [24, 52, -5]}}})");
    ASSERT_EQ(filleted.lines.size(), 18U);
    EXPECT_EQ(filleted.lines[15]["undoName"], "Extrude");
    EXPECT_NEAR(volume(filleted.lines[8]) - volume(filleted.lines[15]), disc(6) * 20, 1e-6);
    EXPECT_EQ(filleted.closed, std::vector<bool>{true});

    const Saved chamfered = replayAndSave(kBlock + R"(,
        {"command": "tool.fillet"},
        {"click": {"world": [22, 50, 20]}},
        {"drag": {"from": {"world": [22, 50, 20]}, "to": {"world": [24, 50, 20]},
                  "modifiers": ["option"]}},
        {"key": "return"},)" + circleOnTop(10, 20) +
                                          R"(,
        {"command": "tool.extrude"},
        {"click": {"world": [12, 20, 20]}},
        {"type": "-30"})");
    ASSERT_EQ(chamfered.lines.size(), 20U);
    // Until a direction is given the arrow points out of the face: joining is the default.
    EXPECT_EQ(chamfered.lines[16]["hud"]["detail"], "Join Body 1");
    EXPECT_EQ(chamfered.lines[17]["document"]["bodies"].size(), 1U);
    EXPECT_NEAR(volume(chamfered.lines[9]) - volume(chamfered.lines[17]), disc(6) * 20, 1e-6);
    EXPECT_EQ(chamfered.closed, std::vector<bool>{true});
}

TEST(HoleJourney, ShelledAndRevolvedBodiesAreCutAndJoinedFromTheGround) {
    // A hollow box (walls of 2) drilled through its floor from a circle on the ground: the region
    // lies on the bottom face, so extruding up cuts.
    const Saved shelled = replayAndSave(R"(
        {"command": "tool.rectangle"},
        {"click": {"world": [0, 0, 0]}},
        {"click": {"world": [40, 30, 0]}},
        {"command": "tool.extrude"},
        {"click": {"world": [20, 15, 0]}},
        {"type": "20"},
        {"command": "tool.shell"},
        {"type": "2"},
        {"command": "tool.circle"},
        {"drag": {"from": {"world": [20, 15, 0]}, "to": {"world": [24, 15, 0]}}},
        {"command": "tool.extrude"},
        {"click": {"world": [22, 15, 0]}},
        {"type": "5"})");
    ASSERT_EQ(shelled.lines.size(), 15U);
    EXPECT_EQ(shelled.lines[11]["hud"]["detail"], "Cut Body 1");
    EXPECT_NEAR(volume(shelled.lines[7]), 24000 - 36 * 26 * 16, 1e-9);
    EXPECT_NEAR(volume(shelled.lines[7]) - volume(shelled.lines[12]), disc(4) * 2, 1e-6);
    EXPECT_EQ(shelled.closed, std::vector<bool>{true});

    // A ring revolved about the vertical axis, then a boss built down from its bottom face by
    // typing and a pocket dragged up into it: both keep the one body.
    const Saved ring = replayAndSave(R"(
        {"command": "sketch.newFront"},
        {"command": "tool.rectangle"},
        {"click": {"world": [10, 0, 0]}},
        {"click": {"world": [20, 0, 5]}},
        {"command": "tool.line"},
        {"click": {"world": [0, 0, -10]}},
        {"doubleClick": {"world": [0, 0, 20]}},
        {"command": "tool.revolve"},
        {"click": {"world": [15, 0, 2]}},
        {"click": {"world": [0, 0, 10]}},
        {"key": "return"},
        {"command": "sketch.new"},
        {"command": "tool.circle"},
        {"click": {"world": [0, 15, 0]}},
        {"type": "3"},
        {"click": {"world": [0, -15, 0]}},
        {"type": "3"},
        {"command": "tool.extrude"},
        {"click": {"world": [0, 16, 0]}},
        {"type": "-5"},
        {"command": "tool.extrude"},
        {"drag": {"from": {"world": [0, -16, 0]}, "to": {"world": [0, -16, 3]}}})");
    ASSERT_EQ(ring.lines.size(), 24U);
    EXPECT_NEAR(volume(ring.lines[19]) - volume(ring.lines[10]), disc(3) * 5, 1e-6);
    EXPECT_NEAR(volume(ring.lines[19]) - volume(ring.lines[21]), disc(3) * 3, 1e-6);
    EXPECT_EQ(ring.lines[21]["document"]["bodies"].size(), 1U);
    EXPECT_EQ(ring.closed, std::vector<bool>{true});
}

}  // namespace
}  // namespace brontile
