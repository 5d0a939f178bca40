// Round trips through the document package: what a save writes opens as the document saved.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <exception>

#include "document/cad_document.hpp"
#include "io/native_package_io.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::test {

// Saves `document` into a fresh package at `now` and opens it again. It must come back as saving
// stamps it: modified at `now` in whole seconds, at the current schema version, nothing else
// changed, and no backup left behind.
inline testing::AssertionResult reopensAsSaved(const CADDocument& document, DateTime now) {
    const ScratchDirectory scratch;
    const auto package = scratch.path() / "round-trip.brontdoc";
    try {
        if (const auto leftover = NativePackageIO::save(document, package, now).leftoverBackup) {
            return testing::AssertionFailure() << "the save left a backup at " << *leftover;
        }
        CADDocument expected = document;
        expected.schemaVersion = CADDocument::currentSchemaVersion;
        expected.metadata.modifiedAt = std::chrono::floor<std::chrono::seconds>(now);
        if (NativePackageIO::load(package) == expected) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the package opens as a different document";
    } catch (const std::exception& error) {
        return testing::AssertionFailure() << "the round trip failed: " << error.what();
    }
}

}  // namespace brontile::test
