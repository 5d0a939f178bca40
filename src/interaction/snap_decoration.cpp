// The cue for a snap: a marker shaped after the kind, the outline of the entities it names, and
// its guide line, added to the overlay in model space.
#include <vector>

#include "base/invariant.hpp"
#include "interaction/snap_engine.hpp"

namespace brontile::SnapEngine {
namespace {

const RGBA kPale{0.8f, 0.85f, 0.9f, 1.0f};

OverlayMarkerKind markerFor(SnapKind kind) {
    switch (kind) {
        case SnapKind::endpoint: return OverlayMarkerKind::square;
        case SnapKind::midpoint: return OverlayMarkerKind::triangle;
        case SnapKind::center: return OverlayMarkerKind::circle;
        case SnapKind::onCurve:
        case SnapKind::perpendicular: return OverlayMarkerKind::tick;
        case SnapKind::intersection: return OverlayMarkerKind::diamond;
        case SnapKind::parallel:
        case SnapKind::horizontal:
        case SnapKind::vertical:
        case SnapKind::polar:
        case SnapKind::grid: return OverlayMarkerKind::cross;
    }
    BRONTILE_UNREACHABLE("a snap kind outside the enumeration");
}

bool hasGuide(SnapKind kind) {
    return kind == SnapKind::perpendicular || kind == SnapKind::parallel ||
           kind == SnapKind::horizontal || kind == SnapKind::vertical || kind == SnapKind::polar;
}

void outline(const Sketch& sketch, const std::optional<SketchEntityID>& id, SceneOverlay& overlay) {
    if (!id) return;
    const auto entity = sketch.entity(*id);
    if (!entity) return;
    std::vector<Vec3> points;
    for (const Vec2& p : entity->polyline()) points.push_back(sketch.plane.toWorld(p));
    overlay.addPolyline(points, RGBA::snap.withAlpha(0.95f));
}

}  // namespace

void decorate(const Vec2& cursor, const Sketch& sketch, SceneOverlay& overlay,
              const std::optional<SnapHit>& hit) {
    const bool feature = hit && hit->kind != SnapKind::grid;
    overlay.points.push_back(
        {sketch.plane.toWorld(hit ? hit->point : cursor), feature ? RGBA::snap : kPale,
         hit ? markerFor(hit->kind) : OverlayMarkerKind::cross, sketch.plane.normal()});
    if (!hit) return;
    if (feature) {
        outline(sketch, hit->entityID, overlay);
        outline(sketch, hit->secondEntityID, overlay);
    }
    if (hit->guideStart && hit->guideEnd) {
        const bool guide = hasGuide(hit->kind);
        overlay.lines.push_back({sketch.plane.toWorld(*hit->guideStart),
                                 sketch.plane.toWorld(*hit->guideEnd),
                                 guide ? RGBA::snap.withAlpha(0.7f) : RGBA::snap,
                                 guide ? OverlayLineStyle::dashed : OverlayLineStyle::solid});
    }
}

}  // namespace brontile::SnapEngine
