// info, check and export on packages written to disk: their JSON, exit codes and files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <tuple>

#include "cli/package_commands.hpp"
#include "cli/recover_commands.hpp"
#include "io/mesh_export.hpp"
#include "io/native_package_io.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::cli {
namespace {

using Json = nlohmann::json;

SolidMesh lidlessBox() {
    const SolidMesh box = test::boxMesh({0, 0, 0}, {10, 10, 10});
    std::vector<SolidFace> faces = box.faces();
    faces.pop_back();
    return SolidMesh(box.vertices(), std::move(faces));
}

struct Packages : ::testing::Test {
    test::ScratchDirectory scratch;

    // A package of a closed box, an open body (hidden unless `openVisible`) and a sketch.
    std::filesystem::path write(bool openVisible, const std::string& name = "part") {
        CADDocument document = CADDocument::empty(name);
        document.addBody(test::boxMesh({0, 0, 0}, {10, 20, 30}), "Block");
        document.addBody(lidlessBox(), "Tray");
        document.bodies.back().isVisible = openVisible;
        document.addSketch(SketchPlane::xy, "Outline");
        const auto package = scratch.path() / (name + ".brontdoc");
        static_cast<void>(NativePackageIO::save(document, package, currentDateTime()));
        return package;
    }

    struct Run {
        int code;
        std::string out;
        std::string err;
    };
    template <class Command>
    static Run run(Command&& command) {
        std::ostringstream out;
        std::ostringstream err;
        const int code = command(out, err);
        return {code, out.str(), err.str()};
    }
};

TEST_F(Packages, InfoDescribesBodiesAndSketchesAsJsonOrText) {
    const auto package = write(false);
    const Run json = run([&](auto& out, auto& err) { return info(package, true, out, err); });
    ASSERT_EQ(json.code, 0) << json.err;
    const Json described = Json::parse(json.out);
    EXPECT_EQ(described["title"], "part");
    EXPECT_EQ(described["units"], "millimeters");
    ASSERT_EQ(described["bodies"].size(), 2u);
    const Json& block = described["bodies"][0];
    EXPECT_EQ(block["name"], "Block");
    EXPECT_EQ(block["faceCount"], 6);
    EXPECT_EQ(block["triangleCount"], 12);
    EXPECT_NEAR(block["volume"].get<double>(), 6000, 1e-9);
    EXPECT_EQ(block["bounds"]["max"], Json::array({10.0, 20.0, 30.0}));
    EXPECT_EQ(block["closed"], true);
    const Json& tray = described["bodies"][1];
    EXPECT_EQ(tray["isVisible"], false);
    EXPECT_EQ(tray["closed"], false);
    EXPECT_EQ(tray["openEdges"], 4);
    EXPECT_EQ(described["sketches"][0],
              (Json{{"name", "Outline"}, {"entities", 0}, {"constraints", 0}, {"solves", true}}));

    const Run text = run([&](auto& out, auto& err) { return info(package, false, out, err); });
    EXPECT_NE(text.out.find("Tray (hidden)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("open (4 open edges)"), std::string::npos) << text.out;
}

TEST_F(Packages, CheckCountsOnlyVisibleBodiesAndRefusesWhatIsNoPackage) {
    const auto closed = write(false, "hidden");
    const Run good = run([&](auto& out, auto& err) { return check(closed, out, err); });
    EXPECT_EQ(good.code, kAllClosed);
    const Json report = Json::parse(good.out);
    EXPECT_EQ(report["package"], (Json{{"ok", true}, {"error", nullptr}}));
    EXPECT_EQ(report["bodies"].size(), 2u) << "hidden bodies are listed";

    const auto open = write(true, "shown");
    EXPECT_EQ(run([&](auto& out, auto& err) { return check(open, out, err); }).code, kOpenBody);

    const auto damaged = write(false, "damaged");
    test::writeBytes(damaged / "document.json", "{ not json");
    for (const auto& bad : {damaged, scratch.path() / "missing.brontdoc"}) {
        const Run refused = run([&](auto& out, auto& err) { return check(bad, out, err); });
        EXPECT_EQ(refused.code, kUnusable);
        const Json failed = Json::parse(refused.out);
        EXPECT_EQ(failed["package"]["ok"], false);
        EXPECT_TRUE(failed["package"]["error"].is_string());
        EXPECT_FALSE(refused.err.empty());
    }
}

TEST_F(Packages, ExportTakesTheFormatFromTheExtensionAndNeverLeavesHalfAFile) {
    const auto package = write(true);
    const std::set<std::string> names{"out.STL", "out.obj",  "out.3MF", "out.Step",
                                      "out.stp", "out.IGES", "out.igs"};
    for (const std::string& name : names) {
        const Run exported = run(
            [&](auto&, auto& err) { return exportPackage(package, scratch.path() / name, err); });
        EXPECT_EQ(exported.code, 0) << name << ": " << exported.err;
        EXPECT_NE(exported.err.find("Tray is not closed"), std::string::npos) << exported.err;
    }
    const auto bytes = MeshExport::stlData(NativePackageIO::load(package));
    EXPECT_EQ(test::readBytes(scratch.path() / "out.STL"), std::string(bytes.begin(), bytes.end()));

    // No format, no folder to write in, or nothing to write: a clear failure, and the file that
    // is already there stays as it was.
    CADDocument hidden = CADDocument::empty("hidden");
    hidden.addBody(test::boxMesh({0, 0, 0}, {1, 1, 1}), "Ghost");
    hidden.bodies.back().isVisible = false;
    const auto nothingVisible = scratch.path() / "hidden.brontdoc";
    static_cast<void>(NativePackageIO::save(hidden, nothingVisible, currentDateTime()));
    const auto existing = test::writeBytes(scratch.path() / "keep.step", "earlier");
    for (const auto& [source, destination, message] :
         {std::tuple{package, scratch.path() / "out.xyz", "cannot tell the format"},
          {package, scratch.path() / "missing" / "out.step", "No such file or directory"},
          {nothingVisible, existing, "There are no visible bodies to export."}}) {
        const Run refused =
            run([&](auto&, auto& err) { return exportPackage(source, destination, err); });
        EXPECT_EQ(refused.code, kUnusable);
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    EXPECT_EQ(test::readBytes(existing), "earlier");
    std::set<std::string> expected = names;
    expected.insert({"keep.step", "part.brontdoc", "hidden.brontdoc"});
    EXPECT_EQ(test::entryNames(scratch.path()), expected);
}

// recover lists what an ended process left, with its file or null, and writes one out by name;
// a name the store does not hold is refused with the reason.
TEST_F(Packages, RecoverListsWhatWasLeftAndWritesOneOut) {
    const RecoveryStore store(scratch.path() / "recovery");
    {
        RecoverySlot slot(store);
        CADDocument document = CADDocument::empty("Bracket");
        document.addBody(test::boxMesh({0, 0, 0}, {10, 20, 30}), "Block");
        slot.write(document, {RecoveryManifest::currentFormatVersion, std::nullopt, "Bracket",
                              currentDateTime(), 77});
        std::filesystem::copy(slot.folder(), store.root() / "77-left",
                              std::filesystem::copy_options::recursive);
    }
    const Run listed =
        run([&](std::ostream& out, std::ostream&) { return recoverList(store, true, out); });
    ASSERT_EQ(listed.code, 0);
    const Json documents = Json::parse(listed.out)["documents"];
    ASSERT_EQ(documents.size(), 1U);
    EXPECT_EQ(documents[0]["title"], "Bracket");
    EXPECT_TRUE(documents[0]["file"].is_null());
    EXPECT_EQ(documents[0]["damaged"], false);
    EXPECT_EQ(documents[0]["folder"], (store.root() / "77-left").string());

    const auto out = scratch.path() / "bracket.brontdoc";
    const Run written = run(
        [&](std::ostream&, std::ostream& err) { return recoverOne(store, "77-left", out, err); });
    EXPECT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(NativePackageIO::load(out).bodies.size(), 1U);
    const Run missing = run(
        [&](std::ostream&, std::ostream& err) { return recoverOne(store, "no-such", out, err); });
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("no-such"), std::string::npos);
}

}  // namespace
}  // namespace brontile::cli
