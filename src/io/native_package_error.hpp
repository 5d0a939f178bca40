// The ways an existing path can fail to be a document package this program can open. Each
// message is the sentence shown to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/error.hpp"

namespace brontile {

class NativePackageError : public Error {
public:
    enum class Kind {
        unsupportedSchema,
        notAPackage,
        missingManifest,
        missingDocument,
        unreadable
    };

    // "Unsupported schema version 3." — the package was written by a newer program.
    [[nodiscard]] static NativePackageError unsupportedSchema(std::int64_t version);
    // "Path is not a Brontile document package." — nothing there, or not a directory.
    [[nodiscard]] static NativePackageError notAPackage();
    // "manifest.json is missing."
    [[nodiscard]] static NativePackageError missingManifest();
    // "document.json is missing."
    [[nodiscard]] static NativePackageError missingDocument();
    // "The package could not be opened: there is not enough memory." — a failure from outside
    // this program's own errors (the system or a library ran out of something), with its reason.
    [[nodiscard]] static NativePackageError unreadable(const std::string& reason);

    [[nodiscard]] Kind kind() const { return kind_; }
    // The version the manifest named, for unsupportedSchema; nothing for the other kinds.
    [[nodiscard]] std::optional<std::int64_t> schemaVersion() const { return schemaVersion_; }

private:
    NativePackageError(Kind kind, const std::string& message,
                       std::optional<std::int64_t> schemaVersion = std::nullopt)
        : Error(message), kind_(kind), schemaVersion_(schemaVersion) {}

    Kind kind_;
    std::optional<std::int64_t> schemaVersion_;
};

}  // namespace brontile
