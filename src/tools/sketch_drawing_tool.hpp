// What the five sketch drawing tools share: every pointer event becomes a snapped point on the
// active sketch, a first point makes the tool busy, Escape or Return abandons the shape, and the
// preview, the HUD and the status line are rebuilt from the tool's state after each change.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "interaction/snap_hit.hpp"
#include "sketch/sketch.hpp"
#include "tools/modeling_tool.hpp"

namespace brontile {

class SketchDrawingTool : public ModelingTool {
public:
    explicit SketchDrawingTool(const ToolID& id) : ModelingTool(id) {}

    [[nodiscard]] bool isBusy() const override { return hasFirstPoint(); }
    // Makes the sketch to draw into at once, then starts afresh.
    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;

protected:
    // What the snap engine may use besides the drawing.
    struct SnapArguments {
        std::vector<Vec2> extra;
        std::optional<Vec2> lockFrom;
        std::optional<Vec2> lastDirection;
    };

    [[nodiscard]] virtual bool hasFirstPoint() const = 0;
    // Forgets the shape under way (but not settings such as a polygon's side count).
    virtual void clearShape() = 0;
    [[nodiscard]] virtual SnapArguments snapArguments() const { return {}; }
    // Told of every event that meets the sketch, before it is snapped.
    virtual void beforeSnap(const PointerEvent&) {}
    // Called with `current` and `currentHit` already set from the snapped pointer.
    virtual void handle(const PointerEvent& event, const Sketch& sketch,
                        ModelingContext& context) = 0;
    // The shape as it would be drawn now, in sketch coordinates, as polylines.
    [[nodiscard]] virtual std::vector<std::vector<Vec2>> previewShape() const = 0;
    // Extra lines in their own colour (the circle's radius).
    virtual void addPreviewExtras(const SketchPlane&, SceneOverlay&) const {}
    [[nodiscard]] virtual std::optional<HUDState> hudState(
        const ModelingContext& context) const = 0;
    // The line, rectangle and circle tools name the snap on the status line.
    [[nodiscard]] virtual bool namesSnapInStatus() const { return false; }

    // Forgets the shape and clears the preview and the HUD.
    void reset(ModelingContext& context);
    // Rebuilds the preview, the HUD and (for the tools that do) the status line.
    void updatePreview(const Sketch& sketch, ModelingContext& context);
    // The active sketch as the document has it now; nothing while a shape under way belongs to
    // another sketch (the active one changed or was deleted).
    [[nodiscard]] std::optional<Sketch> activeSketch(const ModelingContext& context) const;
    // The snap's name for the HUD: its label or its kind's name; nothing without a snap.
    [[nodiscard]] std::optional<std::string> snapLabel() const;
    // Writes new geometry and constraints; a failed solve says so on the status line, and the
    // next preview update leaves that message standing.
    void commitShape(const std::vector<SketchEntity>& entities,
                     const std::vector<SketchConstraint>& constraints, const Sketch& sketch,
                     const std::string& stepName, ModelingContext& context);
    // Adds geometry without constraints, as commitShape.
    void addShape(const std::vector<SketchGeometry>& geometry, const Sketch& sketch,
                  const std::string& stepName, ModelingContext& context);
    // Whether a release lies far enough from the press to count as a drag: four view points.
    [[nodiscard]] static bool farEnough(const Vec2& a, const Vec2& b,
                                        const ModelingContext& context);

    std::optional<Vec2> current_;
    std::optional<SnapHit> currentHit_;

private:
    bool keepStatus_ = false;
    // The sketch the shape under way is drawn in.
    std::optional<Uuid> shapeSketch_;
};

// Fresh line entities joining the points in order, closed back to the first when `closed`.
[[nodiscard]] std::vector<SketchEntity> lineEntities(std::span<const Vec2> points, bool closed);
// The entities' ids in order.
[[nodiscard]] std::vector<SketchEntityID> entityIDs(std::span<const SketchEntity> entities);

}  // namespace brontile
