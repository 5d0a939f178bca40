#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "session/session_fixture.hpp"

namespace brontile {
namespace {

using test::SessionFixture;

// The viewport's scene comes from the session's chunk cache: a hover recolours one face over the
// body's kept chunk, and an edit of the body gives it a new one. The scene is built again after
// a change of anything it shows, and only then.
TEST(SceneFeed, RebuildsOnChangesItShowsAndKeepsABodysChunkUntilTheBodyChanges) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    ViewportState& view = s.viewport();
    const auto rebuiltAfter = [&](const std::function<void()>& change) {
        static_cast<void>(view.rebuildIfNeeded());
        change();
        return view.needsRebuild;
    };
    EXPECT_FALSE(rebuiltAfter([&] { s.status().setMessage("Nothing drawn"); }));
    EXPECT_FALSE(rebuiltAfter([&] { s.dispatch("tool.extrude"); }));
    const BodyID id = f.addBox();
    EXPECT_TRUE(rebuiltAfter([&] { s.editing().selectBody(id, false); }));
    EXPECT_TRUE(rebuiltAfter([&] { s.dispatch("view.section"); }));
    EXPECT_TRUE(rebuiltAfter([&] { s.dispatch("view.top"); }));
    EXPECT_TRUE(rebuiltAfter([&] {
        s.interaction().setOverlay(SceneOverlay{{{}}, {}, {}, {}, {}, {}});
    }));
    EXPECT_TRUE(rebuiltAfter([&] { s.dispatch("sketch.new"); }));
    EXPECT_TRUE(rebuiltAfter([&] { f.addBox(); }));
    ASSERT_TRUE(view.rebuildIfNeeded() || !view.needsRebuild);
    ASSERT_EQ(view.scene.bodies.size(), 2U);
    const std::shared_ptr<const BodyChunk> chunk = view.scene.bodies[0].chunk;

    s.interaction().setHover(FaceRef{id, s.document().bodies[0].mesh.faces()[2].id});
    ASSERT_TRUE(view.rebuildIfNeeded());
    EXPECT_EQ(view.scene.bodies[0].chunk, chunk);
    EXPECT_EQ(view.scene.bodies[0].recolors.size(), 1U);

    s.interaction().mutate("Move", [](CADDocument& d) {
        d.bodies[0].mesh = d.bodies[0].mesh.translated({1, 0, 0});
    });
    ASSERT_TRUE(view.rebuildIfNeeded());
    EXPECT_NE(view.scene.bodies[0].chunk->revision, chunk->revision);
}

// The section: a main plane through the middle of the bodies, moved by a typed offset or by its
// arrow, laid on a clicked face; the scene cuts where it is, and what it cuts away is not picked.
TEST(SceneFeed, TheSectionPlaneIsChosenMovedAndCutsPicksAway) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    f.addBox();  // 0…10 on every axis
    const auto plane = [&] { return s.interaction().sectionPlane(); };
    s.dispatch("view.sectionTop");
    EXPECT_TRUE(s.showSection());
    EXPECT_EQ(plane(), (SectionPlane{Vec3::zero, {0, 0, 1}, 5}));
    s.dispatch("view.section");
    s.dispatch("view.section");
    EXPECT_TRUE(s.showSection());
    EXPECT_EQ(plane().normal, (Vec3{0, 0, 1})) << "turned off and on, the cut stays";
    s.viewport().rebuildIfNeeded();
    EXPECT_EQ(s.viewport().scene.section, plane());

    // Looking down, the top face is cut away: the pick goes through to the bottom face, seen
    // from inside; looking up at the box from below the cut finds the bottom face as before.
    const Ray down({5, 5, 50}, {0, 0, -1});
    const auto hit = s.interaction().hitTest(down);
    ASSERT_TRUE(hit);
    EXPECT_NEAR(hit->point.z, 0, 1e-9);
    s.dispatch("view.sectionRight");
    EXPECT_FALSE(s.interaction().hitTest(Ray({50, 5, 5}, {1, 0, 0}))) << "only cut-away space";

    // The tool types an offset, drags its arrow, and lays the plane on a clicked face.
    s.dispatch("tool.section");
    EXPECT_EQ(s.hud()->label, "Offset");
    s.interaction().activeTool().hudCommit(2, s.interaction());
    EXPECT_EQ(plane().offset, 2);
    const SceneOverlay& overlay = s.interaction().overlay();
    ASSERT_EQ(overlay.arrows.size(), 1U);
    const Vec3 tip = overlay.arrows[0].gizmo(s.viewport().worldUnitsPerPixel()).tip();
    const Vec3 along = tip + plane().normal * 3;
    s.input().pointer(PointerPhase::down, f.screenAt(tip - plane().normal * 0.5), {}, 1);
    s.input().pointer(PointerPhase::drag, f.screenAt(along), {}, 1);
    s.input().pointer(PointerPhase::up, f.screenAt(along), {}, 1);
    EXPECT_NEAR(plane().offset, 5.5, 1.0) << "rounded to whole millimetres while dragged";
    s.dispatch("view.front");
    s.input().pointer(PointerPhase::down, f.screenAt({2, 0, 5}), {}, 1);
    s.input().pointer(PointerPhase::up, f.screenAt({2, 0, 5}), {}, 1);
    EXPECT_EQ(plane().normal, (Vec3{0, -1, 0}));
    EXPECT_NEAR(plane().signedDistance({0, 0, 0}), 0, 1e-9) << "on the front face";
}

}  // namespace
}  // namespace brontile
