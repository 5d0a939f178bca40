// Saving and opening document packages: what a package holds, replacing one (even when a file
// operation fails part-way), and how damaged or foreign packages are refused with a message.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/document_json.hpp"
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
using test::writeBytes;

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

    CADDocument expected = document;
    expected.schemaVersion = 2;
    expected.metadata.modifiedAt = floor<seconds>(kNow);
    EXPECT_EQ(NativePackageIO::load(package), expected);
    // Older programs wrote no empty folders and older schema versions; both still open.
    fs::remove_all(package / "geometry");
    fs::remove_all(package / "previews");
    for (const std::int64_t version : {-1, 0, 1}) {
        PackageManifest manifest = PackageManifest::from(bracket());
        manifest.schemaVersion = version;
        writeBytes(package / "manifest.json", toJsonText(manifest));
        EXPECT_EQ(NativePackageIO::load(package), expected) << version;
    }
}

TEST(NativePackage, FailedSavesChangeNothingOnDisk) {
    test::ScratchDirectory scratch;
    CADDocument broken = bracket();
    broken.camera.distance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(NativePackageIO::save(broken, scratch.path() / "new" / "part.brontdoc", kNow),
                 JsonEncodeError);
    EXPECT_TRUE(fs::is_empty(scratch.path()));

    const fs::path blocker = writeBytes(scratch.path() / "blocker", "keep me");
    EXPECT_THROW(NativePackageIO::save(bracket(), blocker / "part.brontdoc", kNow), FileError);
    EXPECT_EQ(readFile(blocker), "keep me");
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"blocker"});
}

// The real file system, except that the `failAt`-th operation throws instead of running.
class FailingFileSystem final : public PackageFileSystem {
public:
    explicit FailingFileSystem(int failAt) : failAt_(failAt) {}

    // The operation that failed; empty when the save got through.
    std::string failed;

    void createDirectories(const fs::path& p) override {
        real("createDirectories").createDirectories(p);
    }
    void writeFileAtomically(const fs::path& p, std::string_view bytes) override {
        real("writeFileAtomically").writeFileAtomically(p, bytes);
    }
    bool exists(const fs::path& p) override { return real("exists").exists(p); }
    bool isDirectory(const fs::path& p) override { return real("isDirectory").isDirectory(p); }
    void rename(const fs::path& p, const fs::path& to) override { real("rename").rename(p, to); }
    void removeAll(const fs::path& p) override { real("removeAll").removeAll(p); }

private:
    // The real file system to run `operation` on, unless this is the one to fail.
    PackageFileSystem& real(const std::string& operation) {
        if (++count_ != failAt_) return realFileSystem();
        failed = operation;
        throw FileError("Injected failure of " + operation);
    }

    int failAt_;
    int count_ = 0;
};

CADDocument revision(int number) {
    // No bodies: they would get fresh ids on every call.
    CADDocument document =
        CADDocument::empty("Revision " + std::to_string(number), floor<seconds>(kNow));
    document.bodyCounter = number;
    return document;
}

// Until the new package is in place the previous one must stay (a failed move into place puts
// it back); once it is, only removing the backup is left, and a failure there keeps the new
// package and may leave the hidden backup.
TEST(InterruptedSave, EveryStepInTurnLeavesALoadablePackage) {
    test::ScratchDirectory scratch;
    // The first save replaces a plain file.
    const fs::path package = writeBytes(scratch.path() / "part.brontdoc", "not a package");
    NativePackageIO::save(revision(0), package, kNow);
    CADDocument current = revision(0);
    Names interrupted;
    int step = 1;
    for (;; ++step) {
        ASSERT_LT(step, 100) << "a save that never completes";
        FailingFileSystem files(step);
        bool threw = false;
        try {
            NativePackageIO::save(revision(step), package, kNow, files);
        } catch (const FileError& e) {
            threw = true;
            EXPECT_EQ(std::string(e.what()).rfind("Injected failure", 0), 0u) << e.what();
        }
        if (files.failed.empty()) break;
        interrupted.insert(files.failed);
        const CADDocument loaded = NativePackageIO::load(package);
        EXPECT_EQ(loaded, threw ? current : revision(step)) << "interrupted at " << step;
        current = loaded;
        for (const std::string& name : test::entryNames(scratch.path())) {
            if (name == "part.brontdoc") continue;
            EXPECT_FALSE(threw) << name << " left behind after step " << step;
            EXPECT_EQ(name.rfind(".part.brontdoc.bak-", 0), 0u) << name;
            fs::remove_all(scratch.path() / name);
        }
    }
    EXPECT_EQ(interrupted, (Names{"createDirectories", "exists", "isDirectory", "removeAll",
                                  "rename", "writeFileAtomically"}));
    EXPECT_EQ(NativePackageIO::load(package), revision(step));
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"part.brontdoc"});
}

TEST(NativePackage, DamagedPackagesAreRefusedWithAMessage) {
    // Paths inside the scratch folder: removed first, then written (with missing folders made).
    struct Damage {
        std::vector<std::string> removed;
        std::vector<std::pair<std::string, std::string>> written;
        std::string messageStart;
    };
    const std::string package = "part.brontdoc", manifest = package + "/manifest.json",
                      document = package + "/document.json";
    const std::string notAPackage = "Path is not a Brontile document package.";
    const std::string version3 = R"({"bodyCount": 0, "format": "brontdoc", "schemaVersion": 3,
                                     "title": "", "units": "millimeters"})";
    const Damage damages[] = {
        {{package}, {}, notAPackage},
        {{package}, {{package, "{}"}}, notAPackage},
        {{manifest, document}, {}, "manifest.json is missing."},
        {{document}, {}, "document.json is missing."},
        // The newer program's document is not even read.
        {{}, {{manifest, version3}, {document, "?"}}, "Unsupported schema version 3."},
        {{}, {{manifest, R"({"bodyCount": 2,)"}}, "Malformed JSON: "},
        {{document}, {{document + "/inside", ""}}, "Could not read \""},
    };
    test::ScratchDirectory scratch;
    for (const Damage& damage : damages) {
        NativePackageIO::save(bracket(), scratch.path() / package, kNow);
        for (const std::string& path : damage.removed) fs::remove_all(scratch.path() / path);
        for (const auto& [path, text] : damage.written) {
            fs::create_directories((scratch.path() / path).parent_path());
            writeBytes(scratch.path() / path, text);
        }
        try {
            (void)NativePackageIO::load(scratch.path() / package);
            ADD_FAILURE() << "loaded, expected: " << damage.messageStart;
        } catch (const Error& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with(damage.messageStart)) << e.what();
        }
    }
}

TEST(AtomicFile, ReplacesContentsKeepsPermissionsAndNamesThePathOnFailure) {
    test::ScratchDirectory scratch;
    const fs::path file = scratch.path() / "part.stl";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(writeBytes(file, "old"), mode);
    writeFileAtomically(file, "new");
    EXPECT_EQ(readFile(file), "new");
    EXPECT_EQ(fs::status(file).permissions(), mode);

    const fs::path missing = scratch.path() / "gone" / "part.stl";
    try {
        writeFileAtomically(missing, "data");
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Could not write \"" + missing.string() + "\": No such file or directory.");
    }
    // Over a folder it fails too, and leaves no temporary file behind.
    fs::create_directories(missing);
    EXPECT_THROW(writeFileAtomically(missing, "data"), FileError);
    EXPECT_EQ(test::entryNames(scratch.path() / "gone"), Names{"part.stl"});
}

}  // namespace
}  // namespace brontile
