// Whole-file reading and crash-safe whole-file writing, and the error both report. Documents and
// exports are written through here so that a crash or a full disk never leaves half a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/error.hpp"

namespace brontile {

// A file or folder could not be read, written, moved or removed. The message names the path and
// the system's reason: Could not write "/home/ana/part.stl": No space left on device.
class FileError : public Error {
public:
    using Error::Error;
    // "Could not <action> "<path>": <reason>."
    FileError(std::string_view action, const std::filesystem::path& path, std::error_code reason);
};

// ".<name><tag><fresh UUID>" in the folder of `target`: hidden, never clashing, and on the same
// file system as `target`, so moving it into place is a single rename.
[[nodiscard]] std::filesystem::path hiddenSibling(const std::filesystem::path& target,
                                                  std::string_view tag);

// Replaces the file at `path` with `bytes`: they go to a hidden temporary file in the same folder,
// which is flushed to disk and then renamed over `path`, so readers (and a crash) see either the
// old contents or the new ones. An existing file's permissions are kept. The folder must exist.
// Throws FileError naming `path`; the temporary file is removed on failure. `beforeReplacing`,
// when given, runs once the bytes are on disk, right before the rename: whatever it throws
// keeps the rename from happening (a cancelled export leaves nothing behind).
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::function<void()>& beforeReplacing = {});

// The same for a writer that can only write to a path of its own (a library's file writer):
// `write` fills the hidden temporary file it is given, which is then forced to disk and renamed
// over `path`. Whatever `write` throws is passed on after the temporary file is removed.
void writeFileAtomically(const std::filesystem::path& path,
                         const std::function<void(const std::filesystem::path&)>& write,
                         const std::function<void()>& beforeReplacing = {});

// Makes the entries of the folder holding `path` (say, a file just renamed there) survive a power
// cut. Some file systems refuse to sync folders; the change has happened either way, so this only
// does its best and never fails.
void syncParentFolder(const std::filesystem::path& path) noexcept;

// The whole contents of the regular file at `path` (or of the regular file a link there points
// at). Throws FileError naming `path` when it cannot be read, when something else is there (a
// folder, a pipe, a device: the first could block forever, a device could be endless) or when it
// holds more than `maxBytes`; pipes and devices are refused without being opened.
[[nodiscard]] std::string readFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// A size for messages: "1 GiB", "64 KiB", "300 bytes" (whole units only).
[[nodiscard]] std::string byteSizeText(std::uintmax_t bytes);

}  // namespace brontile
