// The session as the window sees it: its start, the commands of every group through the command
// table, what observers hear, and how long an error stays on show.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "session/command_table.hpp"
#include "session/session_fixture.hpp"

namespace brontile {
namespace {

using test::SessionFixture;

TEST(DocumentSession, StartsUntitledCleanWithTheSelectToolAndTheWelcome) {
    SessionFixture f;
    const DocumentSession& s = *f.session;
    EXPECT_EQ(s.document().metadata.title, "Untitled");
    EXPECT_EQ(s.windowTitle(), "Untitled");
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    EXPECT_EQ(s.statusHint(), s.tools().active().hint());
    EXPECT_EQ(s.statusMessage(), std::string(DocumentSession::kWelcomeHint));
    EXPECT_FALSE(s.isDirty());
    EXPECT_EQ(s.historyVersion(), 0);
}

TEST(DocumentSession, UndoAndRedoSayWhichStepMovedAndClearThePreview) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    f.addBox();
    EXPECT_EQ(s.windowTitle(), "Untitled \u2014 Edited");
    s.dispatch("edit.undo");
    EXPECT_TRUE(s.document().bodies.empty());
    EXPECT_EQ(s.statusMessage(), "Undo Add Box");
    EXPECT_EQ(s.historyVersion(), 2);
    s.dispatch("edit.redo");
    EXPECT_EQ(s.document().bodies.size(), 1U);
    EXPECT_EQ(s.statusMessage(), "Redo Add Box");
    // Nothing left to redo: the version still moves, no message, the preview and HUD go.
    s.interaction().setHud(
        HUDState{"Distance", 3.0, std::nullopt, true, std::nullopt, HUDQuantity::length});
    s.interaction().setOverlay(SceneOverlay{{{}}, {}, {}, {}, {}, {}});
    s.dispatch("edit.redo");
    EXPECT_EQ(s.historyVersion(), 4);
    EXPECT_FALSE(s.statusMessage());
    EXPECT_FALSE(s.hud());
    EXPECT_EQ(s.interaction().overlay(), SceneOverlay::empty);
}

TEST(DocumentSession, ObserversHearWhichPublishedPropertyChanged) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    std::vector<SessionProperty> heard;
    s.observe([&](SessionProperty p) { heard.push_back(p); });
    const auto heardOf = [&](SessionProperty p) {
        return std::ranges::find(heard, p) != heard.end();
    };
    const BodyID box = f.addBox();
    EXPECT_TRUE(heardOf(SessionProperty::document));
    EXPECT_TRUE(heardOf(SessionProperty::isDirty));
    EXPECT_TRUE(heardOf(SessionProperty::historyVersion));
    heard.clear();
    s.editing().selectBody(box, false);
    s.dispatch("tool.extrude");
    s.dispatch("view.section");
    for (const auto p :
         {SessionProperty::selection, SessionProperty::activeToolID, SessionProperty::statusHint,
          SessionProperty::showSection, SessionProperty::statusMessage}) {
        EXPECT_TRUE(heardOf(p)) << static_cast<int>(p);
    }
    EXPECT_FALSE(heardOf(SessionProperty::document));
}

TEST(DocumentSession, SketchesStartOnTheChosenPlaneAndUndoEndsThem) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    s.dispatch("sketch.newFront");
    ASSERT_TRUE(s.activeSketch());
    EXPECT_EQ(s.activeSketch()->plane, SketchPlane::xz);
    EXPECT_EQ(s.activeToolID(), ToolID::line);
    EXPECT_EQ(s.statusMessage(), "Sketching on " + s.activeSketch()->name +
                                     ". Draw a closed shape, then press E to extrude.");
    s.dispatch("sketch.finish");
    EXPECT_FALSE(s.activeSketchID());
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    // Undoing the step that made the active sketch leaves no active sketch.
    s.dispatch("sketch.newRight");
    s.dispatch("edit.undo");
    EXPECT_FALSE(s.activeSketchID());
    // Undo abandons a shape under way.
    s.dispatch("sketch.newTop");
    s.dispatch("tool.circle");
    f.pressAt(1, 2);
    ASSERT_TRUE(s.tools().active().isBusy());
    s.dispatch("edit.undo");
    EXPECT_FALSE(s.tools().active().isBusy());

    EXPECT_EQ(s.document().sketches.size(), 1U);
}

TEST(DocumentSession, RepeatLastRunsTheLastRememberedToolCommand) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    s.dispatch("edit.repeatLast");
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    s.dispatch("tool.extrude");
    s.dispatch("tool.select");
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    s.dispatch("edit.repeatLast");
    EXPECT_EQ(s.activeToolID(), ToolID::extrude);
    // Escape from an idle tool goes back to Select.
    s.dispatch("tool.cancel");
    EXPECT_EQ(s.activeToolID(), ToolID::select);
}

