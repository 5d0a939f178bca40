// What the person is doing with the document, as opposed to the document itself: the selection,
// what the pointer is over, the active sketch and tool, the tool's preview, the HUD and the
// status hint. It is the context the tools work through: they read the document and record
// their changes here, and the document editor keeps the history.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "commands/command_id.hpp"
#include "interaction/scene_hit_tester.hpp"
#include "interaction/section_plane.hpp"
#include "session/document_editor.hpp"
#include "session/operation_runner.hpp"
#include "session/preview_runner.hpp"
#include "session/status_lines.hpp"
#include "tools/modeling_context.hpp"
#include "tools/tool_controller.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class SessionPlatform;

class InteractionState final : public ModelingContext {
public:
    // Everything given must outlive the state.
    InteractionState(DocumentEditor& editor, StatusLines& status, ViewportState& viewport,
                     const GeometryKernel& kernel, const SessionPlatform& clock,
                     SessionNotifier& notifier, OperationRunner& runner, PreviewRunner& previews);

    // --- What the tools see
    [[nodiscard]] const CADDocument& document() const override { return editor_.document(); }
    // Records the change; a refusal goes to the error line, a recorded step clears it.
    void mutate(const std::string& name, const Change& change) override;
    [[nodiscard]] const Selection& selection() const override { return selection_; }
    void setSelection(Selection selection) override;
    [[nodiscard]] const std::optional<HitTarget>& hover() const override { return hover_; }
    void setHover(std::optional<HitTarget> target) override;
    [[nodiscard]] const std::optional<Uuid>& activeSketchID() const override {
        return activeSketchID_;
    }
    void setActiveSketchID(std::optional<Uuid> id) override;
    [[nodiscard]] const SceneOverlay& overlay() const override { return overlay_; }
    void setOverlay(SceneOverlay overlay) override;
    [[nodiscard]] const std::optional<HUDState>& hud() const override { return hud_; }
    // Hiding the HUD ends typing into it.
    void setHud(std::optional<HUDState> hud) override;
    [[nodiscard]] const std::string& statusHint() const override { return statusHint_; }
    void setStatusHint(std::string hint) override;
    [[nodiscard]] const GeometryKernel& kernel() const override { return kernel_; }
    [[nodiscard]] std::optional<HitResult> hitTest(const Ray& ray) override;
    [[nodiscard]] double worldUnitsPerPixel() const override;
    void orbit(double deltaX, double deltaY) override;
    // A tool switching tools, as after a commit; not the person's choice.
    void setTool(const ToolID& id) override;
    void showError(const std::string& message) override { status_.showError(message); }
    void showConflict(const std::string& message,
                      std::vector<SketchConstraintSel> involved) override {
        status_.showError(message, std::move(involved));
    }
    void refuseValue(const std::string& message) override {
        valueRefused_ = true;
        status_.showError(message);
    }
    // Whether a typed value was refused since the last call.
    [[nodiscard]] bool takeValueRefused() { return std::exchange(valueRefused_, false); }
    bool runLong(std::string phase, LongWork work) override;
    void preview(LongWork work) override;
    void dropPreview() override { previews_.drop(); }

    // --- Beyond the tools
    [[nodiscard]] std::optional<Sketch> activeSketch() const;
    // The HUD's value field has the keyboard.
    [[nodiscard]] bool hudEditing() const { return hudEditing_; }
    // While a long operation runs nothing may change the document: tools get no pointer
    // events and a change asked for meanwhile is refused with busyMessage().
    [[nodiscard]] bool isBusy() const { return runner_.isBusy(); }
    [[nodiscard]] std::string busyMessage() const;
    // The primary button is held on the model: a drag may be under way, which a background
    // operation starting now would cut short.
    [[nodiscard]] bool gestureUnderWay() const { return gestureUnderWay_; }
    void setGestureUnderWay(bool held) { gestureUnderWay_ = held; }
    void setHudEditing(bool editing);
    [[nodiscard]] const ToolID& activeToolID() const { return activeToolID_; }
    [[nodiscard]] const ToolController& tools() const { return tools_; }
    [[nodiscard]] ModelingTool& activeTool() { return tools_.active(); }
    [[nodiscard]] bool showSection() const override { return showSection_; }
    void setShowSection(bool show) override;
    // Kept while the section is off, so that turning it on again shows the same cut.
    [[nodiscard]] const SectionPlane& sectionPlane() const override { return sectionPlane_; }
    void setSectionPlane(const SectionPlane& plane) override;

    // The person chose a tool by its command; `remember` makes it the one Repeat Last runs.
    void chooseTool(const CommandID& command, const ToolID& id, bool remember);
    [[nodiscard]] const std::optional<CommandID>& lastToolCommand() const {
        return lastToolCommand_;
    }
    // Escape and Return, as the tool controller handles them.
    void cancelTool();
    void confirmTool();
    // A step was undone or redone under the active tool: a gesture it holds may point at
    // meshes that are gone, so the tool starts over, and the preview and the HUD go.
    void resetAfterStep(bool stepped);

    // A document took the place of the last one: nothing selected, no sketch, the select tool.
    void startOver();
    // The document changed under the selection: what no longer exists is let go.
    void followDocument();

private:
    void publishActiveTool();

    DocumentEditor& editor_;
    StatusLines& status_;
    ViewportState& viewport_;
    const GeometryKernel& kernel_;
    const SessionPlatform& clock_;
    SessionNotifier& notifier_;
    OperationRunner& runner_;
    PreviewRunner& previews_;
    Selection selection_;
    std::optional<HitTarget> hover_;
    std::optional<Uuid> activeSketchID_;
    SceneOverlay overlay_;
    std::optional<HUDState> hud_;
    bool hudEditing_ = false;
    std::string statusHint_;
    ToolController tools_;
    ToolID activeToolID_ = ToolID::select;
    std::optional<CommandID> lastToolCommand_;
    bool showSection_ = false;
    SectionPlane sectionPlane_;
    bool gestureUnderWay_ = false;
    bool valueRefused_ = false;
    // The pick trees of the bodies' meshes, kept between picks and dropped with their meshes.
    SceneHitIndex hitIndex_;
};

}  // namespace brontile
