#include "session/viewport_input.hpp"

#include "session/session_platform.hpp"

namespace brontile {

ViewportInput::ViewportInput(ViewportState& viewport, InteractionState& state,
                             const KeymapStore& keymap, const SessionPlatform& clock,
                             Dispatch dispatch)
    : viewport_(viewport),
      state_(state),
      keymap_(keymap),
      clock_(clock),
      dispatch_(std::move(dispatch)) {}

void ViewportInput::pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers,
                            int clickCount) {
    if (phase == PointerPhase::down) viewport_.stopMotion();
    if (phase == PointerPhase::down || phase == PointerPhase::move) viewport_.lastCursor = at;
    if (state_.hudEditing()) return;
    PointerEvent event;
    event.phase = phase;
    event.location = at;
    event.ray = viewport_.ray(at);
    event.modifiers = modifiers;
    event.clickCount = clickCount;
    state_.activeTool().pointer(event, state_);
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
