// New, open, save, save as, export and the recovery copy against the scripted platform's panels and
// alerts, with real packages in a scratch folder.
#include <gtest/gtest.h>

#include <chrono>

#include "io/atomic_file.hpp"
#include "io/native_package_io.hpp"
#include "io/recovery_store.hpp"
#include "session/session_fixture.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

using test::SessionFixture;

struct FileFixture : SessionFixture {
    test::ScratchDirectory scratch;

    std::filesystem::path at(const std::string& name) const { return scratch.path() / name; }

    // Opens the package at `location` through the open panel.
    void open(const std::filesystem::path& location) {
        platform.answerOpenPanel(location);
        session->dispatch("file.open");
    }

    // Saves the session's document under `name` through Save As.
    void saveAs(const std::string& name) {
        platform.answerSavePanel(at(name));
        session->dispatch("file.saveAs");
    }

    std::vector<AlertRequest> alerts() {
        std::vector<AlertRequest> result;
        for (auto& request : platform.takeRequests()) {
            if (auto* alert = std::get_if<AlertRequest>(&request)) result.push_back(*alert);
        }
        return result;
    }
};

TEST(FileFlow, SaveAsAddsThePackageExtensionOnceAndTitlesTheDocument) {
    FileFixture f;
    DocumentSession& s = *f.session;
    f.addBox();
    f.saveAs("part");
    EXPECT_EQ(s.fileURL(), f.at("part.brontdoc"));
    EXPECT_EQ(s.statusMessage(), "Saved part.brontdoc");
    EXPECT_EQ(s.document().metadata.title, "part");
    EXPECT_EQ(NativePackageIO::load(f.at("part.brontdoc")).metadata.title, "part");
    EXPECT_FALSE(s.isDirty());
    EXPECT_EQ(s.windowTitle(), "part");
    f.saveAs("bracket.brontdoc");
    EXPECT_EQ(s.fileURL(), f.at("bracket.brontdoc"));
    // The history survives a save; the first undo makes the document dirty again, and however
    // long it waits the package keeps what was saved.
    s.dispatch("edit.undo");
    EXPECT_TRUE(s.isDirty());
    EXPECT_TRUE(s.document().bodies.empty());
    f.platform.advance(60);
    EXPECT_TRUE(s.isDirty());
    EXPECT_EQ(NativePackageIO::load(f.at("bracket.brontdoc")).bodies.size(), 1U);
    // A package is a folder, and a panel may hand back its path with a trailing separator.
    f.saveAs("plate/");
    EXPECT_EQ(s.fileURL(), f.at("plate.brontdoc"));
    EXPECT_EQ(s.windowTitle(), "plate");
    f.open(f.at("bracket.brontdoc/"));
    EXPECT_EQ(s.statusMessage(), "Opened bracket.brontdoc");
    EXPECT_EQ(s.windowTitle(), "bracket");
    // A panel that hands back no name at all chose nothing.
    f.platform.answerSavePanel(std::filesystem::path{});
    s.dispatch("file.saveAs");
    EXPECT_EQ(s.fileURL(), f.at("bracket.brontdoc"));
}

// The one question before a package is replaced is the session's, asked through the platform
// whether the person typed the extension or not, so a replay sees and answers it.
TEST(FileFlow, SaveAsAsksBeforeReplacingAPackage) {
    FileFixture f;
    DocumentSession& s = *f.session;
    f.saveAs("part");
    f.addBox();
    for (const char* name : {"part", "part.brontdoc"}) {
        static_cast<void>(f.platform.takeRequests());
        f.platform.answerAlert("Cancel");
        f.saveAs(name);
        const auto asked = f.alerts();
        ASSERT_EQ(asked.size(), 1U) << name;
        EXPECT_EQ(asked[0].message,
                  "\u201Cpart.brontdoc\u201D already exists. Do you want to replace it?");
        EXPECT_EQ(asked[0].buttons, (std::vector<std::string>{"Replace", "Cancel"}));
        EXPECT_TRUE(NativePackageIO::load(f.at("part.brontdoc")).bodies.empty());
        EXPECT_TRUE(s.isDirty());
    }
    f.platform.answerAlert("Replace");
    f.saveAs("part");
    EXPECT_EQ(NativePackageIO::load(f.at("part.brontdoc")).bodies.size(), 1U);
    // Saving to the document's own file asks nothing.
    f.addBox();
    static_cast<void>(f.platform.takeRequests());
    s.dispatch("file.save");
    EXPECT_TRUE(f.alerts().empty());
    EXPECT_EQ(NativePackageIO::load(f.at("part.brontdoc")).bodies.size(), 2U);
}

