// The central object of one document window: it owns the document and everything that acts on
// it, turns every command into an action, records every change as an undoable step, routes the
// viewport's input to the active tool or the keymap, and is the context tools work through.
// Observers hear which published property changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/command_history.hpp"
#include "commands/command_id.hpp"
#include "commands/command_registry.hpp"
#include "interaction/scene_hit_tester.hpp"
#include "io/interchange_format.hpp"
#include "kernel/poly_kernel.hpp"
#include "session/session_platform.hpp"
#include "shortcuts/keymap_store.hpp"
#include "tools/modeling_context.hpp"
#include "tools/tool_controller.hpp"
#include "viewport/scene_cache.hpp"
#include "viewport/viewport_input_delegate.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

// The session's published properties, for change notification.
enum class SessionProperty {
    document,
    selection,
    activeSketchID,
    hud,
    hudEditing,
    statusHint,
    statusMessage,
    errorMessage,
    showPalette,
    showCheatSheet,
    isDirty,
    fileURL,
    activeToolID,
    showSection,
    historyVersion,
};

class DocumentSession final : public ModelingContext, public ViewportInputDelegate {
public:
    using Observer = std::function<void(SessionProperty)>;

    // The text shown on the status line when the window opens.
    static constexpr std::string_view kWelcomeHint =
        "Select a face and the action bar appears \u2014 Sketch, Extrude, Fillet. S starts a "
        "sketch. L/R/C/A/G draw. E extrudes, F fillets, V revolves, D measures. \u2318K for every "
        "command.";
    static constexpr double kAutosaveInterval = 30;

    // The platform must outlive the session. The keymap is the shipped default profile unless
    // one is given.
    explicit DocumentSession(SessionPlatform& platform,
                             std::optional<KeymapStore> keymap = std::nullopt);
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;
    ~DocumentSession() override;

    // Called after each published property changes, with which one. Observers stay for the
    // session's life.
    void observe(Observer observer);

    // --- Published state
    [[nodiscard]] const CADDocument& document() const override { return document_; }
    [[nodiscard]] const Selection& selection() const override { return selection_; }
    [[nodiscard]] const std::optional<Uuid>& activeSketchID() const override {
        return activeSketchID_;
    }
    [[nodiscard]] const std::optional<HUDState>& hud() const override { return hud_; }
    [[nodiscard]] bool hudEditing() const { return hudEditing_; }
    [[nodiscard]] const std::string& statusHint() const override { return statusHint_; }
    [[nodiscard]] const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    [[nodiscard]] const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    [[nodiscard]] bool showPalette() const { return showPalette_; }
    [[nodiscard]] bool showCheatSheet() const { return showCheatSheet_; }
    [[nodiscard]] bool isDirty() const { return isDirty_; }
    [[nodiscard]] const std::optional<std::filesystem::path>& fileURL() const { return fileURL_; }
    [[nodiscard]] const ToolID& activeToolID() const { return activeToolID_; }
    [[nodiscard]] bool showSection() const { return showSection_; }
    [[nodiscard]] std::int64_t historyVersion() const { return historyVersion_; }

    // --- Other state
    [[nodiscard]] const std::optional<HitTarget>& hover() const override { return hover_; }
    [[nodiscard]] const SceneOverlay& overlay() const override { return overlay_; }
    [[nodiscard]] const GeometryKernel& kernel() const override { return kernel_; }
    [[nodiscard]] const CommandRegistry& registry() const { return registry_; }
    [[nodiscard]] const KeymapStore& keymap() const { return keymap_; }
    [[nodiscard]] const CommandHistory& history() const { return history_; }
    [[nodiscard]] const ToolController& tools() const { return tools_; }
    [[nodiscard]] ViewportState& viewport() { return *viewport_; }
    [[nodiscard]] const std::optional<CommandID>& lastToolCommand() const {
        return lastToolCommand_;
    }
    // Set by the viewport view: gives the keyboard focus back to it.
    std::function<void()> refocusViewport;

    // --- Derived
    [[nodiscard]] std::optional<Sketch> activeSketch() const;
    // The file's name without extension, else the document's title; " — Edited" when dirty.
    [[nodiscard]] std::string windowTitle() const;

    // --- Operations
    void dispatch(const CommandID& id);
    void mutate(const std::string& name, const Change& change) override;
    void undo();
    void redo();
    void setTool(const ToolID& id) override;
    void rememberAndActivate(const CommandID& command, const ToolID& id);
    void newSketch(std::optional<SketchPlane> plane);
    void finishSketch();
    void frameAll();
    // Ends HUD editing and hands the value (millimetres for a length) to the active tool, or to
    // the one selected dimension.
    void commitHUD(double value);
    // What the HUD's field submits: the text read as the HUD's quantity and committed; text that
    // is no such value abandons the edit. Returns whether a value was committed.
    bool submitHUDText(std::string_view text);
    void autosave();
    [[nodiscard]] std::optional<HitResult> hitTest(const Ray& ray) override;

