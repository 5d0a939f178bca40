#include "session/recovery_writer.hpp"

#include <exception>

#include <unistd.h>

namespace brontile {

RecoveryWriter::RecoveryWriter(SessionPlatform& platform) : platform_(platform) {}

RecoveryWriter::~RecoveryWriter() { end(); }

void RecoveryWriter::useStore(RecoveryStore store) {
    end();
    store_ = std::move(store);
}

void RecoveryWriter::record(CADDocument document, std::optional<std::filesystem::path> file) {
    if (!store_) return;
    RecoveryManifest manifest;
    manifest.file = std::move(file);
    manifest.title = document.metadata.title;
    manifest.time = platform_.now();
    manifest.processID = ::getpid();
    waiting_ = State{std::move(document), std::move(manifest)};
    // A second between the starts of two writes: the newest state waits for its turn. The timer
    // is kept, idle, until the document ends: a tick must not destroy the timer it runs in.
    if (!timer_) timer_ = platform_.repeat(kInterval / 4, [this] { tick(); });
    tick();
}

void RecoveryWriter::tick() {
    if (!waiting_ || flags_->writing) return;
    const double now = platform_.monotonicSeconds();
    if (lastStart_ && now - *lastStart_ < kInterval) return;
    start();
}

void RecoveryWriter::start() {
    if (!flags_->slot) {
        try {
            flags_->slot = std::make_shared<RecoverySlot>(*store_);
        } catch (const std::exception&) {
            // A store that cannot be written to keeps nothing; the document itself is unharmed.
            waiting_.reset();
            return;
        }
    }
    flags_->writing = true;
    const std::uint64_t write = ++flags_->writes;
    lastStart_ = platform_.monotonicSeconds();
    platform_.runInBackground(
        [slot = flags_->slot, state = std::move(*waiting_)] {
            try {
                slot->write(state.document, state.manifest);
            } catch (const std::exception&) {
                // The next change tries again; the copy before this one stays whole.
            }
        },
        [weak = std::weak_ptr<Flags>(flags_), write] {
            const auto flags = weak.lock();
            if (flags && flags->writes == write) endWrite(*flags);
        });
    waiting_.reset();
}

void RecoveryWriter::clear() {
    waiting_.reset();
    if (!flags_->slot) return;
    if (flags_->writing) {
        flags_->clearAfterWrite = true;
    } else {
        flags_->slot->clear();
    }
}

void RecoveryWriter::end() {
    waiting_.reset();
    timer_.reset();
    // A write under way keeps its slot until it ends; the folder goes with the last holder. The
    // next document starts afresh, whatever the end of that write finds.
    flags_ = std::make_shared<Flags>();
}

void RecoveryWriter::endWrite(Flags& flags) {
    if (!flags.writing) return;
    flags.writing = false;
    if (flags.clearAfterWrite && flags.slot) flags.slot->clear();
    flags.clearAfterWrite = false;
}

void RecoveryWriter::flush() {
    // Without a store there is nothing to wait for: the session's other work goes on untouched.
    if (!store_) return;
    // A write that has ended may still have its end queued behind this call: settle it, so that
    // the newest state is written now and not one step late.
    platform_.waitForBackground();
    endWrite(*flags_);
    if (!waiting_) return;
    start();
    platform_.waitForBackground();
    endWrite(*flags_);
}

std::optional<std::filesystem::path> RecoveryWriter::folder() const {
    if (!flags_->slot) return std::nullopt;
    return flags_->slot->folder();
}

}  // namespace brontile
