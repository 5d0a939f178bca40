// Saving and opening document packages: what a package holds (held against a golden package),
// replacing one (even when a file operation fails part-way), and how damaged or foreign packages
// are refused with a message.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <future>
#include <limits>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "io/atomic_file.hpp"
#include "io/native_package_error.hpp"
#include "io/native_package_io.hpp"
#include "io/package_manifest.hpp"
#include "support/document_fixtures.hpp"
#include "support/error_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/scratch_directory.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using Names = std::set<std::string>;
using test::readBytes;
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

// The message of the error opening `package` fails with. An open that blocks fails the test
// quickly instead of hanging it: every pipe in the package then gets a writer, which releases it.
std::string loadFailure(const fs::path& package, PackageFileSystem& files = realFileSystem()) {
    auto load = std::async(std::launch::async, [&]() -> std::string {
        try {
            (void)NativePackageIO::load(package, files);
        } catch (const Error& e) {
            return e.what();
        } catch (const std::exception& e) {
            return std::string("not a brontile::Error: ") + e.what();
        }
        return "(opened)";
    });
    if (load.wait_for(5s) == std::future_status::timeout) {
        ADD_FAILURE() << "opening " << package << " blocked";
        for (const auto& entry : fs::directory_iterator(package)) {
            if (!entry.is_fifo()) continue;
            const int writer = ::open(entry.path().c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) ::close(writer);
        }
    }
    return load.get();
}

TEST(NativePackage, SavesIntoNewFoldersAndReadsBackTheSameDocument) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "new" / "part.brontdoc";
    CADDocument document = bracket();
    document.schemaVersion = 1;
    EXPECT_EQ(NativePackageIO::save(document, package, kNow).leftoverBackup, std::nullopt);
    // What the files hold is shown by the golden package.
    EXPECT_EQ(test::entryNames(package.parent_path()), Names{"part.brontdoc"});
    EXPECT_EQ(test::entryNames(package),
              (Names{"document.json", "geometry", "manifest.json", "previews"}));
    EXPECT_TRUE(fs::is_empty(package / "geometry") && fs::is_empty(package / "previews"));

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

// The package's texts as written today, held against the golden package written earlier, and
// the golden package opened value for value: the document, with every awkward value it holds,
// survives a save and an open exactly.
TEST(NativePackage, IsWrittenAsBeforeAndTheGoldenPackageOpensAsTheDocument) {
    const CADDocument document = test::richDocument();
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "rich.brontdoc";
    // Saved at its creation time, the package holds the document exactly as it is.
    ASSERT_FALSE(
        NativePackageIO::save(document, package, document.metadata.createdAt).leftoverBackup);
    for (const std::string file : {"document.json", "manifest.json"}) {
        EXPECT_TRUE(
            test::matchesGoldenFile("golden/rich.brontdoc/" + file, readBytes(package / file)));
    }
    // Git keeps no empty folders, so this also stands for a package from before they existed.
    EXPECT_EQ(NativePackageIO::load(test::testDataPath("golden/rich.brontdoc")), document);
}

TEST(NativePackage, FailedSavesChangeNothingOnDisk) {
    test::ScratchDirectory scratch;
    CADDocument broken = bracket();
    broken.camera.distance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(
        (void)NativePackageIO::save(broken, scratch.path() / "new" / "part.brontdoc", kNow),
        JsonEncodeError);
    // What could not be opened again is not written either.
    EXPECT_EQ(test::refusalMessage<JsonEncodeError>([&] {
                  return NativePackageIO::save(CADDocument::empty(std::string(1 << 20, 'T')),
                                               scratch.path() / "new" / "part.brontdoc", kNow);
              }),
              "The title is too long to save: manifest.json would be larger than 1 MiB.");
    EXPECT_TRUE(fs::is_empty(scratch.path()));

    const fs::path blocker = writeBytes(scratch.path() / "blocker", "keep me");
    EXPECT_THROW((void)NativePackageIO::save(bracket(), blocker / "part.brontdoc", kNow),
                 FileError);
    EXPECT_EQ(readBytes(blocker), "keep me");
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"blocker"});
}

