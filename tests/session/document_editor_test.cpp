// The document and its history: which changes are recorded, which are refused whole, and what
// undo and redo put back (never the grid or the title, which are not steps).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "session/document_editor.hpp"
#include "session/scripted_platform.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

struct EditorFixture {
    ScriptedPlatform platform{DateTime{} + std::chrono::hours(24)};
    SessionNotifier notifier;
    DocumentEditor editor{notifier, platform};
    std::vector<SessionProperty> heard;

    EditorFixture() {
        notifier.observe([this](SessionProperty p) { heard.push_back(p); });
    }

    DocumentEditor::Outcome addBox() {
        return editor.record("Add Box", [](CADDocument& document) {
            document.addBody(test::boxMesh({0, 0, 0}, {10, 10, 10}));
        });
    }
};

TEST(DocumentEditor, RecordsRealChangesOnlyAndStepsThemByName) {
    EditorFixture f;
    DocumentEditor& e = f.editor;
    const DateTime created = e.document().metadata.modifiedAt;
    f.platform.advance(5);
    EXPECT_FALSE(e.record("Nothing", [](CADDocument&) {}).recorded);
    EXPECT_EQ(e.historyVersion(), 0);
    EXPECT_FALSE(e.isDirty());
    EXPECT_EQ(e.document().metadata.modifiedAt, created);
    EXPECT_TRUE(f.heard.empty());

    EXPECT_TRUE(f.addBox().recorded);
    EXPECT_EQ(e.historyVersion(), 1);
    EXPECT_TRUE(e.isDirty());
    EXPECT_EQ(e.history().undoActionName(), "Add Box");
    EXPECT_EQ(e.document().metadata.modifiedAt, f.platform.now());
    EXPECT_EQ(f.heard, (std::vector{SessionProperty::document, SessionProperty::isDirty,
                                    SessionProperty::historyVersion}));

    EXPECT_EQ(e.undo().name, "Add Box");
    EXPECT_TRUE(e.document().bodies.empty());
    EXPECT_EQ(e.redo().name, "Add Box");
    EXPECT_EQ(e.document().bodies.size(), 1U);
    // Nothing left to redo: no step, but the version still moves.
    EXPECT_FALSE(e.redo().name);
    EXPECT_EQ(e.historyVersion(), 4);
    // A document put in place of this one comes without history or unsaved changes.
    e.replace(CADDocument::empty("Opened"));
    EXPECT_FALSE(e.history().canUndo() || e.isDirty());
    EXPECT_EQ(e.historyVersion(), 5);
}

TEST(DocumentEditor, RefusesChangesThatFailOrWouldMakeTheDocumentUnsavable) {
    EditorFixture f;
    DocumentEditor& e = f.editor;
    f.addBox();
    const CADDocument before = e.document();
    const auto moved = [](double far) {
        return [far](CADDocument& d) {
            d.bodies.front().mesh = d.bodies.front().mesh.translated({far, 0, 0});
        };
    };
    const struct {
        std::string name;
        DocumentEditor::Change change;
        std::string error;
    } rows[] = {
        // Infinite coordinates, and finite ones whose volume would overflow.
        {"Scale", moved(std::numeric_limits<double>::infinity()),
         "\u201CScale\u201D was not applied"},
        {"Scale", moved(1e200), "\u201CScale\u201D was not applied"},
        // Sketch geometry out of all reach, as a huge typed radius would make.
        {"Sketch Polygon",
         [](CADDocument& d) {
             d.addSketch(SketchPlane::xy);
             d.sketches.back().entities.push_back(
                 {SketchEntityID::generate(), SketchLine{{0, 0}, {1e160, 0}}, false});
         },
         "\u201CSketch Polygon\u201D was not applied"},
        // A change that fails part way is dropped whole.
        {"Push/Pull",
         [](CADDocument& d) {
             d.bodies.clear();
             throw std::runtime_error("The face is gone.");
         },
         "The face is gone."},
    };
    for (const auto& row : rows) {
        const auto outcome = e.record(row.name, row.change);
        EXPECT_FALSE(outcome.recorded);
        ASSERT_TRUE(outcome.error) << row.name;
        EXPECT_EQ(outcome.error->rfind(row.error, 0), 0U) << *outcome.error;
    }
    EXPECT_EQ(e.document(), before);
    EXPECT_EQ(e.historyVersion(), 1);
}

// Undo and redo put back the model, not the view setting the person last chose nor the name the
// last save gave, which the next save writes into the file.
TEST(DocumentEditor, TheGridAndTheTitleAreNotSteps) {
    EditorFixture f;
    DocumentEditor& e = f.editor;
    f.addBox();
    e.toggleGrid();
    EXPECT_TRUE(e.isDirty());
    EXPECT_EQ(e.historyVersion(), 1) << "the grid is no step";
    CADDocument saved = e.document();
    saved.metadata.title = "peg";
    e.markSaved(saved);
    EXPECT_FALSE(e.isDirty());
    f.addBox();
    for (const auto& step : {&DocumentEditor::undo, &DocumentEditor::undo, &DocumentEditor::redo}) {
        static_cast<void>((e.*step)());
        EXPECT_FALSE(e.document().showGrid);
        EXPECT_EQ(e.document().metadata.title, "peg");
    }
    EXPECT_EQ(e.document().bodies.size(), 1U);
    EXPECT_TRUE(e.isDirty());
}

}  // namespace
}  // namespace brontile
