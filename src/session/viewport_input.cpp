#include "session/viewport_input.hpp"

#include "session/session_platform.hpp"

namespace brontile {

ViewportInput::ViewportInput(ViewportState& viewport, InteractionState& state,
                             const KeymapStore& keymap, const SessionPlatform& clock,
                             Dispatch dispatch, EditDimension editDimension)
    : viewport_(viewport),
      state_(state),
      keymap_(keymap),
      clock_(clock),
      dispatch_(std::move(dispatch)),
      editDimension_(std::move(editDimension)) {}

void ViewportInput::pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers,
                            int clickCount) {
    if (phase == PointerPhase::down) viewport_.stopMotion();
    if (phase == PointerPhase::down || phase == PointerPhase::move) viewport_.lastCursor = at;
    if (state_.hudEditing()) return;
    if (state_.isBusy()) return busyPointer(phase, at, modifiers);
    pressedAt_.reset();
    if (phase == PointerPhase::down && clickCount == 2) {
        // The labels as they are now, even when no frame was drawn since the last change.
        static_cast<void>(viewport_.rebuildIfNeeded());
        const auto& labels = viewport_.scene.rest.labels;
        if (const auto dimension = labelAt(labels, viewport_.camera, viewport_.viewSize, at)) {
            return editDimension_(*dimension);
        }
    }
    if (phase == PointerPhase::down || phase == PointerPhase::up) {
        state_.setGestureUnderWay(phase == PointerPhase::down);
    }
    PointerEvent event;
    event.phase = phase;
    event.location = at;
    event.ray = viewport_.ray(at);
    event.modifiers = modifiers;
    event.clickCount = clickCount;
    state_.activeTool().pointer(event, state_);
}

void ViewportInput::busyPointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers) {
    const auto hit = state_.hitTest(viewport_.ray(at));
    switch (phase) {
        case PointerPhase::move: {
            std::optional<HitTarget> target;
            if (hit) target = hit->target;
            if (target != state_.hover()) state_.setHover(std::move(target));
            return;
        }
        case PointerPhase::down: pressedAt_ = PressedAt{at, at, false}; return;
        case PointerPhase::drag:
            if (!pressedAt_) return;
            state_.orbit(at.x - pressedAt_->last.x, at.y - pressedAt_->last.y);
            pressedAt_->last = at;
            pressedAt_->moved = true;
            return;
        case PointerPhase::up: {
            const bool clicked = pressedAt_ && !pressedAt_->moved;
            pressedAt_.reset();
            if (clicked) clickWhileBusy(hit, modifiers);
            return;
        }
    }
}

void ViewportInput::clickWhileBusy(const std::optional<HitResult>& hit, ModifierSet modifiers) {
    // Only faces: a body's face is what a person picks in the model while it is busy.
    const auto* face = hit ? std::get_if<FaceRef>(&hit->target) : nullptr;
    Selection selection = modifiers.contains(ModifierSet::shift) ? state_.selection() : Selection{};
    if (face && !selection.faces.erase(*face)) selection.faces.insert(*face);
    state_.setSelection(std::move(selection));
}

bool ViewportInput::key(const KeyPress& press) {
    const auto command = commandFor(press);
    if (command) run(*command);
    return command.has_value();
}

std::optional<CommandID> ViewportInput::commandFor(const KeyPress& press) const {
    if (state_.hudEditing()) return std::nullopt;
    return keymap_.command(press);
}

void ViewportInput::scroll(const ScrollInput& input) {
    if (const auto motion = gestures_.scroll(input)) {
        viewport_.lastCursor = input.location;
        moveCamera(*motion);
    }
}

void ViewportInput::pinch(double magnification, const Vec2& at) {
    if (const auto motion = ViewportGestures::pinch(magnification, at)) {
        viewport_.lastCursor = at;
        moveCamera(*motion);
    }
}

void ViewportInput::moveCamera(const CameraMotion& motion) {
    viewport_.apply(motion, clock_.monotonicSeconds());
}

}  // namespace brontile
