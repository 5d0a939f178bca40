#include "io/native_package_io.hpp"

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "document/document_json.hpp"
#include "io/atomic_file.hpp"
#include "io/native_package_error.hpp"
#include "io/package_manifest.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kManifestName = "manifest.json";
constexpr std::string_view kDocumentName = "document.json";

struct EncodedPackage {
    std::string manifest;
    std::string document;
};

// Refuses to write what opening would refuse as too large: "<refusal> 1 GiB."
void checkSize(const std::string& text, std::uintmax_t maxBytes, std::string_view refusal) {
    if (text.size() > maxBytes) {
        throw JsonEncodeError(std::string(refusal) + ' ' + byteSizeText(maxBytes) + '.');
    }
}

// Both files' text, made before any folder is created so that a document that cannot be written
// fails without touching the disk.
EncodedPackage encode(const CADDocument& document, DateTime now) {
    CADDocument copy = document;
    copy.schemaVersion = CADDocument::currentSchemaVersion;
    copy.metadata.modifiedAt = now;
    EncodedPackage package{toJsonText(PackageManifest::from(copy)), toJsonText(copy)};
    // Only the title makes a manifest long.
    checkSize(package.manifest, NativePackageIO::maxManifestBytes,
              "The title is too long to save: manifest.json would be larger than");
    checkSize(package.document, NativePackageIO::maxDocumentBytes,
              "The document is too large to save: document.json would be larger than");
    return package;
}

// The package folder a destination names ("a/b.brontdoc/" is "a/b.brontdoc").
fs::path packagePath(const fs::path& destination) {
    const fs::path target = destination.has_filename() ? destination : destination.parent_path();
    const fs::path name = target.filename();
    if (name.empty() || name == "." || name == "..") {
        throw FileError("save a document package at", destination,
                        std::make_error_code(std::errc::invalid_argument));
    }
    return target;
}

// For clean-up after a failure that is already being reported.
template <class Action>
void ignoringFailure(Action action) noexcept {
    try {
        action();
    } catch (...) {
    }
}

void writeStaging(const fs::path& staging, const EncodedPackage& package,
                  PackageFileSystem& files) {
    files.createDirectories(staging / "geometry");
    files.createDirectories(staging / "previews");
    files.writeFileAtomically(staging / kManifestName, package.manifest);
    files.writeFileAtomically(staging / kDocumentName, package.document);
}

// Moves whatever is at `target` to a backup beside it; returns the backup, or nothing when
// `target` was free.
std::optional<fs::path> moveAside(const fs::path& target, PackageFileSystem& files) {
    if (!files.exists(target)) return std::nullopt;
    const fs::path backup = hiddenSibling(target, ".bak-");
    files.rename(target, backup);
    return backup;
}

// Moves the finished package into place; when that fails, the backup goes back to `target`
// before the error is passed on. Once the new package is in place the save has succeeded, so the
// backup is only removed as well as can be: rolling back over a half-removed backup would trade a
// complete new package for a damaged old one. Returns the backup when it could not be removed.
std::optional<fs::path> swapIntoPlace(const fs::path& staging, const fs::path& target,
                                      const std::optional<fs::path>& backup,
                                      PackageFileSystem& files) {
    try {
        files.rename(staging, target);
    } catch (...) {
        if (backup) {
            ignoringFailure([&] { files.removeAll(target); });
            ignoringFailure([&] { files.rename(*backup, target); });
        }
        ignoringFailure([&] { files.removeAll(staging); });
        throw;
    }
    if (!backup) return std::nullopt;
    try {
        files.removeAll(*backup);
    } catch (...) {
        return backup;
    }
    return std::nullopt;
}

CADDocument loadPackage(const fs::path& package, PackageFileSystem& files) {
    if (!files.isDirectory(package)) throw NativePackageError::notAPackage();
    const fs::path manifestPath = package / kManifestName;
    const fs::path documentPath = package / kDocumentName;
    if (!files.exists(manifestPath)) throw NativePackageError::missingManifest();
    if (!files.exists(documentPath)) throw NativePackageError::missingDocument();

    const auto manifest = fromJsonText<PackageManifest>(
        files.readFile(manifestPath, NativePackageIO::maxManifestBytes));
    if (manifest.schemaVersion > CADDocument::currentSchemaVersion) {
        throw NativePackageError::unsupportedSchema(manifest.schemaVersion);
    }
    auto document =
        fromJsonText<CADDocument>(files.readFile(documentPath, NativePackageIO::maxDocumentBytes));
    document.schemaVersion = CADDocument::currentSchemaVersion;
    return document;
}

}  // namespace

PackageSaveResult NativePackageIO::save(const CADDocument& document, const fs::path& destination,
                                        DateTime now, PackageFileSystem& fileSystem,
                                        const std::function<void()>& beforeReplacing) {
    const EncodedPackage package = encode(document, now);
    const fs::path target = packagePath(destination);
    const fs::path folder = target.parent_path();
    if (!folder.empty() && !fileSystem.isDirectory(folder)) fileSystem.createDirectories(folder);

    const fs::path staging = hiddenSibling(target, ".staging-");
    std::optional<fs::path> backup;
    try {
        writeStaging(staging, package, fileSystem);
        if (beforeReplacing) beforeReplacing();
        backup = moveAside(target, fileSystem);
    } catch (...) {
        ignoringFailure([&] { fileSystem.removeAll(staging); });
        throw;
    }
    return {swapIntoPlace(staging, target, backup, fileSystem)};
}

CADDocument NativePackageIO::load(const fs::path& package, PackageFileSystem& fileSystem) {
    try {
        return loadPackage(package, fileSystem);
    } catch (const Error&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw NativePackageError::unreadable("there is not enough memory");
    } catch (const std::length_error&) {
        throw NativePackageError::unreadable("there is not enough memory");
    } catch (const std::exception& e) {
        throw NativePackageError::unreadable(e.what());
    }
}

}  // namespace brontile
