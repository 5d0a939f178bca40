// Saving and opening document packages: what a package holds, replacing one, and how damaged or
// foreign packages are refused with a message.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <limits>

#include "domain/document_json.hpp"
#include "io/atomic_file.hpp"
#include "io/native_package_io.hpp"
#include "io/package_manifest.hpp"
#include "scratch_directory.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using Names = std::set<std::string>;

const DateTime kCreated = sys_days{2024y / March / 1} + 14h + 5min + 9s;
const DateTime kNow = sys_days{2025y / July / 30} + 8h + 30min + 1s + 750ms;

CADDocument bracket() {
    CADDocument document = CADDocument::empty("Bracket", kCreated);
    document.units = LengthUnit::inches;
    document.addBody(test::boxMesh({0, 0, 0}, {10, 20, 30}));
    document.addBody(test::boxMesh({40, 0, 0}, {50, 10, 10}));
    document.bodies.back().isVisible = false;
    document.addSketch(SketchPlane::xz);
    return document;
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

TEST(NativePackage, SavesIntoNewFoldersAndReadsBackTheSameDocument) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "new" / "part.brontdoc";
    CADDocument document = bracket();
    document.schemaVersion = 1;
    const CADDocument before = document;
    NativePackageIO::save(document, package, kNow);
    EXPECT_EQ(document, before);

    EXPECT_EQ(test::entryNames(package.parent_path()), Names{"part.brontdoc"});
    EXPECT_EQ(test::entryNames(package),
              (Names{"document.json", "geometry", "manifest.json", "previews"}));
    EXPECT_TRUE(fs::is_empty(package / "geometry") && fs::is_empty(package / "previews"));
    EXPECT_EQ(parseJsonText(readFile(package / "manifest.json")),
              Json::parse(R"({"bodyCount": 2, "format": "brontdoc", "schemaVersion": 2,
                              "title": "Bracket", "units": "inches"})"));

    fs::remove_all(package / "geometry");
    fs::remove_all(package / "previews");
    CADDocument expected = document;
    expected.schemaVersion = 2;
    expected.metadata.modifiedAt = floor<seconds>(kNow);
    EXPECT_EQ(NativePackageIO::load(package), expected);
}

TEST(NativePackage, SavingOverAPackageOrFileReplacesItWithoutLeftovers) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    writeText(package, "not a package");
    NativePackageIO::save(CADDocument::empty("First", kCreated), package, kNow);
    NativePackageIO::save(CADDocument::empty("Second", kCreated), package, kNow);

    EXPECT_EQ(NativePackageIO::load(package).metadata.title, "Second");
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"part.brontdoc"});
}

TEST(NativePackage, OlderSchemaVersionsLoadAsTheCurrentOne) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    NativePackageIO::save(bracket(), package, kNow);
    for (const std::int64_t version : {-1, 0, 1}) {
        PackageManifest manifest = PackageManifest::from(bracket());
        manifest.schemaVersion = version;
        writeText(package / "manifest.json", toJsonText(manifest));
        EXPECT_EQ(NativePackageIO::load(package).schemaVersion, 2) << version;
    }
}

TEST(NativePackage, UnwritableDocumentFailsBeforeTouchingTheDisk) {
    test::ScratchDirectory scratch;
    CADDocument broken = bracket();
    broken.camera.distance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(NativePackageIO::save(broken, scratch.path() / "new" / "part.brontdoc", kNow),
                 JsonEncodeError);
    EXPECT_TRUE(fs::is_empty(scratch.path()));
}

TEST(NativePackage, FolderThatIsAFileFailsWithItsPathAndChangesNothing) {
    test::ScratchDirectory scratch;
    const fs::path blocker = scratch.path() / "blocker";
    writeText(blocker, "keep me");
    try {
        NativePackageIO::save(bracket(), blocker / "part.brontdoc", kNow);
        FAIL() << "saved inside a file";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(blocker.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(blocker), "keep me");
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"blocker"});
}