// The real file system, except that the `failAt`-th operation throws instead of running (none
// when 0) and that reads go through `read` when one is given.
class TestFileSystem final : public PackageFileSystem {
public:
    using Read = std::function<std::string(const fs::path&, std::uintmax_t)>;

    explicit TestFileSystem(int failAt, Read read = {}) : failAt_(failAt), read_(std::move(read)) {}

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
    std::string readFile(const fs::path& p, std::uintmax_t maxBytes) override {
        PackageFileSystem& files = real("readFile");
        return read_ ? read_(p, maxBytes) : files.readFile(p, maxBytes);
    }

private:
    // The real file system to run `operation` on, unless this is the one to fail.
    PackageFileSystem& real(const std::string& operation) {
        if (++count_ != failAt_) return realFileSystem();
        failed = operation;
        throw FileError("Injected failure of " + operation);
    }

    int failAt_;
    Read read_;
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
// package and leaves the hidden backup, which the save reports.
TEST(InterruptedSave, EveryStepInTurnLeavesALoadablePackage) {
    test::ScratchDirectory scratch;
    // The first save replaces a plain file.
    const fs::path package = writeBytes(scratch.path() / "part.brontdoc", "not a package");
    EXPECT_EQ(NativePackageIO::save(revision(0), package, kNow).leftoverBackup, std::nullopt);
    CADDocument current = revision(0);
    Names interrupted;
    int step = 1;
    for (;; ++step) {
        ASSERT_LT(step, 100) << "a save that never completes";
        TestFileSystem files(step);
        std::optional<PackageSaveResult> saved;
        try {
            saved = NativePackageIO::save(revision(step), package, kNow, files);
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Injected failure", 0), 0u) << e.what();
        }
        if (files.failed.empty()) {
            EXPECT_EQ(saved->leftoverBackup, std::nullopt);
            break;
        }
        interrupted.insert(files.failed);
        const CADDocument loaded = NativePackageIO::load(package);
        EXPECT_EQ(loaded, saved ? revision(step) : current) << "interrupted at " << step;
        current = loaded;
        std::optional<fs::path> leftover;
        for (const std::string& name : test::entryNames(scratch.path())) {
            if (name == "part.brontdoc") continue;
            EXPECT_TRUE(saved) << name << " left behind after step " << step;
            EXPECT_EQ(name.rfind(".part.brontdoc.bak-", 0), 0u) << name;
            EXPECT_EQ(leftover, std::nullopt) << "a second folder left: " << name;
            leftover = scratch.path() / name;
        }
        if (saved) {
            EXPECT_EQ(saved->leftoverBackup, leftover) << "interrupted at " << step;
        }
        if (leftover) fs::remove_all(*leftover);
    }
    EXPECT_EQ(interrupted, (Names{"createDirectories", "exists", "isDirectory", "removeAll",
                                  "rename", "writeFileAtomically"}));
    EXPECT_EQ(NativePackageIO::load(package), revision(step));
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"part.brontdoc"});
}

