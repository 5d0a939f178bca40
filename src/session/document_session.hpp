// The session of one document window, as the window and the replays see it: it builds and
// holds the parts that do the work (the document editor, the interaction state the tools work
// through, the editing operations, the file flow, the one road for viewport input and the scene
// feed), runs every command through the command table, and tells observers what changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_registry.hpp"
#include "kernel/poly_kernel.hpp"
#include "session/document_editor.hpp"
#include "session/editing.hpp"
#include "session/file_flow.hpp"
#include "session/import_flow.hpp"
#include "session/interaction_state.hpp"
#include "session/scene_feed.hpp"
#include "session/session_notifier.hpp"
#include "session/session_platform.hpp"
#include "session/sketch_freedoms.hpp"
#include "session/status_lines.hpp"
#include "session/viewport_input.hpp"
#include "shortcuts/keymap_store.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class DocumentSession {
public:
    // The text shown on the status line when the window opens.
    static constexpr std::string_view kWelcomeHint =
        "Select a face and the action bar appears \u2014 Sketch, Extrude, Fillet. S starts a "
        "sketch. L/R/C/A/G draw. E extrudes, F fillets, V revolves, D measures. \u2318K for every "
        "command.";

    // The platform must outlive the session. The keymap is the shipped profile unless one is
    // given; when the shipped one cannot be had, the error line says so from the start.
    explicit DocumentSession(SessionPlatform& platform,
                             std::optional<KeymapStore> keymap = std::nullopt);
    // With a keymap as loaded, and what went wrong loading it.
    DocumentSession(SessionPlatform& platform, KeymapStore::Loaded keymap);
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;
    ~DocumentSession();

    // Called after each change of a published property, with which one, for the session's life.
    void observe(SessionNotifier::Observer observer) { notifier_.observe(std::move(observer)); }
    // Runs the command's handler; an id without one is not an error, the status line names it.
    // While a long operation runs, only the commands that are available run; Escape's cancel
    // stops the operation.
    void dispatch(const CommandID& id);
    // False for a command that would change the document while a long operation runs: the
    // window greys it out. The view, selection, palette, shortcut sheet and cancel stay.
    [[nodiscard]] bool isAvailable(const CommandID& id) const;

    // --- The parts
    [[nodiscard]] DocumentEditor& editor() { return editor_; }
    [[nodiscard]] InteractionState& interaction() { return interaction_; }
    [[nodiscard]] const InteractionState& interaction() const { return interaction_; }
    [[nodiscard]] Editing& editing() { return editing_; }
    [[nodiscard]] FileFlow& files() { return files_; }
    [[nodiscard]] ImportFlow& imports() { return imports_; }
    [[nodiscard]] StatusLines& status() { return status_; }
    [[nodiscard]] OperationRunner& operations() { return runner_; }
    [[nodiscard]] const OperationRunner& operations() const { return runner_; }
    [[nodiscard]] ViewportInput& input() { return input_; }
    [[nodiscard]] ViewportState& viewport() { return viewport_; }
    [[nodiscard]] const ViewportState& viewport() const { return viewport_; }
    [[nodiscard]] SessionPlatform& platform() { return platform_; }
    [[nodiscard]] const CommandRegistry& registry() const { return registry_; }
    [[nodiscard]] const KeymapStore& keymap() const { return keymap_; }
    // Why the shipped keyboard shortcuts could not be used, when they could not.
    [[nodiscard]] const std::optional<std::string>& keymapProblem() const { return keymapProblem_; }

    // --- What the window and the trace show
    [[nodiscard]] const CADDocument& document() const { return editor_.document(); }
    [[nodiscard]] const CommandHistory& history() const { return editor_.history(); }
    [[nodiscard]] std::int64_t historyVersion() const { return editor_.historyVersion(); }
    [[nodiscard]] bool isDirty() const { return editor_.isDirty(); }
    [[nodiscard]] const Selection& selection() const { return interaction_.selection(); }
    [[nodiscard]] const std::optional<Uuid>& activeSketchID() const {
        return interaction_.activeSketchID();
    }
    [[nodiscard]] std::optional<Sketch> activeSketch() const { return interaction_.activeSketch(); }
    // The degrees of freedom of the document's sketches, each worked out once per change.
    [[nodiscard]] const SketchFreedoms& freedoms() const { return freedoms_; }
    // The active sketch's, if a sketch is active.
    [[nodiscard]] std::optional<SketchFreedom> activeFreedom() const;
    [[nodiscard]] const std::optional<HUDState>& hud() const { return interaction_.hud(); }
    [[nodiscard]] bool hudEditing() const { return interaction_.hudEditing(); }
    [[nodiscard]] const std::string& statusHint() const { return interaction_.statusHint(); }
    [[nodiscard]] const ToolID& activeToolID() const { return interaction_.activeToolID(); }
    [[nodiscard]] const ToolController& tools() const { return interaction_.tools(); }
    [[nodiscard]] bool showSection() const { return interaction_.showSection(); }
    [[nodiscard]] const std::optional<std::string>& statusMessage() const {
        return status_.message();
    }
    [[nodiscard]] const std::optional<std::string>& errorMessage() const { return status_.error(); }
    [[nodiscard]] const std::optional<std::filesystem::path>& fileURL() const {
        return files_.fileURL();
    }
    [[nodiscard]] std::string windowTitle() const { return files_.windowTitle(); }
    [[nodiscard]] const GeometryKernel& kernel() const { return kernel_; }

private:
    SessionPlatform& platform_;
    SessionNotifier notifier_;
    StatusLines status_{notifier_};
    DocumentEditor editor_;
    ViewportState viewport_;
    PolyKernel kernel_;
    CommandRegistry registry_;
    KeymapStore keymap_;
    std::optional<std::string> keymapProblem_;
    OperationRunner runner_;
    PreviewRunner previews_;
    InteractionState interaction_;
    Editing editing_;
    SketchFreedoms freedoms_;
    FileFlow files_;
    ImportFlow imports_;
    ViewportInput input_;
    SceneFeed sceneFeed_;
};

}  // namespace brontile
