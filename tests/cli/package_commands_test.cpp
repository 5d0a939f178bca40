// info, check and export on packages written to disk: their JSON, exit codes and files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/package_commands.hpp"
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
    const auto stl = scratch.path() / "out.STL";
    const Run exported = run([&](auto&, auto& err) { return exportPackage(package, stl, err); });
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_NE(exported.err.find("Tray is not closed"), std::string::npos) << exported.err;
    const auto bytes = MeshExport::stlData(NativePackageIO::load(package));
    EXPECT_EQ(test::readBytes(stl), std::string(bytes.begin(), bytes.end()));

    const auto threeMF = scratch.path() / "out.3MF";
    EXPECT_EQ(run([&](auto&, auto& err) { return exportPackage(package, threeMF, err); }).code, 0);

    // A format without a writer, or no format at all, fails and leaves the file there alone.
    const auto existing = test::writeBytes(scratch.path() / "keep.step", "earlier");
    for (const auto& destination : {existing, scratch.path() / "out.xyz"}) {
        const Run refused =
            run([&](auto&, auto& err) { return exportPackage(package, destination, err); });
        EXPECT_EQ(refused.code, kUnusable);
        EXPECT_FALSE(refused.err.empty());
    }
    EXPECT_EQ(test::readBytes(existing), "earlier");
    EXPECT_EQ(test::entryNames(scratch.path()),
              (std::set<std::string>{"keep.step", "out.3MF", "out.STL", "part.brontdoc"}));
}

}  // namespace
}  // namespace brontile::cli
