// The copies of open documents that a crash must not take with it. Under the store's root each
// open document has a folder of its own, holding its last recorded state as a package and a small
// manifest saying whose it was. A folder is in use while the process that made it holds the lock
// on it; a folder nobody holds was left by a process that ended without cleaning up, and what it
// holds can be recovered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.hpp"
#include "base/json_codec.hpp"
#include "document/cad_document.hpp"

namespace brontile {

struct RecoveryManifest {
    static constexpr std::int64_t currentFormatVersion = 1;

    std::int64_t formatVersion = currentFormatVersion;
    // The document's own package, or nothing for a document never saved.
    std::optional<std::filesystem::path> file;
    std::string title;
    // When the state held was recorded.
    DateTime time;
    std::int64_t processID = 0;

    friend bool operator==(const RecoveryManifest&, const RecoveryManifest&) = default;
};

// Keys "file" (absent for none), "formatVersion", "processID", "time", "title".
template <>
struct JsonCodec<RecoveryManifest> {
    static void write(JsonWriter& out, const RecoveryManifest& manifest);
    static RecoveryManifest read(const JsonReader& in);
};

// One folder left over in the store.
struct RecoveryEntry {
    std::filesystem::path folder;
    RecoveryManifest manifest;
    // Why its copy cannot be opened; nothing when it can.
    std::optional<std::string> damage;
};

class RecoveryStore {
public:
    static constexpr const char* packageName = "document.brontdoc";
    static constexpr const char* manifestName = "recovery.json";

    explicit RecoveryStore(std::filesystem::path root) : root_(std::move(root)) {}

    // $BRONTILE_RECOVERY_DIR; else $XDG_STATE_HOME/brontile/recovery; else
    // ~/.local/state/brontile/recovery. Nothing when none of them is set.
    [[nodiscard]] static std::optional<std::filesystem::path> defaultRoot(
        const std::function<const char*(const char*)>& environment);

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }

    // The folders nobody holds that have a copy to offer, newest first. Each is checked by
    // reading its copy; one that cannot be read says why in `damage`. Folders without any copy
    // (a process that ended before its first change) are removed on the way.
    [[nodiscard]] std::vector<RecoveryEntry> leftovers() const;
    // The document a folder holds; throws as NativePackageIO::load does.
    [[nodiscard]] CADDocument load(const std::filesystem::path& folder) const;
    // The folder's manifest; nothing when it is missing or cannot be read.
    [[nodiscard]] std::optional<RecoveryManifest> manifest(
        const std::filesystem::path& folder) const;
    // Renames a folder whose copy is damaged to "<name>.damaged": kept for a person to look at,
    // never offered again.
    void setAside(const std::filesystem::path& folder) const;
    void discard(const std::filesystem::path& folder) const;

private:
    std::filesystem::path root_;
};

// The folder of one open document, locked for as long as this lives. Not copyable; the process
// that ends without destroying it leaves the folder to be recovered.
class RecoverySlot {
public:
    // Makes a fresh folder under the store's root and takes its lock. Throws FileError.
    explicit RecoverySlot(const RecoveryStore& store);
    RecoverySlot(const RecoverySlot&) = delete;
    RecoverySlot& operator=(const RecoverySlot&) = delete;
    // Lets the lock go and removes the folder: the document ended cleanly.
    ~RecoverySlot();

    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
    // Writes the state: the package first, each whole or not at all, then the manifest, so that
    // a crash at any point leaves this state or the one before it. Throws what the writes throw.
    void write(const CADDocument& document, const RecoveryManifest& manifest);
    // Removes the copy, keeping the folder and its lock (the document was saved).
    void clear();

private:
    std::filesystem::path folder_;
    int lock_ = -1;
};

}  // namespace brontile