TEST(DocumentSession, ViewCommandsChangeNoHistory) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    s.dispatch("view.section");
    EXPECT_EQ(s.statusMessage(), "Section view on");
    s.dispatch("view.section");
    EXPECT_EQ(s.statusMessage(), "Section view off");
    EXPECT_FALSE(s.showSection());
    s.dispatch("view.toggleGrid");
    EXPECT_FALSE(s.document().showGrid);
    EXPECT_TRUE(s.isDirty());
    EXPECT_FALSE(s.history().canUndo());
    EXPECT_EQ(s.historyVersion(), 0);
    s.dispatch("no.such.command");
    EXPECT_EQ(s.statusMessage(), "Unhandled command no.such.command");
}

TEST(DocumentSession, BodiesHideIsolateAndShowAgain) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    const BodyID a = f.addBox();
    const BodyID b = f.addBox();
    s.dispatch("body.hide");  // nothing selected: nothing happens
    EXPECT_TRUE(s.document().body(a)->isVisible);
    s.interaction().setSelection(Selection{{a}, {}, {}, {}, {}});
    s.dispatch("body.isolate");
    EXPECT_TRUE(s.document().body(a)->isVisible);
    EXPECT_FALSE(s.document().body(b)->isVisible);
    EXPECT_EQ(s.history().undoActionName(), "Isolate");
    s.dispatch("body.hide");
    EXPECT_FALSE(s.document().body(a)->isVisible);
    EXPECT_TRUE(s.selection().isEmpty());
    s.dispatch("body.showAll");
    EXPECT_TRUE(s.document().body(a)->isVisible && s.document().body(b)->isVisible);
    s.dispatch("edit.selectAll");
    EXPECT_EQ(s.selection().bodies.size(), 2U);
}

// Every command of the registry does something and every handler belongs to a command, so a
// command is one row in each; every key the shipped profile binds reaches a command.
TEST(DocumentSession, EveryCommandHasAHandlerAndEveryShippedKeyACommand) {
    SessionFixture f;
    const CommandRegistry& registry = f.session->registry();
    const CommandTable& table = CommandTable::standard();
    for (const auto& entry : registry.allEntries()) {
        EXPECT_TRUE(table.find(entry.id)) << entry.id.rawValue;
    }
    for (const CommandID& id : table.ids()) EXPECT_TRUE(registry.entry(id)) << id.rawValue;
    const auto shipped = KeymapStore::loadDefaultReporting();
    ASSERT_FALSE(shipped.problem) << *shipped.problem;
    for (const KeyBinding& binding : shipped.store.profile().bindings) {
        EXPECT_TRUE(registry.entry(binding.command)) << binding.command.rawValue;
    }
}

// An error says what went wrong with the last thing the person did: it stays while they look
// around, and goes when something they do next works or when they close it.
TEST(DocumentSession, AnErrorStaysUntilTheNextActionThatSucceeds) {
    SessionFixture f;
    DocumentSession& s = *f.session;
    const auto refuse = [&] {
        s.interaction().mutate("Break", [](CADDocument&) { throw std::runtime_error("No."); });
        ASSERT_EQ(s.errorMessage(), "No.");
    };
    const std::vector<std::pair<std::string, std::function<void()>>> successes{
        {"a recorded change", [&] { f.addBox(); }},
        {"a tool chosen", [&] { s.dispatch("tool.move"); }},
        {"a new document",
         [&] {
             f.platform.answerAlert("Discard");
             s.dispatch("file.new");
         }},
        {"closed by the person", [&] { s.status().dismissError(); }},
    };
    for (const auto& [name, success] : successes) {
        refuse();
        for (const char* looking : {"view.section", "view.top", "edit.selectAll", "edit.undo"}) {
            s.dispatch(looking);
        }
        EXPECT_EQ(s.errorMessage(), "No.") << name;
        success();
        EXPECT_FALSE(s.errorMessage()) << name;
    }
    // A tool that switches itself back after a failed commit keeps the failure on show.
    refuse();
    s.interaction().setTool(ToolID::select);
    EXPECT_EQ(s.errorMessage(), "No.");
}

// Without the shipped bindings, only the built-in three keys work: the person is told at once.
TEST(DocumentSession, AMissingShortcutsBundleIsSaidOnTheErrorLine) {
    ScriptedPlatform platform{DateTime{}};
    const DocumentSession s(platform, KeymapStore::loadDefaultReporting({}));
    ASSERT_TRUE(s.errorMessage());
    EXPECT_NE(s.errorMessage()->find("were not found"), std::string::npos);
    EXPECT_EQ(s.keymapProblem(), s.errorMessage());
    EXPECT_EQ(s.keymap().profile(), KeymapProfile::builtInFallback());
    EXPECT_EQ(s.statusMessage(), std::string(DocumentSession::kWelcomeHint));
}

}  // namespace
}  // namespace brontile
