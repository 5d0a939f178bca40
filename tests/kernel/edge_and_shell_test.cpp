// Fillet, chamfer and shell judged by what they remove: the exact volume of every cut, convex
// edges only, and walls exactly as thick as asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "kernel/edge_cutter.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/poly_kernel.hpp"
#include "kernel/vertex_offset.hpp"
#include "support/error_checks.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using kernel_detail::EdgeBlend;
using test::hasVolume;
using test::isClosed;

constexpr double kPi = std::numbers::pi;
const PolyKernel kernel;
// 40 × 30 × 20; its top face is faces()[1].
const SolidMesh kBlock = test::boxMesh({0, 0, 0}, {40, 30, 20});

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
    EXPECT_TRUE(
        test::throwsKind<KernelError>([&] { return kernel.chamfer(sheet, sheet.faces()[0].id, 1); },
                                      KernelError::Kind::openOperand));
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
    // The smooth round would take (1 − π/4)ρ² per unit of edge, less (5/3 − π/2)ρ³ per corner.
    const double smooth =
        (1 - kPi / 4) * rho * rho * 140 - 4 * std::pow(rho, 3) * (5.0 / 3 - kPi / 2);
    EXPECT_NEAR(removed, smooth, 0.05 * smooth);
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
    // The six-piece arc runs just inside the true round, whose section is r²(cot(θ/2) − (π − θ)/2).
    for (const double angle : {kPi / 3, kPi / 2, 2 * kPi / 3}) {
        const double round = 1 / std::tan(angle / 2) - (kPi - angle) / 2;
        EXPECT_NEAR(blendSection(EdgeBlend::fillet, angle, 1), round + 0.012, 0.012) << angle;
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

TEST(EdgeBlends, AndShellRefuseUnusableInput) {
    using Kind = KernelError::Kind;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto refused = [](auto operation, Kind kind) {
        return test::throwsKind<KernelError>(operation, kind);
    };
    const FaceID top = kBlock.faces()[1].id, gone = FaceID::generate();
    const Kind degenerate = Kind::degenerateResult;
    for (const double length : {1e-7, -1e-7, nan, inf}) {
        EXPECT_TRUE(refused([&] { return kernel.fillet(kBlock, top, length); }, degenerate));
        EXPECT_TRUE(refused([&] { return kernel.chamfer(kBlock, top, length); }, degenerate));
    }
    EXPECT_TRUE(refused([&] { return kernel.fillet(kBlock, gone, 1); }, Kind::faceNotFound));
    EXPECT_TRUE(refused([&] { return kernel.chamfer(kBlock, gone, 1); }, Kind::faceNotFound));
    // 10 and more leave no cavity in a body 20 thick. At 16 the inner copy is turned over along y
    // and z: it encloses a positive volume again, but every face of it points the wrong way.
    for (const double thickness : {1e-7, nan, inf, 10.0, 15.0, 16.0}) {
        EXPECT_TRUE(test::throwsKind<KernelError>([&] { return kernel.shell(kBlock, thickness); },
                                                  degenerate,
                                                  "The operation produced no solid geometry."))
            << thickness;
    }
}

}  // namespace
}  // namespace brontile