// Only regular files are read, or links to them: a pipe would keep opening waiting for a writer,
// a device could be endless and a folder holds no text.
TEST(OpeningPackages, DamagedPackagesAndFilesThatAreNotRegularAreRefusedWithAMessage) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    const auto manifest = package / "manifest.json", document = package / "document.json";
    const auto notRegular = [](const fs::path& file) {
        return "Could not read \"" + file.string() + "\": it is not a regular file.";
    };
    const auto text = [](std::string bytes) {
        return [bytes](const fs::path& file) { writeBytes(file, bytes); };
    };
    const std::string notAPackage = "Path is not a Brontile document package.";
    const std::string version3 = R"({"bodyCount": 0, "format": "brontdoc", "schemaVersion": 3,
                                     "title": "", "units": "millimeters"})";
    // Each row removes `file` and puts `standIn` (when it has one) in its place.
    const struct {
        fs::path file;
        std::function<void(const fs::path&)> standIn;
        std::string messageStart;
    } rows[] = {
        {package, {}, notAPackage},
        {package, text("{}"), notAPackage},
        {manifest, [&](const fs::path&) { fs::remove(document); }, "manifest.json is missing."},
        {document, {}, "document.json is missing."},
        // The newer program's document is not even read.
        {manifest,
         [&](const fs::path& p) {
             writeBytes(p, version3);
             writeBytes(document, "?");
         },
         "Unsupported schema version 3."},
        {manifest, text(R"({"bodyCount": 2,)"), "Malformed JSON: "},
        {manifest, [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         notRegular(manifest)},
        {document, [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         notRegular(document)},
        {document, [](const fs::path& p) { fs::create_directories(p / "inside"); },
         notRegular(document)},
    };
    for (const auto& row : rows) {
        (void)NativePackageIO::save(bracket(), package, kNow);
        fs::remove_all(row.file);
        if (row.standIn) row.standIn(row.file);
        const std::string message = loadFailure(package);
        EXPECT_TRUE(message.starts_with(row.messageStart)) << message;
    }
    (void)NativePackageIO::save(bracket(), package, kNow);
    const CADDocument saved = NativePackageIO::load(package);
    fs::rename(document, scratch.path() / "elsewhere.json");
    fs::create_symlink(scratch.path() / "elsewhere.json", document);
    EXPECT_EQ(NativePackageIO::load(package), saved) << "through a link to a regular file";
}

TEST(OpeningPackages, RefusesFilesBeyondTheLimitAndLetsNoForeignExceptionOut) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    (void)NativePackageIO::save(bracket(), package, kNow);
    const fs::filesystem_error libraryFailure("cannot open", package,
                                              std::make_error_code(std::errc::io_error));
    const auto throwing = [](auto exception) {
        return [exception](const fs::path&, std::uintmax_t) -> std::string { throw exception; };
    };
    const std::string noMemory = "The package could not be opened: there is not enough memory.";
    const struct {
        std::string name;
        TestFileSystem::Read read;
        std::string message;
    } rows[] = {
        {"small limit",
         [](const fs::path& p, std::uintmax_t maxBytes) {
             return realFileSystem().readFile(p, std::min<std::uintmax_t>(maxBytes, 200));
         },
         "Could not read \"" + (package / "document.json").string() +
             "\": it is larger than 200 bytes."},
        {"allocation", throwing(std::bad_alloc()), noMemory},
        {"string length", throwing(std::length_error("basic_string::_M_create")), noMemory},
        {"file system library", throwing(libraryFailure),
         "The package could not be opened: " + std::string(libraryFailure.what()) + "."},
    };
    for (const auto& row : rows) {
        TestFileSystem files(0, row.read);
        EXPECT_EQ(loadFailure(package, files), row.message) << row.name;
    }
}

TEST(AtomicFile, ReplacesContentsKeepsPermissionsAndNamesThePathOnFailure) {
    test::ScratchDirectory scratch;
    const fs::path file = scratch.path() / "part.stl";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(writeBytes(file, "old"), mode);
    writeFileAtomically(file, "new");
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(fs::status(file).permissions(), mode);

    const fs::path missing = scratch.path() / "gone" / "part.stl";
    EXPECT_EQ(test::refusalMessage<FileError>([&] { writeFileAtomically(missing, "data"); }),
              "Could not write \"" + missing.string() + "\": No such file or directory.");
    // Over a folder it fails too, and leaves no temporary file behind.
    fs::create_directories(missing);
    EXPECT_THROW(writeFileAtomically(missing, "data"), FileError);
    EXPECT_EQ(test::entryNames(scratch.path() / "gone"), Names{"part.stl"});
}

}  // namespace
}  // namespace brontile
