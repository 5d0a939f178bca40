// File ▸ Import against the scripted platform: every format the window exports comes back as a
// body of the same volume in one step "Import", selected; STL and OBJ ask their unit; an open
// mesh comes in flagged, and a file that cannot be read changes nothing.
#include <gtest/gtest.h>

#include <fstream>

#include "session/session_fixture.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

struct ImportFixture : test::SessionFixture {
    test::ScratchDirectory scratch;

    std::filesystem::path at(const std::string& name) const { return scratch.path() / name; }

    void importFile(const std::filesystem::path& file, const char* unit = nullptr) {
        platform.answerOpenPanel(file);
        if (unit != nullptr) platform.answerAlert(unit);
        session->dispatch("file.import");
    }
};

TEST(ImportFlow, EveryExportedFormatComesBackAsTheSameBodySelected) {
    ImportFixture f;
    DocumentSession& s = *f.session;
    f.addBox();
    const double volume = s.document().bodies.front().mesh.volume();
    for (const auto& [command, name] : {std::pair{"file.exportSTL", "box.stl"},
                                        {"file.exportOBJ", "box.obj"},
                                        {"file.export3MF", "box.3mf"},
                                        {"file.exportSTEP", "box.step"},
                                        {"file.exportIGES", "box.IGS"}}) {
        f.platform.answerSavePanel(f.at(name));
        s.dispatch(command);
    }
    for (const char* name : {"box.stl", "box.obj", "box.3mf", "box.step", "box.IGS"}) {
        const std::size_t before = s.document().bodies.size();
        const bool asks =
            std::string_view(name).ends_with("stl") || std::string_view(name).ends_with("obj");
        f.importFile(f.at(name), asks ? "Millimeters" : nullptr);
        ASSERT_EQ(s.document().bodies.size(), before + 1) << name;
        const Body& imported = s.document().bodies.back();
        EXPECT_NEAR(imported.mesh.volume(), volume, 1e-9 * volume) << name;
        EXPECT_EQ(imported.mesh.faces().size(), 6U) << name;
        EXPECT_EQ(s.history().undoActionName(), "Import");
        EXPECT_EQ(s.selection().bodies, std::unordered_set<BodyID>{imported.id});
        EXPECT_EQ(s.statusMessage(), std::string("Imported ") + name);
    }
    // Inches: every length 25.4 times; Cancel at the question changes nothing.
    f.importFile(f.at("box.stl"), "Inches");
    EXPECT_NEAR(s.document().bodies.back().mesh.volume(), volume * 25.4 * 25.4 * 25.4,
                1e-9 * volume * 25.4 * 25.4 * 25.4);
    const std::size_t count = s.document().bodies.size();
    f.importFile(f.at("box.stl"), "Cancel");
    f.platform.answerOpenPanel(f.at("box.stl"));
    s.dispatch("file.import");  // the question closed without an answer
    EXPECT_EQ(s.document().bodies.size(), count);
}

TEST(ImportFlow, OpenMeshesComeInFlaggedAndDamagedFilesAreRefused) {
    ImportFixture f;
    DocumentSession& s = *f.session;
    std::ofstream(f.at("flap.stl")) << "solid flap\nfacet normal 0 0 1\nouter loop\n"
                                       "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                                       "endloop\nendfacet\nendsolid flap\n";
    f.importFile(f.at("flap.stl"), "Millimeters");
    ASSERT_EQ(s.document().bodies.size(), 1U);
    EXPECT_EQ(s.document().bodies.front().name, "flap");
    EXPECT_EQ(s.statusMessage(), "Imported flap.stl \u2014 not closed: 3 open edges");

    std::ofstream(f.at("junk.step")) << "this is not a part";
    f.importFile(f.at("junk.step"));
    ASSERT_TRUE(s.errorMessage());
    EXPECT_EQ(s.errorMessage()->rfind("Could not import junk.step: ", 0), 0U) << *s.errorMessage();
    std::ofstream(f.at("notes.txt")) << "x";
    f.importFile(f.at("notes.txt"));
    EXPECT_EQ(*s.errorMessage(), "Could not import notes.txt: not a file Brontile can import");
    EXPECT_EQ(s.document().bodies.size(), 1U);
}

}  // namespace
}  // namespace brontile
