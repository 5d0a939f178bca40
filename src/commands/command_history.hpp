// The linear undo/redo history of one session. It owns the commands on its two stacks and knows
// nothing about what they change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/undoable_command.hpp"

namespace brontile {

class CommandHistory {
public:
    static constexpr std::int64_t kDefaultLimit = 500;

    // The most changes kept for undo. Changing it trims nothing at once: each later execute()
    // drops at most one oldest change, so lowering it only stops the history from growing.
    // Zero or less keeps nothing undoable.
    [[nodiscard]] std::int64_t limit() const { return limit_; }
    void setLimit(std::int64_t limit) { limit_ = limit; }

    [[nodiscard]] bool canUndo() const { return !undoStack_.empty(); }
    [[nodiscard]] bool canRedo() const { return !redoStack_.empty(); }
    [[nodiscard]] std::size_t undoDepth() const { return undoStack_.size(); }
    [[nodiscard]] std::size_t redoDepth() const { return redoStack_.size(); }

    // The name of the change undo() / redo() would act on; read it before calling them, since
    // afterwards the command sits on the other stack. Nothing when the stack is empty.
    [[nodiscard]] std::optional<std::string> undoActionName() const;
    [[nodiscard]] std::optional<std::string> redoActionName() const;

    // Performs the command and records it as the newest change, dropping the oldest one when the
    // history is over its limit and discarding everything redoable. If perform() throws, the
    // exception propagates and the history is as it was. A null command is ignored.
    void execute(std::shared_ptr<UndoableCommand> command);
    // Reverses the newest change and makes it redoable; nothing when there is none. If the
    // command's undo() throws, the exception propagates and the command stays the newest
    // change, so that the step is neither lost nor half moved and can be tried again.
    void undo();
    // Re-performs the newest undone change; the mirror of undo().
    void redo();
    // Forgets every change, e.g. when another document is loaded.
    void clear();

private:
    // Oldest change at the front: trimming pops it in constant time.
    std::deque<std::shared_ptr<UndoableCommand>> undoStack_;
    std::vector<std::shared_ptr<UndoableCommand>> redoStack_;
    std::int64_t limit_ = kDefaultLimit;
};

}  // namespace brontile
