// Moving commands between the undo and redo stacks.
#include "commands/command_history.hpp"

#include <utility>

namespace brontile {

std::optional<std::string> CommandHistory::undoActionName() const {
    if (undoStack_.empty()) return std::nullopt;
    return undoStack_.back()->name();
}

std::optional<std::string> CommandHistory::redoActionName() const {
    if (redoStack_.empty()) return std::nullopt;
    return redoStack_.back()->name();
}

void CommandHistory::execute(std::shared_ptr<UndoableCommand> command) {
    if (!command) return;
    command->perform();
    undoStack_.push_back(std::move(command));
    // One removal at most, so that a lowered limit costs nothing extra per step.
    if (static_cast<std::int64_t>(undoStack_.size()) > limit_) undoStack_.pop_front();
    redoStack_.clear();
}

// A step moves to the other stack only once it ran: one that throws stays where it was.
void CommandHistory::undo() {
    if (undoStack_.empty()) return;
    undoStack_.back()->undo();
    redoStack_.push_back(std::move(undoStack_.back()));
    undoStack_.pop_back();
}

void CommandHistory::redo() {
    if (redoStack_.empty()) return;
    redoStack_.back()->perform();
    undoStack_.push_back(std::move(redoStack_.back()));
    redoStack_.pop_back();
}

void CommandHistory::clear() {
    undoStack_.clear();
    redoStack_.clear();
}

}  // namespace brontile
