#include "io/recovery_store.hpp"

#include <algorithm>
#include <cstdio>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "io/atomic_file.hpp"
#include "io/native_package_io.hpp"

namespace brontile {
namespace {

constexpr const char* kLockName = "lock";
constexpr const char* kSetAsideSuffix = ".damaged";

// Whether some process holds the folder's lock. A folder without a lock file is held by nobody.
bool isHeld(const std::filesystem::path& folder) {
    const int fd = ::open((folder / kLockName).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// The folder's entry. Its manifest, or one made from the copy itself when the manifest is
// missing or unreadable (a crash between the copy and its first manifest): the copy is what
// counts.
RecoveryEntry entryFor(const RecoveryStore& store, const std::filesystem::path& folder) {
    RecoveryEntry entry{folder, {}, std::nullopt};
    std::optional<CADDocument> document;
    try {
        document = store.load(folder);
    } catch (const std::exception& error) {
        entry.damage = error.what();
    }
    if (auto manifest = store.manifest(folder)) {
        entry.manifest = std::move(*manifest);
    } else if (document) {
        entry.manifest.title = document->metadata.title;
        entry.manifest.time = document->metadata.modifiedAt;
    }
    if (entry.manifest.title.empty()) entry.manifest.title = folder.filename().string();
    return entry;
}

}  // namespace

void JsonCodec<RecoveryManifest>::write(JsonWriter& out, const RecoveryManifest& manifest) {
    out.beginObject();
    if (manifest.file) out.member("file", manifest.file->string());
    out.member("formatVersion", manifest.formatVersion)
        .member("processID", manifest.processID)
        .member("time", manifest.time)
        .member("title", manifest.title)
        .endObject();
}

RecoveryManifest JsonCodec<RecoveryManifest>::read(const JsonReader& in) {
    RecoveryManifest manifest;
    manifest.formatVersion = in["formatVersion"].as<std::int64_t>();
    if (const auto file = in.optionalMember("file")) {
        manifest.file = std::filesystem::path(file->as<std::string>());
    }
    manifest.title = in["title"].as<std::string>();
    manifest.time = in["time"].as<DateTime>();
    manifest.processID = in["processID"].as<std::int64_t>();
    return manifest;
}

std::optional<std::filesystem::path> RecoveryStore::defaultRoot(
    const std::function<const char*(const char*)>& environment) {
    const auto set = [&](const char* name) -> std::optional<std::filesystem::path> {
        const char* value = environment(name);
        if (value == nullptr || *value == '\0') return std::nullopt;
        return std::filesystem::path(value);
    };
    if (auto chosen = set("BRONTILE_RECOVERY_DIR")) return chosen;
    if (auto state = set("XDG_STATE_HOME")) return *state / "brontile" / "recovery";
    if (auto home = set("HOME")) return *home / ".local" / "state" / "brontile" / "recovery";
    return std::nullopt;
}

std::vector<RecoveryEntry> RecoveryStore::leftovers() const {
    std::vector<RecoveryEntry> entries;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(root_, error)) {
        const std::filesystem::path& folder = item.path();
        const std::string name = folder.filename().string();
        if (!item.is_directory(error) || name.starts_with('.') || name.ends_with(kSetAsideSuffix) ||
            isHeld(folder)) {
            continue;
        }
        if (!std::filesystem::exists(folder / packageName, error)) {
            // Its process ended before its first change: nothing to offer.
            std::filesystem::remove_all(folder, error);
            continue;
        }
        entries.push_back(entryFor(*this, folder));
    }
    std::ranges::sort(entries, [](const RecoveryEntry& a, const RecoveryEntry& b) {
        return a.manifest.time > b.manifest.time;
    });
    return entries;
}

CADDocument RecoveryStore::load(const std::filesystem::path& folder) const {
    return NativePackageIO::load(folder / packageName);
}

std::optional<RecoveryManifest> RecoveryStore::manifest(const std::filesystem::path& folder) const {
    try {
        return fromJsonText<RecoveryManifest>(
            readFile(folder / manifestName, NativePackageIO::maxManifestBytes));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void RecoveryStore::setAside(const std::filesystem::path& folder) const {
    std::filesystem::path aside = folder.string() + kSetAsideSuffix;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(aside, error); ++n) {
        aside = folder.string() + "-" + std::to_string(n) + kSetAsideSuffix;
    }
    std::filesystem::rename(folder, aside, error);
    if (error) throw FileError("set aside", folder, error);
}

void RecoveryStore::discard(const std::filesystem::path& folder) const {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (error) throw FileError("remove", folder, error);
}

RecoverySlot::RecoverySlot(const RecoveryStore& store) {
    std::error_code error;
    std::filesystem::create_directories(store.root(), error);
    if (error) throw FileError("create", store.root(), error);
    // Not from the document's identifier generator: a replay seeds that one, and a slot must not
    // change which identifiers the replay's document gets.
    std::random_device entropy;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
    folder_ = store.root() / (std::to_string(::getpid()) + "-" + suffix);
    std::filesystem::create_directories(folder_, error);
    if (error) throw FileError("create", folder_, error);
    lock_ = ::open((folder_ / kLockName).c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (lock_ < 0 || ::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        const std::error_code reason(errno, std::generic_category());
        if (lock_ >= 0) ::close(lock_);
        lock_ = -1;
        std::filesystem::remove_all(folder_, error);
        throw FileError("lock", folder_, reason);
    }
}

RecoverySlot::~RecoverySlot() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    if (lock_ >= 0) ::close(lock_);
}

void RecoverySlot::write(const CADDocument& document, const RecoveryManifest& manifest) {
    static_cast<void>(
        NativePackageIO::save(document, folder_ / RecoveryStore::packageName, manifest.time));
    writeFileAtomically(folder_ / RecoveryStore::manifestName, toJsonText(manifest));
}

void RecoverySlot::clear() {
    std::error_code error;
    std::filesystem::remove(folder_ / RecoveryStore::manifestName, error);
    std::filesystem::remove_all(folder_ / RecoveryStore::packageName, error);
}

}  // namespace brontile
