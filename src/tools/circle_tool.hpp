// Circles by centre and a point on them, by press-drag-release, or by a typed radius.
#pragma once

#include "tools/sketch_drawing_tool.hpp"

namespace brontile {

class CircleTool final : public SketchDrawingTool {
public:
    CircleTool();

    void hudCommit(double value, ModelingContext& context) override;

private:
    [[nodiscard]] bool hasFirstPoint() const override { return center_.has_value(); }
    void clearShape() override { center_.reset(); }
    void handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) override;
    [[nodiscard]] std::vector<std::vector<Vec2>> previewShape() const override;
    void addPreviewExtras(const SketchPlane& plane, SceneOverlay& overlay) const override;
    [[nodiscard]] std::optional<HUDState> hudState(const ModelingContext& context) const override;
    [[nodiscard]] bool namesSnapInStatus() const override { return true; }

    void add(double radius, const Sketch& sketch, ModelingContext& context);

    std::optional<Vec2> center_;
};

}  // namespace brontile
