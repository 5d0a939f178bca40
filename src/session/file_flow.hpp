// The session's files: the unsaved-changes question, new, open, save, save as and export, each
// asking the platform's panels and alerts, and the recovery copy of unsaved work. Owns where the
// document lives.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/interchange_format.hpp"
#include "io/package_file_system.hpp"
#include "session/document_editor.hpp"
#include "session/interaction_state.hpp"
#include "session/operation_runner.hpp"
#include "session/recovery_writer.hpp"
#include "session/session_platform.hpp"
#include "session/status_lines.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class FileFlow {
public:
    // Everything given must outlive the flow.
    FileFlow(SessionPlatform& platform, DocumentEditor& editor, InteractionState& state,
             StatusLines& status, ViewportState& viewport, SessionNotifier& notifier,
             OperationRunner& runner);

    // Where the document was last opened from or saved to.
    [[nodiscard]] const std::optional<std::filesystem::path>& fileURL() const { return fileURL_; }
    // The file's name without extension, else the document's title; " — Edited" when dirty.
    [[nodiscard]] std::string windowTitle() const;

    // Whether to go ahead with replacing a document that has unsaved changes: asks, and saves
    // when told to. True at once for a clean document.
    [[nodiscard]] bool confirmDiscardIfNeeded();
    void newDocument();
    void openDocument();
    // Opens the package at `location` without asking anything (a package named on the command
    // line); a package that cannot be read leaves the current document and says why.
    void openDocumentAt(const std::filesystem::path& location);
    // Writes to the document's own file, or asks where as Save As does.
    void save();
    // Asks where, and before replacing a package that is already there.
    void saveDocumentAs();
    // Writes the document, with the current camera and titled after the file, as a package.
    void write(const std::filesystem::path& location);
    // Exports the visible bodies (`export` is a C++ keyword), as the session's background
    // operation: the window goes on meanwhile.
    void exportDocument(InterchangeFormat format);
    // At start: offers what a Brontile that ended without closing its documents left in the
    // recovery store ("Brontile quit unexpectedly. Recover your unsaved work?"). Recover opens
    // the newest here, unsaved and bound to its file, and returns the others, which the caller
    // opens elsewhere; Discard removes them. A copy that cannot be read is named and set aside
    // either way, never opened.
    [[nodiscard]] std::vector<RecoveryEntry> offerRecovery();
    // Opens the copy in `folder` of the recovery store as an unsaved document bound to the file
    // it belonged to, and removes the folder once the copy is safe again under this session.
    // False, saying why, when it cannot be read (it is then set aside).
    bool recover(const std::filesystem::path& folder);
    // The recovery copy of unsaved work: written after each recorded change, never into the
    // document's own package; gone when the document is saved or closed cleanly.
    [[nodiscard]] RecoveryWriter& recovery() { return recovery_; }

    // The file system packages are written to; the computer's own unless a test says otherwise.
    void useFileSystem(PackageFileSystem& files) { files_ = &files; }

private:
    // Puts a document into the session in place of the current one, as opened or new, or as
    // recovered: unsaved.
    void load(CADDocument document, std::optional<std::filesystem::path> location,
              bool unsaved = false);
    // Whether the person agrees to replace what is at `location`; true when nothing is there.
    [[nodiscard]] bool mayReplace(const std::filesystem::path& location);
    // The document as it is written: with the view's camera, titled after its file.
    [[nodiscard]] CADDocument documentToWrite(const std::filesystem::path& location) const;

    SessionPlatform& platform_;
    DocumentEditor& editor_;
    InteractionState& state_;
    StatusLines& status_;
    ViewportState& viewport_;
    SessionNotifier& notifier_;
    OperationRunner& runner_;
    PackageFileSystem* files_;
    std::optional<std::filesystem::path> fileURL_;
    RecoveryWriter recovery_;
};

}  // namespace brontile
