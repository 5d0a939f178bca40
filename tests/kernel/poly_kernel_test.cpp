// The polygonal kernel judged by results: extrude, revolve and push/pull give closed solids of the
// expected volume; fillet, chamfer and shell remove exactly what they should; unusable input is
// refused with the window's sentence; the exact-kernel slot refuses everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "kernel/edge_cutter.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/occt_kernel.hpp"
#include "kernel/poly_kernel.hpp"
#include "kernel/vertex_offset.hpp"
#include "support/error_checks.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/region_fixtures.hpp"

namespace brontile {
namespace {

using kernel_detail::EdgeBlend;
using Kind = KernelError::Kind;
using test::hasVolume;
using test::isClosed;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;
const PolyKernel kernel;
// 40 × 30 × 20; its top face is faces()[1].
const SolidMesh kBlock = test::boxMesh({0, 0, 0}, {40, 30, 20});

Profile profileOf(std::vector<Vec2> loop, const SketchPlane& plane = SketchPlane::xy,
                  std::vector<std::vector<Vec2>> holes = {}) {
    return {plane, std::move(loop), {}, {}, std::move(holes)};
}
const Profile kSquare = profileOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
// An annulus section 5..10 from the y axis, 10 high.
const Profile kRing = profileOf({{5, 0}, {10, 0}, {10, 10}, {5, 10}});
// A 160 × 100 plate with two Ø12 holes drawn as 64-gons.
const Profile kPlate = profileOf(test::rectangleLoop({0, 0}, {160, 100}), SketchPlane::xy,
                                 test::holeGrid({0, 0}, {160, 100}, 2, 1, 6));

std::size_t pointCount(const Profile& profile) {
    std::size_t count = profile.loop.size();
    for (const auto& hole : profile.holes) count += hole.size();
    return count;
}

// Without holes a cap is the one polygon of the outer loop; with them, the triangles tiling the
// region (points + 2 · holes − 2 of them), and every hole gets its own walls.
TEST(Extrude, SweepsAlongTheSignedNormalIntoAClosedSolid) {
    const SketchPlane tilted({1, 2, 3}, Vec3::unitX, {0, 0.6, 0.8});
    const std::vector<Vec2> lLoop{{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 20}, {0, 20}};
    const std::vector<Vec2> clockwiseL(lLoop.rbegin(), lLoop.rend());  // must still face out
    const double a64 = test::regularPolygonArea(6);
    const double a64Small = test::regularPolygonArea(2.5);
    // Holes given counter-clockwise, against the rule, still come out as holes.
    const Profile holedL =
        profileOf(clockwiseL, SketchPlane::xy,
                  {test::regularPolygon({5, 5}, 2.5), {{21, 3}, {27, 3}, {27, 7}}});
    const Profile drilled =
        profileOf(kPlate.loop, tilted, test::holeGrid({0, 0}, {160, 100}, 5, 4, 6));
    struct Case {
        Profile profile;
        double distance, volume;
        Vec3 direction;
    };
    for (const Case& c :
         {Case{kSquare, 10, 1000, Vec3::unitZ}, Case{kSquare, -10, 1000, -Vec3::unitZ},
          Case{profileOf(lLoop, tilted), 5, 2000, tilted.normal()},
          Case{profileOf(clockwiseL), -5, 2000, -Vec3::unitZ},
          Case{kPlate, 10, (160 * 100 - 2 * a64) * 10, Vec3::unitZ},
          Case{kPlate, -10, (160 * 100 - 2 * a64) * 10, -Vec3::unitZ},
          Case{holedL, -5, (400 - a64Small - 12) * 5, -Vec3::unitZ},
          Case{drilled, 4, (160 * 100 - 20 * a64) * 4, tilted.normal()}}) {
        const std::size_t points = pointCount(c.profile);
        const std::size_t holes = c.profile.holes.size();
        const SolidMesh mesh = kernel.extrude(c.profile, c.distance);
        ASSERT_EQ(mesh.faces().size(), points + 2);
        EXPECT_EQ(mesh.faces()[1].polygons.size(), holes == 0 ? 1 : points + 2 * holes - 2);
        EXPECT_TRUE(isClosed(mesh));
        EXPECT_TRUE(hasVolume(mesh, c.volume));
        test::expectNear(mesh.faces()[0].normal, -c.direction);  // on the plane
        test::expectNear(mesh.faces()[1].normal, c.direction);
    }
}

TEST(Revolve, SplitsTheSweepIntoRingsAndCapsOnlyOpenSweeps) {
    struct Case {
        double angle;
        int segments;
        bool closed;
    };
    for (const Case& c :
         {Case{2 * kPi, 32, true}, Case{kPi, 16, false}, Case{0.1, 8, false},
          Case{2 * kPi - 5e-5, 32, true}, Case{10, 32, true}, Case{-kPi, 16, false}}) {
        SCOPED_TRACE(c.angle);
        const SolidMesh mesh = kernel.revolve(kRing, {}, {0, 3, 0}, c.angle);
        const int rings = c.closed ? c.segments : c.segments + 1;
        EXPECT_EQ(mesh.vertices().size(), static_cast<std::size_t>(rings * 4));
        EXPECT_EQ(mesh.faces().size(),
                  static_cast<std::size_t>(c.segments * 4 + (c.closed ? 0 : 2)));
        EXPECT_TRUE(isClosed(mesh));
        // Planar side quads make the solid exactly one wedge of the section per segment; a closed
        // sweep's last wedge reaches round to the first ring.
        const double step = std::min(std::abs(c.angle), 2 * kPi) / c.segments;
        const double last = c.closed ? 2 * kPi - step * (c.segments - 1) : step;
        const auto wedge = [](double angle) { return std::sin(angle) / 2 * (100 - 25) * 10; };
        const double volume = (c.segments - 1) * wedge(step) + wedge(last);
        EXPECT_TRUE(hasVolume(mesh, volume));
    }
    // Turning +x about +y by a positive angle heads for −z.
    EXPECT_NEAR(kernel.revolve(kRing, {}, Vec3::unitY, kPi / 2).bounds()->min.z, -10, 1e-9);
    EXPECT_NEAR(kernel.revolve(kRing, {}, Vec3::unitY, -kPi / 2).bounds()->max.z, 10, 1e-9);
}

// Each loop sweeps its own rings, so the solid is the outer loop's revolve less each hole's.
TEST(Revolve, SweepsTheHolesOfTheRegionAsWell) {
    const std::vector<Vec2> hole{{8, 3}, {8, 7}, {12, 7}, {12, 3}};
    const Profile holed = profileOf(test::rectangleLoop({5, 0}, {15, 10}), SketchPlane::xy, {hole});
    for (const double angle : {2 * kPi, kPi, -kPi / 2, 0.1}) {
        SCOPED_TRACE(angle);
        const SolidMesh mesh = kernel.revolve(holed, {}, Vec3::unitY, angle);
        EXPECT_TRUE(isClosed(mesh));
        const double outer = kernel.revolve(profileOf(holed.loop), {}, Vec3::unitY, angle).volume();
        const double inner = kernel.revolve(profileOf(hole), {}, Vec3::unitY, angle).volume();
        EXPECT_TRUE(hasVolume(mesh, outer - inner));
    }
}

TEST(PushPull, MovesTheFaceAlongItsNormalKeepingEveryFace) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    for (const double distance : {5.0, -3.0}) {
        const SolidMesh moved = kernel.pushPull(box, box.faces()[1].id, distance);
        EXPECT_TRUE(hasVolume(moved, 100 * (10 + distance)));
        EXPECT_TRUE(test::keepsFaceIds(moved, box));
    }
    EXPECT_EQ(kernel.pushPull(box, box.faces()[1].id, 0), box);
}

// Volume cut from the block's four top edges by prisms whose section is, at depth h, the strip
// from the side face to w(h), w running linearly through `rim` (points (w, h)): the section's
// area times the perimeter, less the four corners where two prisms overlap (∫ w² dh each).
double removedFromTopEdges(const std::vector<Vec2>& rim) {
    double area = 0;
    double overlap = 0;
    for (std::size_t k = 0; k + 1 < rim.size(); ++k) {
        const double w0 = rim[k].x, w1 = rim[k + 1].x, dh = rim[k + 1].y - rim[k].y;
        area += dh * (w0 + w1) / 2;
        overlap += dh * (w0 * w0 + w0 * w1 + w1 * w1) / 3;
    }
    return area * 140 - 4 * overlap;
}

TEST(Chamfer, CutsAFlatWedgeFromEveryConvexEdgeOfTheFace) {
    for (const double rho : {2.0, -2.0}) {
        const SolidMesh cut = kernel.chamfer(kBlock, kBlock.faces()[1].id, rho);
        EXPECT_TRUE(isClosed(cut));
        EXPECT_TRUE(hasVolume(cut, kBlock.volume() - removedFromTopEdges({{2, 0}, {0, 2}}), 1e-9));
        EXPECT_EQ(cut.bounds(), kBlock.bounds());
    }
    // An L prism's top face: perimeter 100, five convex corners where wedges overlap by ρ³/3.
    // Its wall at y = 10 meets the other wall in a concave edge, which is left alone.
    const SolidMesh lShape = test::lShapeMesh(10);
    const SolidMesh top = kernel.chamfer(lShape, lShape.faces()[1].id, 1);
    EXPECT_TRUE(hasVolume(top, lShape.volume() - (100 * 0.5 - 5.0 / 3), 1e-9));
    const SolidMesh wall = kernel.chamfer(lShape, lShape.faces()[4].id, 1);
    EXPECT_TRUE(hasVolume(wall, lShape.volume() - ((20 + 20 + 10) * 0.5 - 2.0 / 3), 1e-9));
    EXPECT_TRUE(isClosed(top));
    EXPECT_TRUE(isClosed(wall));
    // A lone face is no solid: refused rather than handed back as if it had nothing to cut.
    const SolidMesh sheet(kBlock.vertices(), {kBlock.faces()[1]});
    EXPECT_TRUE(test::throwsKind<KernelError>(
        [&] { return kernel.chamfer(sheet, sheet.faces()[0].id, 1); }, Kind::openOperand));
}

TEST(Fillet, RoundsEveryEdgeOfTheFaceTangentToBothFaces) {
    const double rho = 2;
    const SolidMesh round = kernel.fillet(kBlock, kBlock.faces()[1].id, rho);
    // The six-piece arc from (ρ, 0) to (0, ρ) about (ρ, ρ).
    std::vector<Vec2> arc;
    for (int k = 0; k <= 6; ++k) {
        const double a = kPi / 12 * k;
        arc.push_back({rho - rho * std::sin(a), rho - rho * std::cos(a)});
    }
    const double removed = kBlock.volume() - round.volume();
    // Closing the seams at the corners may move a few micrometre-sized slivers.
    EXPECT_NEAR(removed, removedFromTopEdges(arc), 1e-7 * removed);
    EXPECT_EQ(round.bounds(), kBlock.bounds());
    // Where two rounds meet at a corner, facets of both cutters cross on the mitre line and the
    // subtraction leaves ends a few micrometres apart; the seam repair must close them.
    for (const double r : {0.5, 1.0, 2.0, 3.0, 5.0, 7.0}) {
        EXPECT_TRUE(isClosed(kernel.fillet(kBlock, kBlock.faces()[1].id, r))) << r;
    }
}

// A prism over an isosceles trapezoid (40 wide at the bottom, 12 up each slanted side) whose
// slanted side meets the bottom at 60° and the top at 120°.
SolidMesh trapezoidPrism(double length) {
    const double h = 12 * std::sin(kPi / 3);
    const Profile section{SketchPlane::xy, {{0, 0}, {40, 0}, {34, h}, {6, h}}, {}};
    return kernel.extrude(section, length);
}

// The section a blend removes along an edge whose faces meet at `angle`: a chamfer the triangle
// with both legs `d`; a fillet the corner between the two tangent points and the six-piece arc of
// radius `d` between them.
double blendSection(EdgeBlend blend, double angle, double d) {
    if (blend == EdgeBlend::chamfer) return d * d * std::sin(angle) / 2;
    return d * d * (1 / std::tan(angle / 2) - 3 * std::sin((kPi - angle) / 6));
}

// Blending the slanted side cuts its two long edges and its two short ones at the ends; only the
// long ones grow with the prism, so the difference between two lengths is the two sections alone.
TEST(EdgeBlends, RemoveTheirExactSectionAlongSlantedEdges) {
    for (const EdgeBlend blend : {EdgeBlend::fillet, EdgeBlend::chamfer}) {
        SCOPED_TRACE(blend == EdgeBlend::fillet ? "fillet" : "chamfer");
        const auto removed = [&](double length) {
            const SolidMesh prism = trapezoidPrism(length);
            const FaceID slanted = prism.faces()[3].id;
            const SolidMesh cut = blend == EdgeBlend::fillet ? kernel.fillet(prism, slanted, 2)
                                                             : kernel.chamfer(prism, slanted, 2);
            EXPECT_TRUE(isClosed(cut));
            return prism.volume() - cut.volume();
        };
        const double perLength =
            blendSection(blend, kPi / 3, 2) + blendSection(blend, 2 * kPi / 3, 2);
        EXPECT_NEAR((removed(30) - removed(10)) / 20, perLength, 1e-6 * perLength);
    }
}

TEST(Shell, LeavesWallsExactlyAsThickAsAsked) {
    for (const double t : {2.0, 9.0}) {
        const SolidMesh hollow = kernel.shell(kBlock, t);
        EXPECT_TRUE(isClosed(hollow)) << t;
        EXPECT_TRUE(
            hasVolume(hollow, 40 * 30 * 20 - (40 - 2 * t) * (30 - 2 * t) * (20 - 2 * t), 1e-9));
    }
    const SolidMesh hollow = kernel.shell(kBlock, 2);
    const SolidMesh cavity = test::boxMesh({2, 2, 2}, {38, 28, 18});
    for (const Vec3& corner : cavity.vertices()) {
        EXPECT_NE(std::ranges::find(hollow.vertices(), corner), hollow.vertices().end());
    }
    EXPECT_EQ(kernel.shell(kBlock, -2).vertices(), hollow.vertices());
    // A 48-gon's inner sides lie 1 in from the outer ones, so its corners 1 / cos(π/48) in.
    const SolidMesh cylinder = test::cylinderMesh({0, 0, 0}, 10, 20, 48);
    const double r = 10 - 1 / std::cos(kPi / 48);
    const double inner = 24 * r * r * std::sin(kPi / 24) * 18;
    EXPECT_TRUE(hasVolume(kernel.shell(cylinder, 1), cylinder.volume() - inner, 1e-9 * inner));
}

TEST(Shell, OffsetsEachVertexSoThatEveryPlaneThroughItMovesByTheThickness) {
    const double c = std::sqrt(0.5);
    const Vec3 z = Vec3::unitZ;
    const std::vector<std::pair<std::vector<Vec3>, Vec3>> cases{
        {{z, {0, 0, 3}}, {0, 0, -2}},
        {{z, -Vec3::unitY}, {0, 2, -2}},
        {{z, Vec3::unitY, -Vec3::unitX}, {2, -2, -2}},
        {{{c, 0, c}, {-c, 0, c}, {0, c, c}, {0, -c, c}}, {0, 0, -2 / c}},  // a pyramid's apex
        {{z, -z}, {0, 0, 0}},
        {{}, {0, 0, 0}},
    };
    for (const auto& [normals, offset] : cases) {
        EXPECT_NEAR(kernel_detail::inwardOffset(normals, 2).distance(offset), 0, 1e-12);
    }
}

TEST(PolyKernel, RefusesUnusableInputWithTheSentenceTheWindowShows) {
    const auto extrude = [](const Profile& p, double d) {
        return [=] { return kernel.extrude(p, d); };
    };
    const auto revolve = [](const Profile& p, const Vec3& axis, double angle) {
        return [=] { return kernel.revolve(p, {}, axis, angle); };
    };
    const auto withHole = [](std::vector<Vec2> hole) {
        return profileOf(kSquare.loop, SketchPlane::xy, {std::move(hole)});
    };
    const FaceID top = kBlock.faces()[1].id, gone = FaceID::generate();
    const Kind invalid = Kind::invalidProfile, degenerate = Kind::degenerateResult;
    std::vector<std::tuple<std::string, std::function<SolidMesh()>, Kind>> cases{
        {"extrude 1e-10", extrude(kSquare, 1e-10), invalid},
        {"extrude NaN", extrude(kSquare, kNaN), invalid},
        {"extrude -inf", extrude(kSquare, -kInf), invalid},
        {"collinear", extrude(profileOf({{0, 0}, {5, 0}, {9, 0}}), 1), invalid},
        {"NaN point", extrude(profileOf({{0, 0}, {kNaN, 0}, {0, 1}}), 1), invalid},
        {"flat plane", extrude(profileOf(kSquare.loop, {{}, Vec3::unitX, Vec3::unitX}), 1),
         invalid},
        {"hole of two points", extrude(withHole({{4, 4}, {6, 6}}), 1), invalid},
        {"hole without area", extrude(withHole({{4, 4}, {5, 5}, {6, 6}}), 1), invalid},
        {"hole with a NaN point", extrude(withHole({{4, 4}, {kNaN, 5}, {6, 4}}), 1), invalid},
        {"revolve hole of two points", revolve(withHole({{4, 4}, {6, 6}}), Vec3::unitY, 1),
         invalid},
        {"revolve hole without area", revolve(withHole({{4, 4}, {5, 5}, {6, 6}}), Vec3::unitY, 1),
         invalid},
        {"revolve two points", revolve(profileOf({{5, 0}, {9, 0}}), Vec3::unitY, 1), invalid},
        {"revolve 1e-7", revolve(kRing, Vec3::unitY, 1e-7), invalid},
        {"revolve inf", revolve(kRing, Vec3::unitY, kInf), invalid},
        {"NaN axis", revolve(kRing, {kNaN, 1, 0}, 1), invalid},
        {"zero axis", revolve(kRing, Vec3::zero, 1), degenerate},
        {"in its own plane", revolve(kRing, Vec3::unitZ, 1), degenerate},
        {"pushPull unknown face", [=] { return kernel.pushPull(kBlock, gone, 1); },
         Kind::faceNotFound},
        {"pushPull NaN", [=] { return kernel.pushPull(kBlock, top, kNaN); }, degenerate},
        {"fillet unknown face", [=] { return kernel.fillet(kBlock, gone, 1); }, Kind::faceNotFound},
        {"chamfer unknown face", [=] { return kernel.chamfer(kBlock, gone, 1); },
         Kind::faceNotFound},
    };
    for (const double d : {1e-7, -1e-7, kNaN, kInf}) {
        cases.push_back({"fillet " + std::to_string(d),
                         [=] { return kernel.fillet(kBlock, top, d); }, degenerate});
        cases.push_back({"chamfer " + std::to_string(d),
                         [=] { return kernel.chamfer(kBlock, top, d); }, degenerate});
    }
    // 10 and more leave no cavity in a body 20 thick. At 16 the inner copy is turned over along y
    // and z: it encloses a positive volume again, but every face of it points the wrong way.
    for (const double t : {1e-7, kNaN, kInf, 10.0, 15.0, 16.0}) {
        cases.push_back(
            {"shell " + std::to_string(t), [=] { return kernel.shell(kBlock, t); }, degenerate});
    }
    const std::map<Kind, std::string> messages{
        {invalid, "The selected region is not a closed profile."},
        {degenerate, "The operation produced no solid geometry."},
        {Kind::faceNotFound, "The face no longer exists."}};
    for (const auto& [name, operation, kind] : cases) {
        EXPECT_TRUE(test::throwsKind<KernelError>(operation, kind, messages.at(kind))) << name;
    }
}

TEST(KernelInterface, TheExactKernelIsUnavailableAndRefusesEveryOperation) {
    const OCCTKernel k;
    EXPECT_FALSE(k.isAvailable());
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    const FaceID top = box.faces()[1].id;
    const std::vector<std::function<SolidMesh()>> operations{
        [&] { return k.extrude(kSquare, 5); },
        [&] { return k.pushPull(box, top, 1); },
        [&] { return k.boolean(box, box, BooleanOp::unite); },
        [&] { return k.revolve(kSquare, {}, Vec3::unitY, 1); },
        [&] { return k.chamfer(box, top, 1); },
        [&] { return k.fillet(box, top, 1); },
        [&] { return k.shell(box, 1); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        EXPECT_TRUE(test::throwsKind<KernelError>(
            operations[i], Kind::unavailable,
            "Geometry kernel unavailable: no exact-geometry kernel is built into this program"))
            << i;
    }
}

// Every long operation checks its progress as it goes: told to stop at its first check, at one
// in the middle or at its last, it throws Cancelled there and goes no further.
TEST(KernelProgress, LongOperationsStopAtTheCheckTheyWereToldTo) {
    const PolyKernel k;
    const SolidMesh box = test::boxMesh({0, 0, 0}, {20, 20, 20});
    const SolidMesh ball = test::sphereMesh({20, 20, 20}, 8, 48, 24);
    const FaceID top = box.faces()[1].id;
    const std::vector<std::pair<std::string, std::function<SolidMesh(Progress&)>>> operations{
        {"boolean", [&](Progress& p) { return k.boolean(box, ball, BooleanOp::subtract, p); }},
        {"fillet", [&](Progress& p) { return k.fillet(box, top, 2, p); }},
        {"chamfer", [&](Progress& p) { return k.chamfer(box, top, 2, p); }},
        {"shell", [&](Progress& p) { return k.shell(box, 2, p); }},
    };
    for (const auto& [name, operation] : operations) {
        Progress whole;
        (void)operation(whole);
        const std::uint64_t checks = whole.checks();
        ASSERT_GT(checks, 3U) << name;
        for (const std::uint64_t at : {std::uint64_t{0}, checks / 2, checks - 1}) {
            Progress stopping;
            stopping.cancelAtCheck(at);
            EXPECT_THROW((void)operation(stopping), Cancelled) << name << " at " << at;
            EXPECT_EQ(stopping.checks(), at + 1) << name;
        }
    }
}

}  // namespace
}  // namespace brontile
