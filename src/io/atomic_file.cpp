#include "io/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "base/uuid.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() { return {errno, std::system_category()}; }

// Closes on every path out, so that a failed write leaks no descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    // Closes now; a failing close can mean the data never reached the disk.
    [[nodiscard]] bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Writes everything, resuming after partial writes and interrupted calls.
std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return lastError();
        if (written == 0) return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// The permission bits of an existing regular file at `path`, so that replacing it keeps them.
std::optional<mode_t> existingMode(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return info.st_mode & 07777;
}

// Creates `temporary`, fills it with `bytes` and forces it to disk; returns the failure, if any.
std::error_code writeDurably(const fs::path& temporary, std::string_view bytes,
                             std::optional<mode_t> mode) {
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.isOpen()) return lastError();
    if (mode && ::fchmod(file.get(), *mode) != 0) return lastError();
    if (const auto failure = writeAll(file.get(), bytes)) return failure;
    if (::fsync(file.get()) != 0) return lastError();
    if (!file.close()) return lastError();
    return {};
}

// Gives a file that another writer filled the permissions of the file it replaces, and forces it
// to disk.
std::error_code finishDurably(const fs::path& temporary, std::optional<mode_t> mode) {
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.isOpen()) return lastError();
    if (mode && ::fchmod(file.get(), *mode) != 0) return lastError();
    if (::fsync(file.get()) != 0) return lastError();
    if (!file.close()) return lastError();
    return {};
}

// Fills a hidden sibling of `path` with `fill` (which returns the failure, if any), lets
// `beforeReplacing` have its say and renames it over `path`; on any failure, thrown or returned,
// the sibling is removed.
template <class Fill>
void writeInPlaceOf(const fs::path& path, Fill&& fill,
                    const std::function<void()>& beforeReplacing) {
    if (!path.has_filename()) {
        throw FileError("write", path, std::make_error_code(std::errc::is_a_directory));
    }
    const fs::path temporary = hiddenSibling(path, ".tmp-");
    std::error_code failure;
    try {
        failure = fill(temporary);
        if (!failure && beforeReplacing) beforeReplacing();
    } catch (...) {
        (void)::unlink(temporary.c_str());
        throw;
    }
    if (!failure && ::rename(temporary.c_str(), path.c_str()) != 0) failure = lastError();
    if (failure) {
        (void)::unlink(temporary.c_str());
        throw FileError("write", path, failure);
    }
    syncParentFolder(path);
}

FileError notARegularFile(const fs::path& path) {
    return FileError("Could not read \"" + path.string() + "\": it is not a regular file.");
}

FileError tooLarge(const fs::path& path, std::uintmax_t maxBytes) {
    return FileError("Could not read \"" + path.string() + "\": it is larger than " +
                     byteSizeText(maxBytes) + ".");
}

}  // namespace

FileError::FileError(std::string_view action, const fs::path& path, std::error_code reason)
    : Error("Could not " + std::string(action) + " \"" + path.string() + "\": " + reason.message() +
            ".") {}

fs::path hiddenSibling(const fs::path& target, std::string_view tag) {
    // Appended piece by piece: GCC 12 misreads "." + string as an overlapping copy.
    std::string name = ".";
    name += target.filename().string();
    name += tag;
    name += Uuid::random().string();
    return target.parent_path() / name;
}

void writeFileAtomically(const fs::path& path, std::string_view bytes,
                         const std::function<void()>& beforeReplacing) {
    writeInPlaceOf(
        path,
        [&](const fs::path& temporary) {
            return writeDurably(temporary, bytes, existingMode(path));
        },
        beforeReplacing);
}

void writeFileAtomically(const fs::path& path, const std::function<void(const fs::path&)>& write,
                         const std::function<void()>& beforeReplacing) {
    writeInPlaceOf(
        path,
        [&](const fs::path& temporary) -> std::error_code {
            // Made first so that a folder that refuses files is reported as such, not as whatever
            // the writer makes of it.
            FileDescriptor created(
                ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!created.isOpen() || !created.close()) return lastError();
            write(temporary);
            return finishDurably(temporary, existingMode(path));
        },
        beforeReplacing);
}

void syncParentFolder(const fs::path& path) noexcept {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen()) (void)::fsync(dir.get());
}

std::string readFile(const fs::path& path, std::uintmax_t maxBytes) {
    // Looking before opening keeps a pipe from blocking the open and a device from being opened
    // at all; looking again at what was opened covers a swap in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw FileError("read", path, lastError());
    if (!S_ISREG(info.st_mode)) throw notARegularFile(path);
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.isOpen()) throw FileError("read", path, lastError());
    if (::fstat(file.get(), &info) != 0) throw FileError("read", path, lastError());
    if (!S_ISREG(info.st_mode)) throw notARegularFile(path);
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) throw tooLarge(path, maxBytes);

    std::string contents;
    contents.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw FileError("read", path, lastError());
        if (count == 0) return contents;
        // The size looked at first may be stale: the file can grow while it is read.
        if (static_cast<std::uintmax_t>(count) > maxBytes - contents.size()) {
            throw tooLarge(path, maxBytes);
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

std::string byteSizeText(std::uintmax_t bytes) {
    constexpr std::pair<std::uintmax_t, std::string_view> kUnits[] = {
        {std::uintmax_t{1} << 30, " GiB"}, {std::uintmax_t{1} << 20, " MiB"}, {1024, " KiB"}};
    for (const auto& [size, unit] : kUnits) {
        if (bytes >= size && bytes % size == 0) return std::to_string(bytes / size).append(unit);
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace brontile
