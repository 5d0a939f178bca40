// The default tool: picks faces, bodies, sketch curves, points and constraints (Shift extends),
// orbits when empty space is dragged, and pushes or pulls the one selected face by dragging it or
// its arrow, or by a typed distance.
#pragma once

#include <optional>
#include <variant>

#include "tools/modeling_tool.hpp"
#include "tools/sketch_drag_gesture.hpp"

namespace brontile {

class SelectTool final : public ModelingTool {
public:
    SelectTool();

    // Busy while a face is being dragged: Escape abandons the push/pull.
    // Busy while a face or sketch geometry is being dragged: Escape abandons the drag.
    [[nodiscard]] bool isBusy() const override;
    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    // The one selected face, resolved in the document.
    struct SelectedFace {
        FaceRef ref;
        SolidMesh mesh;
        SolidFace face;
        Vec3 centroid;
    };
    // A push/pull gesture: the face moves along its normal through the anchor.
    struct FaceDrag {
        FaceRef ref;
        SolidMesh original;
        SolidFace face;
        Vec3 anchor;
        double startLineT = 0;
        double distance = 0;
        bool moved = false;
    };
    // A press on nothing: a drag orbits, a click clears the selection.
    struct EmptyDrag {
        Vec2 last;
        bool moved = false;
    };
    using Drag = std::variant<std::monostate, FaceDrag, EmptyDrag, SketchDragGesture>;

    [[nodiscard]] static std::optional<SelectedFace> selectedFace(const ModelingContext& context);
    [[nodiscard]] std::optional<ArrowGizmo::Part> arrowHit(const Ray& ray,
                                                           const ModelingContext& context) const;

    void press(const PointerEvent& event, ModelingContext& context);
    void pick(const PointerEvent& event, const HitResult& hit, ModelingContext& context);
    // A plain press on a sketch curve or point may become a drag of it.
    void holdSketchTarget(const PointerEvent& event, const HitTarget& target,
                          ModelingContext& context);
    // Selects the face, or its whole body on a double click, and starts a push/pull from `at`.
    void pickFace(const PointerEvent& event, const FaceRef& face, const Vec3& at,
                  ModelingContext& context);
    // Selects a curve, a point or a constraint (Shift toggles it) and activates its sketch.
    static void pickSketchTarget(const HitTarget& target, bool extend, ModelingContext& context);
    void dragTo(const PointerEvent& event, ModelingContext& context);
    void release(const PointerEvent& event, ModelingContext& context);
    void hover(const PointerEvent& event, ModelingContext& context);

    void presentArrow(ModelingContext& context);
    void refreshHud(ModelingContext& context) const;
    static void presentConstraintHud(ModelingContext& context);
    // The constraints on the selected sketch curves and on the curves of the selected points, in
    // stored order.
    [[nodiscard]] static std::vector<SketchConstraintSel> constraintsOfSelectedCurves(
        const ModelingContext& context);
    // The first of those with a value: the dimension the HUD shows for the selected curves.
    [[nodiscard]] static std::optional<SketchConstraintSel> shownDimension(
        const ModelingContext& context);
    static void applyPushPull(const FaceRef& ref, const SolidMesh& original, double distance,
                              ModelingContext& context);

    Drag drag_;
    bool flipped_ = false;
    bool hoverArrow_ = false;
    OverlayArrow arrow_;
};

}  // namespace brontile
