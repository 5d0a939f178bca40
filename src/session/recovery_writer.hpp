// Keeps the recovery copy of the open document: after each recorded change, within a second and
// at most once a second, the newest state is written to the document's folder in the recovery
// store, off the window's thread. The user's own package is never touched: only Save writes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "document/cad_document.hpp"
#include "io/recovery_store.hpp"
#include "session/session_platform.hpp"

namespace brontile {

class RecoveryWriter {
public:
    static constexpr double kInterval = 1;

    explicit RecoveryWriter(SessionPlatform& platform);
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;
    // The document ends cleanly: its folder goes, once a write under way has ended.
    ~RecoveryWriter();

    // Where copies go from now on; without a store nothing is written.
    void useStore(RecoveryStore store);
    [[nodiscard]] const std::optional<RecoveryStore>& store() const { return store_; }

    // A recorded change left `document` (bound to `file`, if any) unsaved: it is the state to keep.
    void record(CADDocument document, std::optional<std::filesystem::path> file);
    // The document was saved: the copy goes, until the next change.
    void clear();
    // The document was closed or replaced cleanly: its folder goes.
    void end();
    // Writes the state waiting, if any, now, and returns once no write is under way (a replay
    // does this after each step). With a store it waits for all of the platform's background
    // work, which a replay may do; without one it does nothing.
    void flush();
    // The folder of the open document's copy, once one was written.
    [[nodiscard]] std::optional<std::filesystem::path> folder() const;

private:
    struct State {
        CADDocument document;
        RecoveryManifest manifest;
    };

    // What the end of a write looks at back on the session's thread; it may come after this
    // writer is gone, and then finds nothing.
    struct Flags {
        bool writing = false;
        // Counts the writes started: the end of one that flush() has already settled finds a
        // newer count and leaves the flags alone.
        std::uint64_t writes = 0;
        // A save came while a write was under way: the copy goes once it has ended.
        bool clearAfterWrite = false;
        // Shared with the write under way, which may outlive an end.
        std::shared_ptr<RecoverySlot> slot;
    };

    void tick();
    void start();
    // What the end of a write does, once: by its own end, or by flush() when the worker was
    // waited for and that end is still queued.
    static void endWrite(Flags& flags);

    SessionPlatform& platform_;
    std::optional<RecoveryStore> store_;
    std::shared_ptr<Flags> flags_ = std::make_shared<Flags>();
    std::optional<State> waiting_;
    std::optional<double> lastStart_;
    std::unique_ptr<TimerHandle> timer_;
};

}  // namespace brontile
