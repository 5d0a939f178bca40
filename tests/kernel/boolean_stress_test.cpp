// Booleans on blended parts, the mix a part is built from: blocks, L-shapes, rings and patterns
// with one face filleted or chamfered, then holes, bosses and pockets of cylinders, boxes and
// spheres. A few named cases from reports, then a seeded random set that must repeat: every
// result is a closed surface whose volume fits its operands, or a refusal of an empty result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kernel/kernel_error.hpp"
#include "kernel/mesh_csg_bridge.hpp"
#include "kernel/poly_kernel.hpp"
#include "sketch/profile.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

const PolyKernel kKernel;

FaceID topFace(const SolidMesh& mesh) {
    const auto& faces = mesh.faces();
    return std::ranges::max_element(faces, {}, [](const SolidFace& f) { return f.normal.z; })->id;
}

// How the booleans of one pair went: refusals by kind, and how many ran.
struct Tally {
    int booleans = 0;
    std::map<KernelError::Kind, int> refusals;
};

// The volume of `a` op `b`, nothing for a refusal; a result that is not closed fails the test.
std::optional<double> volumeOf(const SolidMesh& a, const SolidMesh& b, BooleanOp op, Tally& tally) {
    ++tally.booleans;
    try {
        const SolidMesh result = kKernel.boolean(a, b, op);
        EXPECT_TRUE(test::isClosed(result)) << rawValue(op);
        return result.volume();
    } catch (const KernelError& error) {
        ++tally.refusals[error.kind()];
        return std::nullopt;
    }
}

// All six booleans of the pair (both ways round), each closed or refused, their volumes within
// their operands' and adding up as sets do: a refused subtraction or intersection counts as
// empty, which the sums then check it was.
void expectSoundBooleans(const SolidMesh& a, const SolidMesh& b, Tally& tally) {
    const double va = a.volume();
    const double vb = b.volume();
    const double slack = 1e-6 * (va + vb);
    const auto unionAB = volumeOf(a, b, BooleanOp::unite, tally);
    const auto unionBA = volumeOf(b, a, BooleanOp::unite, tally);
    const double aMinusB = volumeOf(a, b, BooleanOp::subtract, tally).value_or(0);
    const double bMinusA = volumeOf(b, a, BooleanOp::subtract, tally).value_or(0);
    const double common = volumeOf(a, b, BooleanOp::intersect, tally).value_or(0);
    EXPECT_NEAR(volumeOf(b, a, BooleanOp::intersect, tally).value_or(0), common, slack);
    for (const auto& u : {unionAB, unionBA}) {
        if (!u) continue;
        EXPECT_GE(*u, std::max(va, vb) - slack);
        EXPECT_NEAR(*u + common, va + vb, slack);
    }
    EXPECT_GE(common, -slack);
    EXPECT_LE(common, std::min(va, vb) + slack);
    EXPECT_NEAR(aMinusB, va - common, slack);
    EXPECT_NEAR(bMinusA, vb - common, slack);
}

// `count` copies of the mesh `step` apart along x, united.
SolidMesh copies(const SolidMesh& mesh, double step, int count) {
    SolidMesh result = mesh;
    for (int i = 1; i < count; ++i) {
        result = kKernel.boolean(result, mesh.translated({step * i, 0, 0}), BooleanOp::unite);
    }
    return result;
}

// Whether every directed edge of the triangles is matched by one running the other way.
testing::AssertionResult pairsEveryEdge(const std::vector<CSGPolygon>& triangles) {
    using Point = std::tuple<double, double, double>;
    std::map<std::pair<Point, Point>, int> uses;
    for (const CSGPolygon& t : triangles) {
        for (std::size_t i = 0; i < t.vertices.size(); ++i) {
            const Vec3& p = t.vertices[i].pos;
            const Vec3& q = t.vertices[(i + 1) % t.vertices.size()].pos;
            ++uses[{{p.x, p.y, p.z}, {q.x, q.y, q.z}}];
        }
    }
    for (const auto& [edge, count] : uses) {
        const auto back = uses.find({edge.second, edge.first});
        if (back == uses.end() || back->second != count) {
            const auto [x, y, z] = edge.first;
            return testing::AssertionFailure() << "an edge from (" << x << ", " << y << ", " << z
                                               << ") is not matched the other way";
        }
    }
    return testing::AssertionSuccess();
}

