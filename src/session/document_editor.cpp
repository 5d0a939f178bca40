#include "session/document_editor.hpp"

#include <exception>
#include <memory>
#include <utility>

#include "commands/undoable_command.hpp"
#include "session/session_platform.hpp"
#include "session/storable_change.hpp"

namespace brontile {

DocumentEditor::DocumentEditor(SessionNotifier& notifier, const SessionPlatform& clock)
    : notifier_(notifier), clock_(clock), document_(CADDocument::empty("Untitled", clock.now())) {}

DocumentEditor::Outcome DocumentEditor::record(const std::string& name, const Change& change) {
    CADDocument after = document_;
    // A change that fails part way is dropped whole, never half applied.
    try {
        change(after);
    } catch (const std::exception& error) {
        return {false, error.what()};
    }
    if (after == document_) return {};
    if (const auto why = whyUnstorable(document_, after)) {
        return {false, "\u201C" + name + "\u201D was not applied: " + *why + "."};
    }
    after.metadata.modifiedAt = clock_.now();
    auto command = std::make_shared<SnapshotCommand<CADDocument>>(
        name, document_, std::move(after),
        [this](const CADDocument& snapshot) { apply(snapshot); });
    Outcome outcome{true, std::nullopt};
    try {
        history_.execute(std::move(command));
    } catch (const std::exception& error) {
        outcome = {false, error.what()};
    }
    bumpVersion();
    return outcome;
}

DocumentEditor::StepOutcome DocumentEditor::undo() { return step(false); }

DocumentEditor::StepOutcome DocumentEditor::redo() { return step(true); }

DocumentEditor::StepOutcome DocumentEditor::step(bool forward) {
    StepOutcome outcome{forward ? history_.redoActionName() : history_.undoActionName(), {}};
    try {
        forward ? history_.redo() : history_.undo();
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    bumpVersion();
    return outcome;
}

void DocumentEditor::apply(const CADDocument& snapshot) {
    CADDocument next = snapshot;
    // Neither is a step: the grid stays as the person last set it, and the title stays the one
    // the last save or open gave, which names the file the next save writes.
    next.showGrid = document_.showGrid;
    next.metadata.title = document_.metadata.title;
    notifier_.publish(document_, std::move(next), SessionProperty::document);
    notifier_.publish(isDirty_, true, SessionProperty::isDirty);
}

void DocumentEditor::replace(CADDocument document) {
    notifier_.publish(document_, std::move(document), SessionProperty::document);
    notifier_.publish(isDirty_, false, SessionProperty::isDirty);
    history_.clear();
    bumpVersion();
}

void DocumentEditor::replaceUnsaved(CADDocument document) {
    replace(std::move(document));
    notifier_.publish(isDirty_, true, SessionProperty::isDirty);
}

void DocumentEditor::markSaved(CADDocument saved) {
    notifier_.publish(document_, std::move(saved), SessionProperty::document);
    notifier_.publish(isDirty_, false, SessionProperty::isDirty);
}

void DocumentEditor::toggleGrid() {
    CADDocument toggled = document_;
    toggled.showGrid = !toggled.showGrid;
    notifier_.publish(document_, std::move(toggled), SessionProperty::document);
    notifier_.publish(isDirty_, true, SessionProperty::isDirty);
}

void DocumentEditor::bumpVersion() {
    notifier_.publish(historyVersion_, historyVersion_ + 1, SessionProperty::historyVersion);
}

}  // namespace brontile