// A save that put the new package in place but could not clear the old one away still saved:
// the person hears where the old copy stays.
TEST(FileFlow, ASaveSaysWhichOldCopyItCouldNotRemove) {
    struct KeepsBackups final : PackageFileSystem {
        PackageFileSystem& real = realFileSystem();
        void createDirectories(const std::filesystem::path& p) override {
            real.createDirectories(p);
        }
        void writeFileAtomically(const std::filesystem::path& p, std::string_view b) override {
            real.writeFileAtomically(p, b);
        }
        bool exists(const std::filesystem::path& p) override { return real.exists(p); }
        bool isDirectory(const std::filesystem::path& p) override { return real.isDirectory(p); }
        void rename(const std::filesystem::path& p, const std::filesystem::path& to) override {
            real.rename(p, to);
        }
        void removeAll(const std::filesystem::path& p) override {
            if (p.filename().string().find(".bak-") != std::string::npos) {
                throw FileError("Cannot remove " + p.string());
            }
            real.removeAll(p);
        }
        std::string readFile(const std::filesystem::path& p, std::uintmax_t most) override {
            return real.readFile(p, most);
        }
    } files;
    FileFixture f;
    DocumentSession& s = *f.session;
    s.files().useFileSystem(files);
    f.saveAs("part");
    f.addBox();
    s.dispatch("file.save");
    ASSERT_TRUE(s.statusMessage());
    EXPECT_EQ(
        s.statusMessage()->rfind("Saved part.brontdoc \u2014 the previous version could not be "
                                 "removed and stays in the hidden folder .part.brontdoc.bak-",
                                 0),
        0U)
        << *s.statusMessage();
    EXPECT_FALSE(s.isDirty());
    EXPECT_EQ(NativePackageIO::load(f.at("part.brontdoc")).bodies.size(), 1U);
}

TEST(FileFlow, UnsavedChangesAreAskedAboutBeforeNewOrOpen) {
    FileFixture f;
    DocumentSession& s = *f.session;
    // A clean document is replaced without a question.
    s.dispatch("file.new");
    EXPECT_TRUE(f.alerts().empty());
    EXPECT_EQ(s.statusMessage(), "New document");
    f.addBox();
    // "Save…" on a never-saved document shows Save As; cancelling it cancels the new document.
    f.platform.answerAlert("Save\u2026");
    s.dispatch("file.new");
    const auto requests = f.platform.takeRequests();
    ASSERT_EQ(requests.size(), 2U);
    const auto& alert = std::get<AlertRequest>(requests[0]);
    EXPECT_EQ(alert.message, "Discard unsaved changes?");
    EXPECT_EQ(alert.informative, "Untitled \u2014 Edited has changes that have not been saved.");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Save\u2026", "Discard", "Cancel"}));
    EXPECT_TRUE(std::holds_alternative<SavePanelRequest>(requests[1]));
    EXPECT_EQ(s.document().bodies.size(), 1U);
    // "Discard" then opening a package: it replaces the document unsaved.
    s.interaction().mutate("Add Sketch", [](CADDocument& d) { d.addSketch(SketchPlane::xy); });
    f.saveAs("kept");
    f.addBox();
    f.platform.answerAlert("Discard");
    f.open(f.at("kept.brontdoc"));
    EXPECT_EQ(s.document().bodies.size(), 1U);
    EXPECT_EQ(s.statusMessage(), "Opened kept.brontdoc");
    EXPECT_FALSE(s.isDirty());
    EXPECT_FALSE(s.history().canUndo());
    EXPECT_EQ(s.activeToolID(), ToolID::select);
    // With nothing to undo, Undo leaves a shape under way as it is.
    s.editing().setActiveSketch(s.document().sketches.front().id);
    s.dispatch("tool.circle");
    f.pressAt(1, 2);
    s.dispatch("edit.undo");
    EXPECT_TRUE(s.tools().active().isBusy());
    EXPECT_FALSE(s.history().canUndo());
}

