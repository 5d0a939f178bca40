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
        s.interaction().setOverlay(SceneOverlay{{{}}, {}, {}, {}, {}});
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

}  // namespace
}  // namespace brontile