// A 44 × 105 × 20 block with its top filleted at 3 mm, drilled through with a Ø12 hole. The fillet
// leaves slivers along the cracks it repaired, lying across their face's plane, and the drill's
// boolean used to read some of them back turned over to face that plane: three open edges.
TEST(BlendedBooleans, AHoleThroughAFilletedBlockLeavesAClosedBodyWithoutTheHolesVolume) {
    const SolidMesh block = test::boxMesh({0, 0, 0}, {44, 105, 20});
    const SolidMesh filleted = kKernel.fillet(block, topFace(block), 3);
    ASSERT_TRUE(test::isClosed(filleted));
    EXPECT_TRUE(pairsEveryEdge(MeshCSGBridge::polygons(filleted)));
    for (const int sides : {32, 48, 64}) {
        SCOPED_TRACE(std::to_string(sides) + " sides");
        const SolidMesh drill = test::cylinderMesh({22, 52.5, -5}, 6, 30, sides);
        const SolidMesh drilled = kKernel.boolean(filleted, drill, BooleanOp::subtract);
        EXPECT_TRUE(test::isClosed(drilled));
        // The hole stays clear of the fillets: it takes the drill's section over the full height.
        EXPECT_TRUE(test::hasVolume(drilled, filleted.volume() - drill.volume() * 20 / 30));
    }
}

// A box (10 mm) whose corner (10, 10, 10) stands `rise` above the plane of its top face.
SolidMesh warpedBox(double rise) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    std::vector<Vec3> vertices = box.vertices();
    for (Vec3& v : vertices) {
        if (v == Vec3{10, 10, 10}) v.z += rise;
    }
    return SolidMesh::withComputedNormals(std::move(vertices), box.faces());
}