TEST(FileFlow, AFailedOpenLeavesTheDocumentAsItWas) {
    FileFixture f;
    DocumentSession& s = *f.session;
    f.addBox();
    s.dispatch("view.section");
    f.platform.answerAlert("Discard");
    f.open(f.at("missing.brontdoc"));
    ASSERT_TRUE(s.errorMessage());
    EXPECT_EQ(s.errorMessage()->rfind("Open failed: ", 0), 0U);
    EXPECT_EQ(s.document().bodies.size(), 1U);
    EXPECT_TRUE(s.isDirty());
}

// Unsaved work goes to the recovery store after each change, at most once a second with the
// newest state winning, bound to the document's file once it has one. The user's package changes
// only when the user saves; a save takes the copy away, and a clean end its folder.
TEST(FileFlow, UnsavedWorkGoesToTheRecoveryStoreNeverToTheUsersPackage) {
    FileFixture f;
    DocumentSession& s = *f.session;
    const RecoveryStore store(f.at("recovery"));
    s.files().recovery().useStore(store);
    f.addBox();
    const auto folder = s.files().recovery().folder();
    ASSERT_TRUE(folder);
    const auto bodiesKept = [&] { return store.load(*folder).bodies.size(); };
    EXPECT_EQ(bodiesKept(), 1U);
    f.addBox();
    EXPECT_EQ(bodiesKept(), 1U) << "within the second, the newest state waits";
    f.platform.advance(RecoveryWriter::kInterval);
    EXPECT_EQ(bodiesKept(), 2U);
    EXPECT_TRUE(s.isDirty());

    f.saveAs("part");
    EXPECT_FALSE(std::filesystem::exists(*folder / RecoveryStore::packageName));
    const auto document = f.at("part.brontdoc/document.json");
    const std::string saved = readFile(document, NativePackageIO::maxDocumentBytes);
    f.addBox();
    f.platform.advance(30);
    EXPECT_EQ(readFile(document, NativePackageIO::maxDocumentBytes), saved);
    EXPECT_EQ(bodiesKept(), 3U);
    const auto manifest = fromJsonText<RecoveryManifest>(
        readFile(*folder / RecoveryStore::manifestName, NativePackageIO::maxManifestBytes));
    EXPECT_EQ(manifest.file, f.at("part.brontdoc"));
    EXPECT_EQ(manifest.title, "part");

    f.platform.answerAlert("Discard");
    s.dispatch("file.new");
    EXPECT_FALSE(std::filesystem::exists(*folder)) << "replaced on purpose, the copy goes";
    EXPECT_TRUE(store.leftovers().empty());
}

// What a crash left in the store: the document with `bodies` boxes, bound to `file`, in a folder
// nobody holds.
std::filesystem::path leaveBehind(const RecoveryStore& store, const std::string& name,
                                  std::size_t bodies, std::optional<std::filesystem::path> file,
                                  int second) {
    CADDocument document = CADDocument::empty(name);
    for (std::size_t i = 0; i < bodies; ++i) document.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}));
    const auto folder = store.root() / name;
    RecoverySlot slot(store);
    slot.write(document, {RecoveryManifest::currentFormatVersion, std::move(file), name,
                          DateTime{} + std::chrono::seconds(second), 1});
    std::filesystem::copy(slot.folder(), folder, std::filesystem::copy_options::recursive);
    return folder;
}

