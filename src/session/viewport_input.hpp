// The one road of the viewport's input, whoever gives it: the window's widget, the window's
// replay and the command line's replay. Pointer events get their pick ray here and go to the
// active tool, keys go through the keymap once, scrolls, pinches and camera drags move the
// camera; while the HUD's field has the keyboard, neither keys nor the pointer reach the tools.
#pragma once

#include <functional>
#include <optional>

#include "commands/command_id.hpp"
#include "interaction/input_events.hpp"
#include "session/interaction_state.hpp"
#include "shortcuts/keymap_store.hpp"
#include "viewport/viewport_gestures.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class SessionPlatform;

class ViewportInput {
public:
    using Dispatch = std::function<void(const CommandID&)>;
    using EditDimension = std::function<void(const SketchConstraintSel&)>;

    // Everything given must outlive the input; `dispatch` runs a bound key's command and
    // `editDimension` opens a dimension's value for typing.
    ViewportInput(ViewportState& viewport, InteractionState& state, const KeymapStore& keymap,
                  const SessionPlatform& clock, Dispatch dispatch, EditDimension editDimension);

    // A primary-button press, drag or release, or a hover move, at a view point (top-left
    // origin). A press stops the camera's coasting. A double click on a dimension's value in the
    // view opens it for typing, whatever the tool.
    void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clickCount);
    // Whether the key ran a command; an unbound key, or any key while the HUD's field has the
    // keyboard, is left to the window.
    bool key(const KeyPress& press);
    // The two halves of key(), for a window that must claim a key before it is pressed (ahead
    // of the menus' shortcuts) and run it when the press arrives: the command the key would run,
    // and running it.
    [[nodiscard]] std::optional<CommandID> commandFor(const KeyPress& press) const;
    void run(const CommandID& command) { dispatch_(command); }
    void scroll(const ScrollInput& input);
    void pinch(double magnification, const Vec2& at);
    // A camera drag or a replayed camera gesture.
    void moveCamera(const CameraMotion& motion);

private:
    // While a long operation runs the tools rest: hovering still highlights, a click selects a
    // face and a drag orbits.
    void busyPointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers);
    void clickWhileBusy(const std::optional<HitResult>& hit, ModifierSet modifiers);

    ViewportState& viewport_;
    InteractionState& state_;
    const KeymapStore& keymap_;
    const SessionPlatform& clock_;
    Dispatch dispatch_;
    EditDimension editDimension_;
    ViewportGestures gestures_;
    struct PressedAt {
        Vec2 first;
        Vec2 last;
        bool moved = false;
    };
    std::optional<PressedAt> pressedAt_;
};

}  // namespace brontile
