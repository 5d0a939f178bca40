// Saving and opening documents as packages: a folder named "<name>.brontdoc" holding
// manifest.json, document.json and the empty folders "geometry" and "previews".
#pragma once

#include <filesystem>
#include <string_view>

#include "base/date_time.hpp"
#include "document/cad_document.hpp"
#include "io/package_file_system.hpp"

namespace brontile {

class NativePackageIO {
public:
    // The package folder's extension, without the dot.
    static constexpr std::string_view packageExtension = "brontdoc";

    NativePackageIO() = delete;

    // Writes `document` as a package at `destination`, replacing whatever is there. The package
    // holds a copy with the current schema version and modified at `now` (whole seconds in the
    // file); the caller's document is not changed. The package is built in a hidden folder beside
    // the destination and moved into place in one step, with the previous package kept aside
    // until then, so a failure at any point leaves the previous package at `destination` and no
    // hidden folders behind. Missing parent folders are created.
    // Throws JsonEncodeError for a document that cannot be written (a NaN coordinate) before
    // anything on disk is touched, and FileError when the file system refuses.
    static void save(const CADDocument& document, const std::filesystem::path& destination,
                     DateTime now, PackageFileSystem& fileSystem = realFileSystem());

    // Opens the package at `package`; the document comes back with the current schema version,
    // whatever version wrote it. Throws NativePackageError when the path is not a package or a
    // newer program wrote it (document.json is then not read), JsonDecodeError for damaged
    // contents and FileError when a file cannot be read.
    [[nodiscard]] static CADDocument load(const std::filesystem::path& package);
};

}  // namespace brontile
