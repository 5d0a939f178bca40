// One snapshot of everything the viewport draws: the document and the interaction state around it
// (selection, hover, tool previews, the active sketch, the current scale and the section toggle).
#pragma once

#include <optional>
#include <unordered_set>

#include "base/uuid.hpp"
#include "document/cad_document.hpp"
#include "interaction/scene_overlay.hpp"
#include "interaction/section_plane.hpp"
#include "interaction/selection.hpp"
#include "sketch/sketch_freedom.hpp"

namespace brontile {

struct SceneInput {
    CADDocument document;
    Selection selection;
    // What the pointer is over, if anything.
    std::optional<HitTarget> hover;
    // Tool previews, including meshes shown in place of bodies being edited.
    SceneOverlay overlay;
    std::optional<Uuid> activeSketchID;
    // World units per marker; the session passes five view points' worth.
    double markerSize = 5;
    // World size of one view point at the camera target.
    double worldUnitsPerPixel = 1;
    // The section view's plane while it shows: the renderer cuts the bodies there and caps them.
    std::optional<SectionPlane> section;
    // What the active sketch's constraints pin down: those curves and points take their own
    // colour.
    std::optional<SketchFreedom> activeFreedom;
    // Constraints an error is about, marked while it shows.
    std::unordered_set<SketchConstraintSel> flagged;

    friend bool operator==(const SceneInput&, const SceneInput&) = default;
};

}  // namespace brontile
