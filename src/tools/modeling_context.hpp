// What a tool may see and change of the program. The session implements it; tools get it as an
// argument of every call and never hold on to it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/uuid.hpp"
#include "document/cad_document.hpp"
#include "geometry/ray.hpp"
#include "interaction/scene_overlay.hpp"
#include "interaction/section_plane.hpp"
#include "interaction/selection.hpp"
#include "kernel/geometry_kernel.hpp"
#include "tools/hud_state.hpp"
#include "tools/tool_id.hpp"

namespace brontile {

class ModelingContext {
public:
    using Change = std::function<void(CADDocument&)>;

    ModelingContext() = default;
    ModelingContext(const ModelingContext&) = delete;
    ModelingContext& operator=(const ModelingContext&) = delete;
    virtual ~ModelingContext() = default;

    [[nodiscard]] virtual const CADDocument& document() const = 0;
    // Applies the change to a copy of the document and commits it as one undoable step named
    // `name`. A change that throws, or that leaves a body the document cannot hold, commits
    // nothing; the session says why on its error line.
    virtual void mutate(const std::string& name, const Change& change) = 0;
    [[nodiscard]] virtual const Selection& selection() const = 0;
    virtual void setSelection(Selection selection) = 0;
    [[nodiscard]] virtual const std::optional<HitTarget>& hover() const = 0;
    virtual void setHover(std::optional<HitTarget> target) = 0;
    // The sketch that drawing tools add to.
    [[nodiscard]] virtual const std::optional<Uuid>& activeSketchID() const = 0;
    virtual void setActiveSketchID(std::optional<Uuid> id) = 0;
    // Transient preview geometry drawn over the scene.
    [[nodiscard]] virtual const SceneOverlay& overlay() const = 0;
    virtual void setOverlay(SceneOverlay overlay) = 0;
    // Nothing hides the HUD.
    [[nodiscard]] virtual const std::optional<HUDState>& hud() const = 0;
    virtual void setHud(std::optional<HUDState> hud) = 0;
    // The section view: whether it shows, and its plane (kept while it does not).
    [[nodiscard]] virtual bool showSection() const = 0;
    virtual void setShowSection(bool show) = 0;
    [[nodiscard]] virtual const SectionPlane& sectionPlane() const = 0;
    virtual void setSectionPlane(const SectionPlane& plane) = 0;
    [[nodiscard]] virtual const std::string& statusHint() const = 0;
    virtual void setStatusHint(std::string hint) = 0;
    [[nodiscard]] virtual const GeometryKernel& kernel() const = 0;
    // The nearest pickable thing along the ray.
    [[nodiscard]] virtual std::optional<HitResult> hitTest(const Ray& ray) = 0;
    // The world length (mm) one view point covers at the current camera.
    [[nodiscard]] virtual double worldUnitsPerPixel() const = 0;
    // Orbits the camera by a pointer motion in view points.
    virtual void orbit(double deltaX, double deltaY) = 0;
    // Asks the session to switch to another tool.
    virtual void setTool(const ToolID& id) = 0;
    virtual void showError(const std::string& message) = 0;
    // A typed value the tool cannot take: says why on the error line, and the HUD's field stays
    // open with the text for another try. Other errors close it.
    virtual void refuseValue(const std::string& message) { showError(message); }
    // An error about sketch constraints, which are marked in the view while it shows.
    virtual void showConflict(const std::string& message,
                              std::vector<SketchConstraintSel> involved) {
        static_cast<void>(involved);
        showError(message);
    }

    // What a long operation does back on the window's thread with its result.
    using Finish = std::function<void(ModelingContext&)>;
    // A long operation's work: it computes from the values it was given (never from the
    // context, which it must not touch), reporting to and checking the progress, and returns
    // its finish. It throws to fail; the error line then says why.
    using LongWork = std::function<Finish(Progress&)>;
    // Runs the work as the session's one long operation, off the window's thread where there is
    // one, `phase` ("Rounding edges") shown while it runs; then its finish. While it runs the
    // document cannot change, so the finish records against the document the work started from.
    // False, and nothing runs, while another long operation is under way.
    virtual bool runLong(std::string phase, LongWork work) = 0;
    // A drag's preview, worked out as a LongWork is but without holding anything up: shown at
    // once when it is quick, else when it arrives, unless a newer request came meanwhile.
    virtual void preview(LongWork work) = 0;
    // Forgets a preview still being worked out; it never shows.
    virtual void dropPreview() = 0;

    // A millimetre value in the document's display unit, with the unit's usual decimals.
    [[nodiscard]] std::string formatted(double valueMM) const;
};

}  // namespace brontile
