#include "io/package_file_system.hpp"

#include <system_error>

#include "io/atomic_file.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

// The status at `path`; a missing file is an answer, any other failure (no permission to look) is
// an error.
fs::file_status statusAt(const fs::path& path, bool followLinks) {
    std::error_code failure;
    const fs::file_status status =
        followLinks ? fs::status(path, failure) : fs::symlink_status(path, failure);
    if (status.type() == fs::file_type::none) throw FileError("access", path, failure);
    return status;
}

class RealFileSystem final : public PackageFileSystem {
public:
    void createDirectories(const fs::path& folder) override {
        std::error_code failure;
        fs::create_directories(folder, failure);
        if (failure) throw FileError("create the folder", folder, failure);
    }

    void writeFileAtomically(const fs::path& file, std::string_view bytes) override {
        brontile::writeFileAtomically(file, bytes);
    }

    bool exists(const fs::path& path) override { return fs::exists(statusAt(path, false)); }

    bool isDirectory(const fs::path& path) override {
        return fs::is_directory(statusAt(path, true));
    }

    void rename(const fs::path& from, const fs::path& to) override {
        std::error_code failure;
        fs::rename(from, to, failure);
        if (failure) {
            throw FileError("Could not move \"" + from.string() + "\" to \"" + to.string() +
                            "\": " + failure.message() + ".");
        }
        syncParentFolder(to);
    }

    void removeAll(const fs::path& path) override {
        std::error_code failure;
        fs::remove_all(path, failure);
        if (failure) throw FileError("remove", path, failure);
    }

    std::string readFile(const fs::path& file, std::uintmax_t maxBytes) override {
        return brontile::readFile(file, maxBytes);
    }
};

}  // namespace

PackageFileSystem& realFileSystem() {
    // It holds no state, so one shared instance is as good as a fresh one per call.
    static RealFileSystem fileSystem;
    return fileSystem;
}

}  // namespace brontile