struct Damage {
    std::string name;
    std::function<void(const fs::path& package)> apply;
    std::string messageStart;
};

void PrintTo(const Damage& d, std::ostream* out) { *out << d.name; }
std::string damageName(const testing::TestParamInfo<Damage>& param) { return param.param.name; }

class DamagedPackage : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPackage, IsRefusedWithAMessage) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    NativePackageIO::save(bracket(), package, kNow);
    GetParam().apply(package);
    try {
        (void)NativePackageIO::load(package);
        FAIL() << "loaded a damaged package";
    } catch (const Error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(GetParam().messageStart)) << e.what();
    }
}

const std::string kNotAPackage = "Path is not a Brontile document package.";
const std::string kVersion3 = R"({"bodyCount": 0, "format": "brontdoc", "schemaVersion": 3,
                                  "title": "", "units": "millimeters"})";

void breakFace(const fs::path& p) {
    Json document = parseJsonText(readFile(p / "document.json"));
    document["bodies"][1]["mesh"]["faces"][0]["polygons"][0][2] = 8;
    writeText(p / "document.json", document.dump());
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DamagedPackage,
    testing::Values(Damage{"Nothing", [](const fs::path& p) { fs::remove_all(p); }, kNotAPackage},
                    Damage{"PlainFile",
                           [](const fs::path& p) {
                               fs::remove_all(p);
                               writeText(p, "{}");
                           },
                           kNotAPackage},
                    Damage{"NoFiles",
                           [](const fs::path& p) {
                               fs::remove(p / "manifest.json");
                               fs::remove(p / "document.json");
                           },
                           "manifest.json is missing."},
                    Damage{"NoDocument", [](const fs::path& p) { fs::remove(p / "document.json"); },
                           "document.json is missing."},
                    Damage{"NewerSchema",
                           [](const fs::path& p) {
                               writeText(p / "manifest.json", kVersion3);
                               writeText(p / "document.json", "?");
                           },
                           "Unsupported schema version 3."},
                    Damage{"TruncatedManifest",
                           [](const fs::path& p) {
                               writeText(p / "manifest.json", R"({"bodyCount": 2,)");
                           },
                           "Malformed JSON: "},
                    Damage{"ManifestVersionAsText",
                           [](const fs::path& p) {
                               writeText(p / "manifest.json", R"({"schemaVersion": "2"})");
                           },
                           "Expected a whole number but found a string (at schemaVersion)"},
                    Damage{"FaceWithoutVertex", breakFace,
                           "Vertex index 8 is outside the mesh's 8 vertices "
                           "(at bodies[1].mesh.faces[0].polygons[0][2])"},
                    Damage{"DocumentIsAFolder",
                           [](const fs::path& p) {
                               fs::remove(p / "document.json");
                               fs::create_directory(p / "document.json");
                           },
                           "Could not read \""}),
    damageName);

TEST(AtomicFile, ReplacesContentsKeepsPermissionsAndNamesThePathOnFailure) {
    test::ScratchDirectory scratch;
    const fs::path file = scratch.path() / "part.stl";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write;
    writeFileAtomically(file, "old");
    fs::permissions(file, mode);
    writeFileAtomically(file, std::string(100000, 'x'));
    EXPECT_EQ(readFile(file), std::string(100000, 'x'));
    EXPECT_EQ(fs::status(file).permissions(), mode);

    const fs::path missing = scratch.path() / "gone" / "part.stl";
    try {
        writeFileAtomically(missing, "data");
        FAIL() << "wrote into a missing folder";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Could not write \"" + missing.string() + "\": No such file or directory.");
    }
    fs::create_directories(missing);
    EXPECT_THROW(writeFileAtomically(missing, "data"), FileError);
    EXPECT_EQ(test::entryNames(scratch.path() / "gone"), Names{"part.stl"});
    EXPECT_EQ(test::entryNames(scratch.path()), (Names{"gone", "part.stl"}));
}

}  // namespace
}  // namespace brontile