    // --- Editing from the selection and the inspector (editing.cpp)
    void deleteSelection();
    void duplicateSelection();
    void toggleConstruction();
    void applyConstraintKind(SketchConstraintKind kind);
    void applyEqualConstraint();
    // Whether a dimension could be made from the selected sketch geometry (then the command is
    // handled, even when the solve refused it).
    bool applyDimensionFromSelection();
    // A length typed for the one selected dimension; refused when it is not a positive finite
    // length, and recorded only when the sketch can be solved with it.
    void commitConstraintDimension(double value);
    void refreshConstraintStatus();
    struct SelectedEntities {
        Uuid sketch;
        std::vector<SketchEntity> entities;
    };
    [[nodiscard]] std::optional<SelectedEntities> selectedSketchEntities() const;
    [[nodiscard]] std::optional<SketchPlane> faceSelectionPlane() const;
    void selectBody(const BodyID& id, bool extend);
    void toggleBodyVisibility(const BodyID& id);
    void renameBody(const BodyID& id, const std::string& name);
    void setActiveSketch(std::optional<Uuid> id);
    void toggleSketchVisibility(const Uuid& id);
    void deleteSketch(const Uuid& id);
    void deleteConstraint(const Uuid& sketch, const SketchConstraintID& constraint);
    void setUnits(LengthUnit units);

    // --- Files (file_flow.cpp)
    // Whether to go ahead with replacing a document that has unsaved changes: asks, and saves
    // when told to. True at once for a clean document.
    [[nodiscard]] bool confirmDiscardIfNeeded();
    void newDocument();
    void openDocument();
    // Opens the package at `location` without asking anything (a package named on the command
    // line); a package that cannot be read leaves the current document and says why.
    void openDocumentAt(const std::filesystem::path& location);
    void saveDocumentAs();
    // Writes the document, with the current camera and titled after the file, as a package.
    void write(const std::filesystem::path& location);
    // Exports the visible bodies (`export` is a C++ keyword).
    void exportDocument(InterchangeFormat format);

    // --- ModelingContext, forwarded to the fields above
    void setSelection(Selection selection) override;
    void setHover(std::optional<HitTarget> target) override;
    void setActiveSketchID(std::optional<Uuid> id) override;
    void setOverlay(SceneOverlay overlay) override;
    void setHud(std::optional<HUDState> hud) override;
    void setStatusHint(std::string hint) override;
    [[nodiscard]] double worldUnitsPerPixel() const override;
    void orbit(double deltaX, double deltaY) override;
    void showError(const std::string& message) override;

    // --- ViewportInputDelegate
    void viewportPointer(const PointerEvent& event) override;
    void viewportOrbit(double deltaX, double deltaY) override;
    void viewportPan(double deltaX, double deltaY) override;
    void viewportZoom(double factor, const Vec2& at) override;
    bool viewportKey(const KeyPress& key) override;
    void viewportCameraChanged() override {}

    // Setters for the published flags the panels change directly.
    void setStatusMessage(std::optional<std::string> message);
    void setErrorMessage(std::optional<std::string> message);
    void setHudEditing(bool editing);
    void setShowPalette(bool show);
    void setShowCheatSheet(bool show);

private:
    void notify(SessionProperty property);
    // Stores a published field and tells the observers.
    template <class T>
    void publish(T& field, T value, SessionProperty property) {
        field = std::move(value);
        notify(property);
    }
    // Writes a snapshot back: for a new change, an undo and a redo alike.
    void apply(const CADDocument& snapshot);
    // Undo (backwards) or redo (forwards), with its status message.
    void stepHistory(bool forward);
    // The HUD of a dimension constraint showing `value`.
    void showDimension(const std::string& label, double value);
    // Puts a document into the session in place of the current one, as opened or new.
    void load(CADDocument document, std::optional<std::filesystem::path> location);
    void hideBodies();
    void isolateBodies();
    void showAllBodies();
    // Why the document could not hold the changed document, if it could not.
    [[nodiscard]] std::optional<std::string> unstorable(const CADDocument& before,
                                                        const CADDocument& after) const;

    SessionPlatform& platform_;
    CADDocument document_;
    Selection selection_;
    std::optional<Uuid> activeSketchID_;
    std::optional<HUDState> hud_;
    bool hudEditing_ = false;
    std::string statusHint_;
    std::optional<std::string> statusMessage_;
    std::optional<std::string> errorMessage_;
    bool showPalette_ = false;
    bool showCheatSheet_ = false;
    bool isDirty_ = false;
    std::optional<std::filesystem::path> fileURL_;
    ToolID activeToolID_ = ToolID::select;
    bool showSection_ = false;
    std::int64_t historyVersion_ = 0;
    std::optional<HitTarget> hover_;
    SceneOverlay overlay_;
    PolyKernel kernel_;
    CommandRegistry registry_;
    KeymapStore keymap_;
    CommandHistory history_;
    ToolController tools_;
    std::unique_ptr<ViewportState> viewport_;
    std::optional<CommandID> lastToolCommand_;
    // The pick trees of the bodies' meshes, kept between picks and dropped with their meshes.
    SceneHitIndex hitIndex_;
    // The bodies' vertex chunks, kept between frames and dropped with their bodies.
    SceneCache sceneCache_;
    std::vector<Observer> observers_;
    std::unique_ptr<TimerHandle> autosaveTimer_;
};

}  // namespace brontile
