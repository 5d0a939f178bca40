// Files as the program writes them today, held against golden files written earlier: STL and OBJ
// byte for byte, the package's texts, and the golden package opened value for value. A change to
// a writer that is meant means regenerating them (BRONTILE_UPDATE_GOLDEN=1) and reading the diff.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "io/mesh_export.hpp"
#include "io/native_package_io.hpp"
#include "support/document_fixtures.hpp"
#include "support/package_checks.hpp"
#include "support/scratch_directory.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

TEST(GoldenFiles, MeshExportsAreWrittenByteForByteAsBefore) {
    const CADDocument document = test::richDocument();
    const std::vector<std::uint8_t> stl = MeshExport::stlData(document);
    EXPECT_TRUE(test::matchesGoldenFile("golden/rich.stl", std::string(stl.begin(), stl.end())));
    EXPECT_TRUE(test::matchesGoldenFile("golden/rich.obj", MeshExport::objString(document)));
}

TEST(GoldenFiles, PackageIsWrittenAsBeforeAndTheOldPackageOpensAsTheDocument) {
    const CADDocument document = test::richDocument();
    const test::ScratchDirectory scratch;
    const auto package = scratch.path() / "rich.brontdoc";
    // Saved at its creation time, the package holds the document exactly as it is.
    ASSERT_FALSE(
        NativePackageIO::save(document, package, document.metadata.createdAt).leftoverBackup);
    for (const std::string file : {"document.json", "manifest.json"}) {
        EXPECT_TRUE(test::matchesGoldenFile("golden/rich.brontdoc/" + file,
                                            test::readBytes(package / file)));
    }
    // Git keeps no empty folders, so this also stands for a package from before they existed.
    EXPECT_EQ(NativePackageIO::load(test::testDataPath("golden/rich.brontdoc")), document);
    EXPECT_TRUE(
        test::reopensAsSaved(document, document.metadata.createdAt + std::chrono::hours(1)));
}

}  // namespace
}  // namespace brontile
