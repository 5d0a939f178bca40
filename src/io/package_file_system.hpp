// The file operations saving and opening a package are made of, behind an interface so that
// tests can make any one of them fail and check that the package on disk survives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace brontile {

// Every operation throws FileError (naming the path) when the system refuses it.
class PackageFileSystem {
public:
    virtual ~PackageFileSystem() = default;

    // Creates the folder and any missing parents; nothing happens when it already exists.
    virtual void createDirectories(const std::filesystem::path& folder) = 0;
    // Replaces the file's contents so that a crash leaves the old or the new, never a mix.
    virtual void writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) = 0;
    // Whether anything (a file, a folder, even a dangling link) is at `path`.
    [[nodiscard]] virtual bool exists(const std::filesystem::path& path) = 0;
    // Whether `path` is a folder, or a link to one.
    [[nodiscard]] virtual bool isDirectory(const std::filesystem::path& path) = 0;
    // Moves within one file system, in one step; fails when `to` is a folder that is not empty.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes `path` and everything inside it; nothing happens when nothing is there.
    virtual void removeAll(const std::filesystem::path& path) = 0;
    // The contents of the regular file at `file` (links to one are followed); fails for anything
    // else (a folder, a pipe, a device) and for a file larger than `maxBytes`, without waiting.
    [[nodiscard]] virtual std::string readFile(const std::filesystem::path& file,
                                               std::uintmax_t maxBytes) = 0;
};

// The computer's own file system.
[[nodiscard]] PackageFileSystem& realFileSystem();

}  // namespace brontile
