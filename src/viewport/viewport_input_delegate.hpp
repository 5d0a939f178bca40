// What the viewport's input view reports to its owner: pointer events for the tools, camera
// gestures, key presses and camera changes, already free of any window-system types.
#pragma once

#include "geometry/vec2.hpp"
#include "interaction/input_events.hpp"

namespace brontile {

class ViewportInputDelegate {
public:
    virtual ~ViewportInputDelegate() = default;

    // A primary-button press, drag or release, or a hover move.
    virtual void viewportPointer(const PointerEvent& event) = 0;
    // Camera gestures in view points (a secondary-button drag or a two-finger scroll).
    virtual void viewportOrbit(double deltaX, double deltaY) = 0;
    virtual void viewportPan(double deltaX, double deltaY) = 0;
    // Distance factor (below 1 moves closer) and the cursor position to zoom towards.
    virtual void viewportZoom(double factor, const Vec2& at) = 0;
    // True when the key was handled; otherwise the window system's default handling runs.
    virtual bool viewportKey(const KeyPress& key) = 0;
    // A notice that the view's camera changed; the owner may ignore it.
    virtual void viewportCameraChanged() = 0;

protected:
    ViewportInputDelegate() = default;
    ViewportInputDelegate(const ViewportInputDelegate&) = default;
    ViewportInputDelegate& operator=(const ViewportInputDelegate&) = default;
};

}  // namespace brontile
