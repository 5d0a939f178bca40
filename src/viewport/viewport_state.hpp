// The per-window viewport state shared by the session, the input view and the renderer: the
// camera with its momentum, the view size, and the scene with its rebuild flag.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "geometry/aabb.hpp"
#include "geometry/ray.hpp"
#include "geometry/vec2.hpp"
#include "viewport/camera_inertia.hpp"
#include "viewport/camera_motion.hpp"
#include "viewport/orbit_camera.hpp"
#include "viewport/render_scene.hpp"

namespace brontile {

// Times (`now`) are seconds on one monotonic clock that the caller reads; nothing here reads a
// clock itself.
class ViewportState {
public:
    explicit ViewportState(const OrbitCamera& initialCamera = OrbitCamera());

    // Shared by reference between its users; a copy would silently stop following the view.
    ViewportState(const ViewportState&) = delete;
    ViewportState& operator=(const ViewportState&) = delete;

    OrbitCamera camera;
    CameraInertia inertia;
    // View points, written by the renderer every frame.
    Vec2 viewSize{1, 1};
    // The last pointer or scroll position, top-left origin.
    Vec2 lastCursor;
    RenderScene scene;
    // Incremented every time `scene` is rewritten; the renderer looks at it again when it moves
    // (and re-uploads only the bodies whose chunk revision moved).
    std::uint64_t version = 0;
    bool needsRebuild = true;
    // Writes the scene from the document's current values into the scene it is given (the
    // previous frame's, whose lists keep their memory and whose unchanged bodies keep their
    // chunks: SceneCache::rebuild); empty until the session installs it.
    std::function<void(RenderScene&)> sceneProvider;
    std::optional<double> lastTickTime;

    // The pick ray through `at` for the current view size.
    [[nodiscard]] Ray ray(const Vec2& at) const;
    // Millimetres per view point at the target's depth for the current view height.
    [[nodiscard]] double worldUnitsPerPixel() const;
    // Asks for the scene to be rebuilt on the next frame.
    void invalidate();
    void stopMotion();

    // The user's camera motions: each is applied at once and also measured into the inertia so
    // that the view coasts after the input stops.
    void applyOrbit(double deltaX, double deltaY, double now);
    void applyPan(double deltaX, double deltaY, double now);
    // Zooms towards the point under `at` (view points); the scene is flagged for a rebuild
    // because pixel-sized overlays follow the distance.
    void applyZoom(double factor, const Vec2& at, double now);
    void apply(const CameraMotion& motion, double now);

    // The view commands: each stops the coasting and sets the camera outright; the scene is
    // rebuilt because pixel-sized overlays follow the camera.
    void resetCamera();
    void applyPreset(ViewPreset preset);
    // Looks at the target from `direction` (OrbitCamera::lookFrom).
    void lookFrom(const Vec3& direction);
    void setProjection(Projection projection);
    // Fits the camera to the box, or resets it when there is nothing to fit.
    void frame(const std::optional<AABB>& bounds);
    // Puts a document's camera in place, with no motion left over from the last one.
    void placeCamera(const OrbitCamera& placed);

    // One display frame of coasting; the frame time is taken as at least 1/240 s and at most
    // 0.05 s (1/240 on the first tick). Flags a rebuild when the distance changed. Returns
    // whether the camera moved.
    bool tick(double now);
    // Rewrites the scene through the provider when a rebuild is flagged, clearing the flag
    // and moving `version`. Without a provider the flag stays set. Returns whether it rebuilt.
    bool rebuildIfNeeded();
};

}  // namespace brontile
