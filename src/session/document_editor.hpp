// The document and its undo history: the one place that writes the document. Every change is
// computed on a copy and committed whole as one undoable step, or not at all.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "commands/command_history.hpp"
#include "document/cad_document.hpp"
#include "session/session_notifier.hpp"

namespace brontile {

class SessionPlatform;

class DocumentEditor {
public:
    using Change = std::function<void(CADDocument&)>;

    // What recording a change came to: recorded, or nothing changed, or refused with a reason
    // for the error line (the document then stays as it was).
    struct Outcome {
        bool recorded = false;
        std::optional<std::string> error;
    };
    // What an undo or redo acted on: the step's name (nothing when there was no step) and the
    // error of a step that could not run.
    struct StepOutcome {
        std::optional<std::string> name;
        std::optional<std::string> error;
    };

    // `clock` dates the changes; both it and `notifier` must outlive the editor.
    DocumentEditor(SessionNotifier& notifier, const SessionPlatform& clock);

    [[nodiscard]] const CADDocument& document() const { return document_; }
    [[nodiscard]] const CommandHistory& history() const { return history_; }
    // Counts recorded changes, undos and redos (an undo with nothing to undo too); only grows.
    [[nodiscard]] std::int64_t historyVersion() const { return historyVersion_; }
    [[nodiscard]] bool isDirty() const { return isDirty_; }

    // Applies `change` to a copy and records it as one step named `name`. A change that
    // changes nothing records nothing; one that throws, or that would leave numbers a document
    // cannot store, is refused whole.
    Outcome record(const std::string& name, const Change& change);
    StepOutcome undo();
    StepOutcome redo();

    // A document opened or made new: no history, nothing unsaved.
    void replace(CADDocument document);
    // A document recovered after a crash: no history, and all of it unsaved.
    void replaceUnsaved(CADDocument document);
    // The document as it was just saved (titled after its file, with the camera), clean.
    void markSaved(CADDocument saved);
    // The grid is a view setting the document stores: flipping it is unsaved but not a step.
    void toggleGrid();

private:
    void apply(const CADDocument& snapshot);
    StepOutcome step(bool forward);
    void bumpVersion();

    SessionNotifier& notifier_;
    const SessionPlatform& clock_;
    CADDocument document_;
    CommandHistory history_;
    std::int64_t historyVersion_ = 0;
    bool isDirty_ = false;
};

}  // namespace brontile