// At start the window asks once. Recover opens the newest copy here, unsaved and bound to its
// file, hands back the others and names and sets aside one that cannot be read; Discard removes
// them all.
TEST(FileFlow, RecoveryAtStartOpensTheNewestUnsavedAndBoundToItsFile) {
    FileFixture f;
    DocumentSession& s = *f.session;
    const RecoveryStore store(f.at("recovery"));
    leaveBehind(store, "older", 1, std::nullopt, 10);
    const auto newest = leaveBehind(store, "newest", 2, f.at("part.brontdoc"), 20);
    const auto broken = leaveBehind(store, "broken", 1, std::nullopt, 30);
    writeFileAtomically(broken / RecoveryStore::packageName / "document.json", "{");
    s.files().recovery().useStore(store);
    f.platform.answerAlert("Recover");
    const auto others = s.files().offerRecovery();
    ASSERT_EQ(others.size(), 1U);
    EXPECT_EQ(others[0].manifest.title, "older");
    EXPECT_EQ(s.document().bodies.size(), 2U);
    EXPECT_TRUE(s.isDirty());
    EXPECT_EQ(s.fileURL(), f.at("part.brontdoc"));
    EXPECT_FALSE(std::filesystem::exists(newest)) << "this session holds the copy now";
    EXPECT_TRUE(std::filesystem::exists(store.root() / "broken.damaged"));
    ASSERT_EQ(store.leftovers().size(), 1U) << "only the one handed back";
    s.dispatch("file.save");
    EXPECT_EQ(NativePackageIO::load(f.at("part.brontdoc")).bodies.size(), 2U);

    f.platform.answerAlert("Discard");
    EXPECT_TRUE(s.files().offerRecovery().empty());
    EXPECT_TRUE(store.leftovers().empty());
}

TEST(FileFlow, ExportWritesTheVisibleBodiesOrSaysWhyNot) {
    FileFixture f;
    DocumentSession& s = *f.session;
    f.platform.answerSavePanel(f.at("empty.stl"));
    s.dispatch("file.exportSTL");
    ASSERT_TRUE(s.errorMessage());
    EXPECT_EQ(s.errorMessage()->rfind("Export failed: ", 0), 0U);
    f.addBox();
    for (const auto& [command, extension] : {std::pair{"file.exportOBJ", "obj"},
                                             {"file.export3MF", "3mf"},
                                             {"file.exportSTEP", "step"},
                                             {"file.exportIGES", "iges"}}) {
        static_cast<void>(f.platform.takeRequests());
        const std::string name = std::string("box.") + extension;
        f.platform.answerSavePanel(f.at(name));
        s.dispatch(command);
        EXPECT_EQ(s.statusMessage(), "Exported " + name);
        EXPECT_TRUE(std::filesystem::exists(f.at(name)));
        const auto panel = std::get<SavePanelRequest>(f.platform.takeRequests().front());
        EXPECT_EQ(panel.proposedName, std::string("Untitled.") + extension);
        EXPECT_EQ(panel.requiredExtension, extension);
    }
    EXPECT_TRUE(s.isDirty());

    // An open body still goes out, and the status line names it.
    s.interaction().mutate("Open it", [](CADDocument& document) {
        const SolidMesh box = document.bodies.front().mesh;
        std::vector<SolidFace> faces = box.faces();
        faces.pop_back();
        document.bodies.front().mesh = SolidMesh(box.vertices(), std::move(faces));
        document.bodies.front().name = "Lidless";
    });
    f.platform.answerSavePanel(f.at("open.stl"));
    s.dispatch("file.exportSTL");
    EXPECT_EQ(s.statusMessage(), "Exported open.stl \u2014 not closed: Lidless");
    EXPECT_TRUE(std::filesystem::exists(f.at("open.stl")));
}

}  // namespace
}  // namespace brontile
