// Solids made from profiles (extrude, revolve) and moved faces (push/pull): closed, wound
// outward, with the expected structure and volume, and refusing what is not a profile.
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

#include "kernel/kernel_error.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/error_checks.hpp"
#include "support/geometry_checks.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

using Kind = KernelError::Kind;
using test::hasVolume;
using test::isClosed;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = std::numbers::pi;
const PolyKernel kernel;

Profile profileOf(std::vector<Vec2> loop, const SketchPlane& plane = SketchPlane::xy) {
    return {plane, std::move(loop), {}};
}
const Profile kSquare = profileOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
// An annulus section 5..10 from the y axis, 10 high.
const Profile kRing = profileOf({{5, 0}, {10, 0}, {10, 10}, {5, 10}});

TEST(Extrude, SweepsAlongTheSignedNormalIntoAClosedSolid) {
    const SketchPlane tilted({1, 2, 3}, Vec3::unitX, {0, 0.6, 0.8});
    const std::vector<Vec2> lLoop{{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 20}, {0, 20}};
    const std::vector<Vec2> clockwiseL(lLoop.rbegin(), lLoop.rend());  // must still face out
    struct Case {
        Profile profile;
        double distance, volume;
        Vec3 direction;
    };
    for (const Case& c :
         {Case{kSquare, 10, 1000, Vec3::unitZ}, Case{kSquare, -10, 1000, -Vec3::unitZ},
          Case{profileOf(lLoop, tilted), 5, 2000, tilted.normal()},
          Case{profileOf(clockwiseL), -5, 2000, -Vec3::unitZ}}) {
        const SolidMesh mesh = kernel.extrude(c.profile, c.distance);
        ASSERT_EQ(mesh.faces().size(), c.profile.loop.size() + 2);
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

TEST(PushPull, MovesTheFaceAlongItsNormalKeepingEveryFace) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    for (const double distance : {5.0, -3.0}) {
        const SolidMesh moved = kernel.pushPull(box, box.faces()[1].id, distance);
        EXPECT_TRUE(hasVolume(moved, 100 * (10 + distance)));
        EXPECT_TRUE(test::keepsFaceIds(moved, box));
    }
    EXPECT_EQ(kernel.pushPull(box, box.faces()[1].id, 0), box);
}

TEST(Extrude, RevolveAndPushPullRefuseBadInput) {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    const double inf = std::numeric_limits<double>::infinity();
    const auto extrude = [](const Profile& p, double d) {
        return [=] { return kernel.extrude(p, d); };
    };
    const auto revolve = [](const Profile& p, const Vec3& axis, double angle) {
        return [=] { return kernel.revolve(p, {}, axis, angle); };
    };
    const auto pushPull = [&](const FaceID& face, double d) {
        return [=, &box] { return kernel.pushPull(box, face, d); };
    };
    const Kind invalid = Kind::invalidProfile, degenerate = Kind::degenerateResult;
    const std::vector<std::tuple<const char*, std::function<SolidMesh()>, Kind>> cases{
        {"extrude 1e-10", extrude(kSquare, 1e-10), invalid},
        {"extrude NaN", extrude(kSquare, kNaN), invalid},
        {"extrude -inf", extrude(kSquare, -inf), invalid},
        {"collinear", extrude(profileOf({{0, 0}, {5, 0}, {9, 0}}), 1), invalid},
        {"NaN point", extrude(profileOf({{0, 0}, {kNaN, 0}, {0, 1}}), 1), invalid},
        {"flat plane", extrude(profileOf(kSquare.loop, {{}, Vec3::unitX, Vec3::unitX}), 1),
         invalid},
        {"revolve two points", revolve(profileOf({{5, 0}, {9, 0}}), Vec3::unitY, 1), invalid},
        {"revolve 1e-7", revolve(kRing, Vec3::unitY, 1e-7), invalid},
        {"revolve inf", revolve(kRing, Vec3::unitY, inf), invalid},
        {"NaN axis", revolve(kRing, {kNaN, 1, 0}, 1), invalid},
        {"zero axis", revolve(kRing, Vec3::zero, 1), degenerate},
        {"in its own plane", revolve(kRing, Vec3::unitZ, 1), degenerate},
        {"pushPull unknown face", pushPull(FaceID::generate(), 1), Kind::faceNotFound},
        {"pushPull NaN", pushPull(box.faces()[1].id, kNaN), degenerate},
    };
    // Each kind with the sentence the window shows for it.
    const std::map<Kind, std::string> messages{
        {invalid, "The selected region is not a closed profile."},
        {degenerate, "The operation produced no solid geometry."},
        {Kind::faceNotFound, "The face no longer exists."}};
    for (const auto& [name, operation, kind] : cases) {
        EXPECT_TRUE(test::throwsKind<KernelError>(operation, kind, messages.at(kind))) << name;
    }
}

}  // namespace
}  // namespace brontile
