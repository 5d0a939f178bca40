// Saving and opening documents as packages: a folder named "<name>.brontdoc" holding
// manifest.json, document.json and the empty folders "geometry" and "previews".
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "base/date_time.hpp"
#include "document/cad_document.hpp"
#include "io/package_file_system.hpp"

namespace brontile {

// What a save that succeeded has to tell.
struct [[nodiscard]] PackageSaveResult {
    // The hidden folder beside the package that still holds the previous package, when removing
    // it failed after the new package was in place; nothing otherwise.
    std::optional<std::filesystem::path> leftoverBackup;

    friend bool operator==(const PackageSaveResult&, const PackageSaveResult&) = default;
};

class NativePackageIO {
public:
    // The package folder's extension, without the dot.
    static constexpr std::string_view packageExtension = "brontdoc";
    // The largest manifest.json and document.json a package may hold, when saving and opening.
    // The manifest holds a few short fields and the title; 1 MiB leaves any real title room and
    // refuses a runaway file before the document is read. 1 GiB of document text is far beyond
    // what can be modelled interactively, yet small enough to read into memory.
    static constexpr std::uintmax_t maxManifestBytes = std::uintmax_t{1} << 20;
    static constexpr std::uintmax_t maxDocumentBytes = std::uintmax_t{1} << 30;

    NativePackageIO() = delete;

    // Writes `document` as a package at `destination`, replacing whatever is there. The package
    // holds a copy with the current schema version and modified at `now` (whole seconds in the
    // file); the caller's document is not changed. The package is built in a hidden folder beside
    // the destination and moved into place in one step, with the previous package kept aside
    // until then, so a failure at any point leaves the previous package at `destination` and no
    // hidden folders behind. Once the new package is in place the save has succeeded; if the
    // previous package cannot then be removed, it stays in its hidden folder and the result
    // names that folder. Missing parent folders are created.
    // Throws JsonEncodeError for a document that cannot be written (a NaN coordinate, a file
    // beyond the limits above) before anything on disk is touched, and FileError when the file
    // system refuses. `beforeReplacing`, when given, runs once the new package is complete,
    // before anything at `destination` moves: whatever it throws leaves all as it was.
    static PackageSaveResult save(const CADDocument& document,
                                  const std::filesystem::path& destination, DateTime now,
                                  PackageFileSystem& fileSystem = realFileSystem(),
                                  const std::function<void()>& beforeReplacing = {});

    // Opens the package at `package`; the document comes back with the current schema version,
    // whatever version wrote it. Throws NativePackageError when the path is not a package or a
    // newer program wrote it (document.json is then not read), JsonDecodeError for damaged
    // contents and FileError when a file cannot be read, is not a regular file (or a link to
    // one) or is beyond the limits above. Any other failure on the way (memory running out, a
    // library's own exception) becomes NativePackageError::unreadable: nothing else escapes.
    [[nodiscard]] static CADDocument load(const std::filesystem::path& package,
                                          PackageFileSystem& fileSystem = realFileSystem());
};

}  // namespace brontile
