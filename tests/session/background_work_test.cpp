// Long operations and drag previews handed to the platform's worker, looked at mid-way: what
// the session lets a person do while one runs, what Escape does, and which results land.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/app_command_id.hpp"
#include "session/preview_runner.hpp"
#include "session/session_fixture.hpp"

namespace brontile {
namespace {

namespace App = AppCommandID;
using test::SessionFixture;

// Two overlapping boxes, added as one step.
void addTwoBoxes(DocumentSession& session) {
    session.interaction().mutate("Add Boxes", [](CADDocument& document) {
        document.addBody(test::boxMesh({0, 0, 0}, {10, 10, 10}));
        document.addBody(test::boxMesh({5, 5, 5}, {15, 15, 15}));
    });
}

// The two boxes, both selected, with a union under way and its work held back.
struct UnionUnderWay : SessionFixture {
    UnionUnderWay() {
        addTwoBoxes(*session);
        session->dispatch(App::editSelectAll);
        platform.holdBackground();
        session->dispatch(App::toolUnion);
    }
};

TEST(BackgroundWork, WhileAnOperationRunsOnlyTheViewAndTheSelectionStayLive) {
    UnionUnderWay f;
    DocumentSession& s = *f.session;
    ASSERT_TRUE(s.operations().isBusy());
    EXPECT_EQ(s.operations().phase(), "Uniting");
    const auto version = s.historyVersion();

    for (const CommandID& id : {App::editUndo, App::toolExtrude, App::editDelete}) {
        EXPECT_FALSE(s.isAvailable(id)) << id.rawValue;
        s.dispatch(id);
        EXPECT_EQ(s.statusMessage(), "Uniting\u2026 Press Escape to cancel.");
    }
    s.interaction().mutate("Sneak", [](CADDocument& document) { document.bodies.clear(); });
    EXPECT_EQ(s.document().bodies.size(), 2U);
    EXPECT_EQ(s.historyVersion(), version);
    EXPECT_EQ(s.activeToolID(), ToolID::unite);

    for (const CommandID& id : {App::viewFrameAll, App::editDeselect, App::toolCancel}) {
        EXPECT_TRUE(s.isAvailable(id)) << id.rawValue;
    }
    s.dispatch(App::editDeselect);
    EXPECT_TRUE(s.selection().bodies.empty());
    // A click picks the face under it; a drag orbits.
    const Vec2 top = f.screenAt({12, 12, 15});
    s.input().pointer(PointerPhase::down, top, {}, 1);
    s.input().pointer(PointerPhase::up, top, {}, 1);
    EXPECT_EQ(s.selection().faces.size(), 1U);
    const Vec3 eye = s.viewport().camera.position();
    s.input().pointer(PointerPhase::down, top, {}, 1);
    s.input().pointer(PointerPhase::drag, top + Vec2{40, 0}, {}, 1);
    s.input().pointer(PointerPhase::up, top + Vec2{40, 0}, {}, 1);
    EXPECT_NE(s.viewport().camera.position(), eye);
    EXPECT_EQ(s.selection().faces.size(), 1U);

    f.platform.releaseBackground();
    EXPECT_FALSE(s.operations().isBusy());
    EXPECT_EQ(s.document().bodies.size(), 1U);
    EXPECT_EQ(s.history().undoActionName(), "Union");
}

TEST(BackgroundWork, EscapeGivesTheSessionBackAtOnceAndTheLateResultIsDropped) {
    UnionUnderWay f;
    DocumentSession& s = *f.session;
    const CADDocument before = s.document();
    const auto version = s.historyVersion();
    s.dispatch(App::toolCancel);
    EXPECT_FALSE(s.operations().isBusy());
    EXPECT_EQ(s.statusMessage(), "Cancelled");
    f.platform.releaseBackground();
    EXPECT_EQ(s.document(), before);
    EXPECT_EQ(s.historyVersion(), version);
    EXPECT_EQ(s.statusMessage(), "Cancelled");
    // The session takes the next operation as if nothing had happened.
    s.dispatch(App::editSelectAll);
    s.dispatch(App::toolUnion);
    f.platform.releaseBackground();
    EXPECT_EQ(s.document().bodies.size(), 1U);
}

// Records which previews were worked out already stopped, and which showed.
struct PreviewLog {
    std::vector<std::string> stopped;
    std::vector<std::string> shown;
    PreviewRunner::Work work(std::string name) {
        return [this, name](Progress& progress) {
            if (progress.isCancelled()) stopped.push_back(name);
            return PreviewRunner::Show([this, name] { shown.push_back(name); });
        };
    }
};

TEST(BackgroundWork, OnlyTheNewestPreviewShowsAndOneWorksAtATime) {
    ScriptedPlatform platform{DateTime{}};
    PreviewRunner previews(platform);
    PreviewLog log;
    previews.request(log.work("quick"));
    EXPECT_EQ(log.shown, (std::vector<std::string>{"quick"}));

    platform.holdBackground();
    previews.request(log.work("slow"));
    previews.request(log.work("older"));
    previews.request(log.work("newest"));
    EXPECT_EQ(platform.heldBackground(), 1U);
    platform.releaseBackground();
    EXPECT_EQ(log.stopped, (std::vector<std::string>{"slow"}));
    EXPECT_EQ(log.shown, (std::vector<std::string>{"quick", "newest"}));

    previews.request(log.work("dropped"));
    previews.drop();
    platform.releaseBackground();
    EXPECT_EQ(log.shown.size(), 2U);
}

}  // namespace
}  // namespace brontile
