#include "session/interaction_state.hpp"

#include "session/session_platform.hpp"

namespace brontile {

InteractionState::InteractionState(DocumentEditor& editor, StatusLines& status,
                                   ViewportState& viewport, const GeometryKernel& kernel,
                                   const SessionPlatform& clock, SessionNotifier& notifier,
                                   OperationRunner& runner, PreviewRunner& previews)
    : editor_(editor),
      status_(status),
      viewport_(viewport),
      kernel_(kernel),
      clock_(clock),
      notifier_(notifier),
      runner_(runner),
      previews_(previews) {
    statusHint_ = tools_.active().hint();
}

bool InteractionState::runLong(std::string phase, LongWork work) {
    return runner_.start(std::move(phase), [this, work = std::move(work)](Progress& progress) {
        // The finish is the work's own result, run against this state once the work is done.
        Finish finish = work(progress);
        return OperationRunner::Finish([this, finish = std::move(finish)] {
            if (finish) finish(*this);
        });
    });
}

void InteractionState::preview(LongWork work) {
    previews_.request([this, work = std::move(work)](Progress& progress) {
        Finish finish = work(progress);
        return PreviewRunner::Show([this, finish = std::move(finish)] {
            if (finish) finish(*this);
        });
    });
}

std::string InteractionState::busyMessage() const {
    return runner_.phase().value_or("Working") + "… Press Escape to cancel.";
}

void InteractionState::mutate(const std::string& name, const Change& change) {
    // The running operation records against the document it started from.
    if (isBusy()) {
        status_.setMessage(busyMessage());
        return;
    }
    // A preview still on its way shows the document as it was.
    previews_.drop();
    const DocumentEditor::Outcome outcome = editor_.record(name, change);
    if (outcome.error) {
        status_.showError(*outcome.error);
    } else if (outcome.recorded) {
        status_.dismissError();
    }
}

void InteractionState::setSelection(Selection selection) {
    if (selection == selection_) return;
    notifier_.publish(selection_, std::move(selection), SessionProperty::selection);
}

void InteractionState::setHover(std::optional<HitTarget> target) {
    if (target == hover_) return;
    notifier_.publish(hover_, std::move(target), SessionProperty::hover);
}

void InteractionState::setActiveSketchID(std::optional<Uuid> id) {
    if (id == activeSketchID_) return;
    notifier_.publish(activeSketchID_, id, SessionProperty::activeSketchID);
}

void InteractionState::setOverlay(SceneOverlay overlay) {
    if (overlay == overlay_) return;
    notifier_.publish(overlay_, std::move(overlay), SessionProperty::overlay);
}

void InteractionState::setHud(std::optional<HUDState> hud) {
    const bool hidden = !hud.has_value();
    notifier_.publish(hud_, std::move(hud), SessionProperty::hud);
    // Without a HUD there is nothing to type into: the viewport takes keys again.
    if (hidden && hudEditing_) setHudEditing(false);
}

void InteractionState::setStatusHint(std::string hint) {
    notifier_.publish(statusHint_, std::move(hint), SessionProperty::statusHint);
}

std::optional<HitResult> InteractionState::hitTest(const Ray& ray) {
    const double tolerance = SceneHitTester::kSketchPickPixels * worldUnitsPerPixel();
    if (!showSection_)
        return SceneHitTester::hit(ray, document(), tolerance, activeSketchID_, hitIndex_);
    // What the section cuts away is not there to pick: the ray starts where it reaches the kept
    // side, and a face beyond where it leaves that side is not hit.
    const auto span = sectionPlane_.keptSpan(ray);
    if (!span) return std::nullopt;
    const Ray kept(ray.point(span->from), ray.direction);
    auto found = SceneHitTester::hit(kept, document(), tolerance, activeSketchID_, hitIndex_);
    if (found && std::holds_alternative<FaceRef>(found->target) &&
        found->distance > span->to - span->from) {
        return std::nullopt;
    }
    return found;
}

double InteractionState::worldUnitsPerPixel() const { return viewport_.worldUnitsPerPixel(); }

void InteractionState::orbit(double deltaX, double deltaY) {
    viewport_.applyOrbit(deltaX, deltaY, clock_.monotonicSeconds());
}

void InteractionState::setTool(const ToolID& id) {
    previews_.drop();
    tools_.activate(id, *this);
    publishActiveTool();
    setStatusHint(tools_.active().hint());
}

std::optional<Sketch> InteractionState::activeSketch() const {
    return activeSketchID_ ? document().sketch(*activeSketchID_) : std::nullopt;
}

void InteractionState::setHudEditing(bool editing) {
    notifier_.publish(hudEditing_, editing, SessionProperty::hudEditing);
}

void InteractionState::setShowSection(bool show) {
    notifier_.publish(showSection_, show, SessionProperty::showSection);
}

void InteractionState::setSectionPlane(const SectionPlane& plane) {
    notifier_.publish(sectionPlane_, plane, SessionProperty::showSection);
}

void InteractionState::chooseTool(const CommandID& command, const ToolID& id, bool remember) {
    if (remember) lastToolCommand_ = command;
    setTool(id);
    status_.dismissError();
}

void InteractionState::cancelTool() {
    previews_.drop();
    tools_.cancel(*this);
    publishActiveTool();
}

void InteractionState::confirmTool() { tools_.confirm(*this); }

void InteractionState::resetAfterStep(bool stepped) {
    // With nothing stepped, a half-drawn shape stays.
    previews_.drop();
    if (stepped) tools_.active().deactivate(*this);
    setOverlay(SceneOverlay::empty);
    setHud(std::nullopt);
}

void InteractionState::startOver() {
    previews_.drop();
    setSelection(Selection::empty);
    setActiveSketchID(std::nullopt);
    setOverlay(SceneOverlay::empty);
    setHud(std::nullopt);
    hitIndex_.retainOnly(document());
    setTool(ToolID::select);
}

void InteractionState::followDocument() {
    Selection pruned = selection_;
    pruned.prune(document());
    if (pruned != selection_) setSelection(std::move(pruned));
    if (activeSketchID_ && !document().sketch(*activeSketchID_)) setActiveSketchID(std::nullopt);
}

void InteractionState::publishActiveTool() {
    notifier_.publish(activeToolID_, tools_.activeID(), SessionProperty::activeToolID);
}

}  // namespace brontile
