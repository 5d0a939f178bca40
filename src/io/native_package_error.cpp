#include "io/native_package_error.hpp"

namespace brontile {

NativePackageError NativePackageError::unsupportedSchema(std::int64_t version) {
    return {Kind::unsupportedSchema, "Unsupported schema version " + std::to_string(version) + ".",
            version};
}

NativePackageError NativePackageError::notAPackage() {
    return {Kind::notAPackage, "Path is not a Brontile document package."};
}

NativePackageError NativePackageError::missingManifest() {
    return {Kind::missingManifest, "manifest.json is missing."};
}

NativePackageError NativePackageError::missingDocument() {
    return {Kind::missingDocument, "document.json is missing."};
}

NativePackageError NativePackageError::unreadable(const std::string& reason) {
    return {Kind::unreadable, "The package could not be opened: " + reason + "."};
}

}  // namespace brontile