TEST(BlendedBooleans, CasesFromTheRandomSetAndFacesSlightlyOffFlatGiveSoundBooleans) {
    const SolidMesh posts =
        copies(test::cylinderMesh({0, 0, 0}, 5.307151983198416, 8.5477502434556438, 32),
               14.6651996270115, 3);
    const SolidMesh block =
        test::boxMesh({0, 0, 0}, {48.602233296519366, 54.334904741083946, 15.029499042683858});
    const Vec3 half{1.9191304221853489, 5.648247784990363, 6.0300141181047495};
    const struct {
        const char* name;
        SolidMesh a;
        SolidMesh b;
    } cases[] = {
        // A cut left a loop along a crack that encloses nothing, and the repair threaded its own
        // corners into it, giving it a mirror image: a fin used twice each way.
        {"posts filleted, drilled beside one",
         kKernel.fillet(posts, posts.faces()[1].id, 1.706485769428876),
         test::cylinderMesh({0, 0, -7.529097467469323}, 3.6535740249301272, 15.058194934938646, 36)
             .translated({12.598196977465989, 0.58116275446801691, 1.5171606595369846})},
        // The ends of one seam drifted apart along it, beyond the seam tolerance, and the slivers
        // repairing the crack between them folded over one another.
        {"a turned box across a filleted edge",
         kKernel.fillet(block, topFace(block), 1.6645991622673919),
         test::boxMesh(-half, half)
             .rotated({0.30038869336315355, 0.36827793112953572, -0.87985112282847389}, {0, 0, 0},
                      2.6866624595435948)
             .translated({0, 37.969954352313664, 10.279509003157713})},
        // The BSP tree used to send the top face's triangles, which stray from their face's plane
        // by more than the on-plane tolerance, down a new node of that plane without end.
        {"a face 30 µm off flat", warpedBox(3e-5), test::boxMesh({5, 5, 5}, {15, 15, 15})},
        {"a face 100 µm off flat", warpedBox(1e-4), test::boxMesh({5, 5, 5}, {15, 15, 15})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tally tally;
        expectSoundBooleans(c.a, c.b, tally);
        EXPECT_TRUE(tally.refusals.empty());
    }
}

// The checking build (unoptimised, with sanitizers) runs some thirty times slower: it gets fewer
// parts, the named cases above standing in for the rest.
#ifdef NDEBUG
constexpr int kParts = 160;
#else
constexpr int kParts = 16;
#endif

// Draws from the engine's own numbers, which the standard fixes, rather than through the
// library's distributions, which it does not: the same parts on every platform.
class Dice {
public:
    explicit Dice(unsigned seed) : engine_(seed) {}

    double between(double lo, double hi) { return lo + (hi - lo) * (engine_() * 0x1p-32); }
    int whole(int lo, int hi) {
        return lo + static_cast<int>(engine_() % static_cast<unsigned>(hi - lo + 1));
    }
    bool chance(double p) { return between(0, 1) < p; }
    Vec3 direction() {
        const double z = between(-1, 1);
        const double turn = between(0, 2 * std::numbers::pi);
        const double r = std::sqrt(1 - z * z);
        return {r * std::cos(turn), r * std::sin(turn), z};
    }

private:
    std::mt19937 engine_;
};

struct Operand {
    std::string name;
    SolidMesh mesh;
};

Operand block(Dice& dice) {
    const Vec3 size{dice.between(15, 60), dice.between(15, 110), dice.between(6, 25)};
    return {"block", test::boxMesh({0, 0, 0}, size)};
}

Operand lShape(Dice& dice) {
    const double w = dice.between(20, 60);
    const double d = dice.between(20, 60);
    const double t = dice.between(6, std::min(w, d) - 6);
    const Profile outline{SketchPlane::xy, {{0, 0}, {w, 0}, {w, t}, {t, t}, {t, d}, {0, d}}, {}};
    return {"L-shape", kKernel.extrude(outline, dice.between(6, 25))};
}

// A rectangle off the z axis turned once around it.
Operand ring(Dice& dice) {
    const double inner = dice.between(4, 20);
    const double outer = inner + dice.between(4, 15);
    const double height = dice.between(5, 20);
    const Profile section{
        SketchPlane::xz, {{inner, 0}, {outer, 0}, {outer, height}, {inner, height}}, {}};
    return {"ring", kKernel.revolve(section, {0, 0, 0}, {0, 0, 1}, 2 * std::numbers::pi)};
}

// Copies of a block or a post side by side, overlapping or apart.
Operand pattern(Dice& dice) {
    const double size = dice.between(6, 15);
    const double height = dice.between(6, 20);
    const bool posts = dice.chance(0.5);
    const SolidMesh copy = posts ? test::cylinderMesh({0, 0, 0}, size / 2, height, 32)
                                 : test::boxMesh({0, 0, 0}, {size, size, height});
    const double step = size * dice.between(0.5, 1.5);
    const int count = dice.whole(2, 4);
    return {std::to_string(count) + (posts ? " posts" : " blocks"), copies(copy, step, count)};
}

// One face, the top one more often than not, filleted or chamfered.
Operand blended(Operand part, Dice& dice) {
    const auto& faces = part.mesh.faces();
    const auto any = [&](std::size_t count) {
        return static_cast<std::size_t>(dice.whole(0, static_cast<int>(count) - 1));
    };
    std::vector<std::size_t> tops;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].normal.z > 0.99) tops.push_back(i);
    }
    const std::size_t face =
        !tops.empty() && dice.chance(0.6) ? tops[any(tops.size())] : any(faces.size());
    const double radius = dice.between(0.5, 5);
    const bool round = dice.chance(0.6);
    const FaceID id = faces[face].id;
    part.mesh =
        round ? kKernel.fillet(part.mesh, id, radius) : kKernel.chamfer(part.mesh, id, radius);
    part.name += ", face " + std::to_string(face) + (round ? " filleted " : " chamfered ") +
                 std::to_string(radius);
    return part;
}

