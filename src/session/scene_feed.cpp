#include "session/scene_feed.hpp"

namespace brontile {
namespace {

// Constraint markers are drawn this many view points across.
constexpr double kMarkerPixels = 5;

// Whether the scene shows the property: everything but the status lines, the HUD, the tool and
// the history counter, which live in the panels.
bool drawn(SessionProperty property) {
    switch (property) {
        case SessionProperty::document:
        case SessionProperty::selection:
        case SessionProperty::activeSketchID:
        case SessionProperty::showSection:
        case SessionProperty::hover:
        case SessionProperty::overlay:
        // The constraints an error names are marked while it shows.
        case SessionProperty::errorMessage: return true;
        default: return false;
    }
}

}  // namespace

SceneFeed::SceneFeed(ViewportState& viewport, const DocumentEditor& editor,
                     const InteractionState& state, const StatusLines& status,
                     const SketchFreedoms& freedoms, SessionNotifier& notifier)
    : viewport_(viewport) {
    viewport_.sceneProvider = [this, &editor, &state, &status, &freedoms](RenderScene& scene) {
        const double unit = viewport_.worldUnitsPerPixel();
        const auto active = state.activeSketch();
        const auto& involved = status.involvedConstraints();
        cache_.rebuild({editor.document(),
                        state.selection(),
                        state.hover(),
                        state.overlay(),
                        state.activeSketchID(),
                        kMarkerPixels * unit,
                        unit,
                        state.showSection() ? std::optional(state.sectionPlane()) : std::nullopt,
                        active ? std::optional(freedoms.of(*active)) : std::nullopt,
                        {involved.begin(), involved.end()}},
                       scene);
    };
    // The notifier lives as long as the session that owns this feed.
    notifier.observe([&viewport](SessionProperty property) {
        if (drawn(property)) viewport.invalidate();
    });
}

SceneFeed::~SceneFeed() { viewport_.sceneProvider = nullptr; }

}  // namespace brontile
