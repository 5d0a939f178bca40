// Transient feedback tools draw over the scene without touching the document: preview lines,
// snap markers, preview solids, direction arrows and in-place replacements of edited bodies.
#pragma once

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "document/body.hpp"
#include "geometry/ray.hpp"
#include "geometry/rgba.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"
#include "interaction/arrow_gizmo.hpp"
#include "interaction/overlay_marker_kind.hpp"
#include "sketch/sketch.hpp"

namespace brontile {

enum class OverlayLineStyle { solid, dashed };

// A world-space segment.
struct OverlayLine {
    Vec3 a;
    Vec3 b;
    RGBA color;
    OverlayLineStyle style = OverlayLineStyle::solid;
    friend constexpr bool operator==(const OverlayLine&, const OverlayLine&) = default;
};

// A flat marker lying in the plane perpendicular to `normal`.
struct OverlayPoint {
    Vec3 position;
    RGBA color;
    OverlayMarkerKind kind = OverlayMarkerKind::cross;
    Vec3 normal;
    friend constexpr bool operator==(const OverlayPoint&, const OverlayPoint&) = default;
};

// A direction arrow anchored on a face or profile.
struct OverlayArrow {
    Vec3 origin;
    // The face normal; the arrow points the other way for a negative distance.
    Vec3 direction;
    // The current extrusion or push/pull distance (mm); its sign decides the arrow's way.
    double signedDistance = 0;
    // Minimum on-screen length in view points.
    double pixelLength = 0;
    RGBA color;
    bool hovered = false;
    // Draw the small reverse cone behind the origin (the flip handle).
    bool showReverse = false;

    friend bool operator==(const OverlayArrow&, const OverlayArrow&) = default;

    // The arrow of the extrude and select tools: a distance under 1e-9 points along −normal when
    // flipped and counts as 0; 78 view points long, in the arrow colour.
    [[nodiscard]] static OverlayArrow extrusion(const Vec3& origin, const Vec3& normal,
                                                double distance, bool flipped, bool hovered,
                                                bool showReverse);
    [[nodiscard]] ArrowGizmo gizmo(double worldUnitsPerPixel) const;
    // The part under the ray, picked within at least ten view points.
    [[nodiscard]] std::optional<ArrowGizmo::Part> hit(const Ray& ray,
                                                      double worldUnitsPerPixel) const;
    // Lightened by 0.22 while hovered.
    [[nodiscard]] RGBA drawColor() const { return hovered ? color.lightened(0.22f) : color; }
};

// A preview solid drawn over the scene.
struct OverlayMesh {
    SolidMesh mesh;
    RGBA color;
    // Drawn see-through over the bodies: a cut's tool solid lies inside the body it cuts, where
    // it would otherwise be hidden.
    bool showThrough = false;
    friend bool operator==(const OverlayMesh&, const OverlayMesh&) = default;
};

struct SceneOverlay {
    std::vector<OverlayLine> lines;
    std::vector<OverlayPoint> points;
    std::vector<OverlayMesh> meshes;
    std::vector<OverlayArrow> arrows;
    // While present, the scene draws this mesh instead of the body's own.
    std::unordered_map<BodyID, SolidMesh> replacements;
    // While present, the scene draws this sketch instead of the document's (one being dragged).
    std::unordered_map<Uuid, Sketch> sketches;

    static const SceneOverlay empty;

    friend bool operator==(const SceneOverlay&, const SceneOverlay&) = default;

    // One line per consecutive pair of points; fewer than two points add nothing.
    void addPolyline(std::span<const Vec3> points, const RGBA& color,
                     OverlayLineStyle style = OverlayLineStyle::solid);
};

inline const SceneOverlay SceneOverlay::empty{};

}  // namespace brontile