// A point of the box, often on one of its edges, where blends meet the tools.
Vec3 siteIn(const AABB& box, Dice& dice) {
    Vec3 p{dice.between(box.min.x, box.max.x), dice.between(box.min.y, box.max.y),
           dice.between(box.min.z, box.max.z)};
    if (dice.chance(0.3)) p.x = dice.chance(0.5) ? box.min.x : box.max.x;
    if (dice.chance(0.3)) p.y = dice.chance(0.5) ? box.min.y : box.max.y;
    if (dice.chance(0.3)) p.z = dice.chance(0.5) ? box.min.z : box.max.z;
    return p;
}

// The mesh turned about the origin, by any angle about any axis. The dice are read in a fixed
// order, which the arguments of one call would not give.
SolidMesh turned(const SolidMesh& mesh, Dice& dice) {
    const Vec3 axis = dice.direction();
    return mesh.rotated(axis, {0, 0, 0}, dice.between(0, 3.2));
}

// A cylinder (mostly upright, through or blind), a box or a sphere about a site of `box`.
Operand tool(const AABB& box, Dice& dice) {
    const Vec3 site = siteIn(box, dice);
    switch (dice.whole(0, 2)) {
        case 0: {
            const double radius = dice.between(1, 8);
            const double height = dice.between(4, 40);
            const int sides = dice.whole(12, 64);
            SolidMesh cylinder = test::cylinderMesh({0, 0, -height / 2}, radius, height, sides);
            if (dice.chance(0.4)) cylinder = turned(cylinder, dice);
            return {"cylinder r " + std::to_string(radius) + " h " + std::to_string(height),
                    cylinder.translated(site)};
        }
        case 1: {
            const Vec3 half{dice.between(1, 10), dice.between(1, 10), dice.between(1, 10)};
            SolidMesh cube = test::boxMesh(-half, half);
            if (dice.chance(0.5)) cube = turned(cube, dice);
            return {"box", cube.translated(site)};
        }
        default: {
            const double radius = dice.between(2, 9);
            const int slices = dice.whole(12, 40);
            const int stacks = dice.whole(8, 24);
            return {"sphere r " + std::to_string(radius),
                    test::sphereMesh(site, radius, slices, stacks)};
        }
    }
}

std::string text(const Vec3& p) {
    std::ostringstream out;
    out << '(' << p.x << ", " << p.y << ", " << p.z << ')';
    return out.str();
}

TEST(BooleanStress, BlendedPartsAndRandomToolsGiveClosedResultsOrEmptyOnes) {
    Dice dice(20261207);
    Tally tally;
    for (int i = 0; i < kParts; ++i) {
        Operand part = i % 4 == 0   ? block(dice)
                       : i % 4 == 1 ? lShape(dice)
                       : i % 4 == 2 ? ring(dice)
                                    : pattern(dice);
        part = blended(part, dice);
        SCOPED_TRACE("part " + std::to_string(i) + ": " + part.name);
        const testing::AssertionResult closed = test::isClosed(part.mesh);
        EXPECT_TRUE(closed);
        if (!closed) continue;
        const Operand other = tool(*part.mesh.bounds(), dice);
        SCOPED_TRACE(other.name + " at " + text(other.mesh.bounds()->center()));
        expectSoundBooleans(part.mesh, other.mesh, tally);
    }
    // Only results that are truly empty are refused, and most tools meet their part.
    int refused = 0;
    for (const auto& [kind, count] : tally.refusals) {
        EXPECT_EQ(kind, KernelError::Kind::degenerateResult) << count << " times";
        refused += count;
    }
    EXPECT_LT(refused, tally.booleans / 4);
}

}  // namespace
}  // namespace brontile
