// Saves that fail part-way: whichever file operation fails, the destination still holds a
// package that opens, and no hidden working folders are left beside it.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "io/atomic_file.hpp"
#include "io/native_package_io.hpp"
#include "scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using Names = std::set<std::string>;

const DateTime kNow = sys_days{2025y / July / 30} + 8h;

// The real file system, except that the operations `failWhen` picks throw instead of running.
class FailingFileSystem final : public PackageFileSystem {
public:
    using Rule = std::function<bool(int number, const std::string& operation, const fs::path&)>;

    explicit FailingFileSystem(Rule failWhen) : failWhen_(std::move(failWhen)) {}

    [[nodiscard]] const std::set<std::string>& failed() const { return failed_; }

    void createDirectories(const fs::path& folder) override {
        check("createDirectories", folder);
        real_.createDirectories(folder);
    }
    void writeFileAtomically(const fs::path& file, std::string_view bytes) override {
        check("writeFileAtomically", file);
        real_.writeFileAtomically(file, bytes);
    }
    bool exists(const fs::path& path) override {
        check("exists", path);
        return real_.exists(path);
    }
    bool isDirectory(const fs::path& path) override {
        check("isDirectory", path);
        return real_.isDirectory(path);
    }
    void rename(const fs::path& from, const fs::path& to) override {
        check("rename", from);
        real_.rename(from, to);
    }
    void removeAll(const fs::path& path) override {
        check("removeAll", path);
        real_.removeAll(path);
    }

private:
    void check(const std::string& operation, const fs::path& path) {
        if (!failWhen_(++count_, operation, path)) return;
        failed_.insert(operation);
        throw FileError("Injected failure of " + operation);
    }

    Rule failWhen_;
    PackageFileSystem& real_ = realFileSystem();
    int count_ = 0;
    std::set<std::string> failed_;
};

CADDocument revision(int number) {
    // No bodies: they would get fresh ids on every call.
    CADDocument document = CADDocument::empty("Revision " + std::to_string(number), kNow);
    document.bodyCounter = number;
    return document;
}

// Until the new package is in place the previous one must stay; once it is, only removing the
// backup is left, and a failure there keeps the new package (and may leave the hidden backup).
TEST(InterruptedSave, EveryStepInTurnLeavesALoadablePackage) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    NativePackageIO::save(revision(0), package, kNow);

    CADDocument current = revision(0);
    std::set<std::string> interrupted;
    int step = 1;
    for (;; ++step) {
        ASSERT_LT(step, 100) << "a save that never completes";
        FailingFileSystem files([step](int number, auto&, auto&) { return number == step; });
        bool threw = false;
        try {
            NativePackageIO::save(revision(step), package, kNow, files);
        } catch (const FileError& e) {
            threw = true;
            EXPECT_EQ(std::string(e.what()).rfind("Injected failure", 0), 0u) << e.what();
        }
        if (files.failed().empty()) break;
        interrupted.insert(files.failed().begin(), files.failed().end());
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

TEST(InterruptedSave, FailedMoveIntoPlaceRestoresThePreviousPackage) {
    test::ScratchDirectory scratch;
    const fs::path package = scratch.path() / "part.brontdoc";
    NativePackageIO::save(revision(1), package, kNow);
    FailingFileSystem files([](int, const std::string& operation, const fs::path& path) {
        return operation == "rename" &&
               path.filename().string().find(".staging-") != std::string::npos;
    });

    EXPECT_THROW(NativePackageIO::save(revision(2), package, kNow, files), FileError);
    EXPECT_EQ(files.failed(), Names{"rename"});
    EXPECT_EQ(NativePackageIO::load(package), revision(1));
    EXPECT_EQ(test::entryNames(scratch.path()), Names{"part.brontdoc"});
}

}  // namespace
}  // namespace brontile
