// Chains of lines: each click adds a segment from the last point, joined to it and constrained
// as it snapped; clicking the chain's first point closes it, a double click or Return ends it.
#pragma once

#include "tools/sketch_drawing_tool.hpp"

namespace brontile {

class LineTool final : public SketchDrawingTool {
public:
    LineTool();

    void hudCommit(double value, ModelingContext& context) override;

private:
    [[nodiscard]] bool hasFirstPoint() const override { return start_.has_value(); }
    void clearShape() override;
    [[nodiscard]] SnapArguments snapArguments() const override;
    void handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) override;
    [[nodiscard]] std::vector<std::vector<Vec2>> previewShape() const override;
    [[nodiscard]] std::optional<HUDState> hudState(const ModelingContext& context) const override;
    [[nodiscard]] bool namesSnapInStatus() const override { return true; }

    void addSegment(const Sketch& sketch, ModelingContext& context);

    std::optional<Vec2> start_;
    std::optional<Vec2> chainStart_;
    std::optional<SnapHit> startHit_;
    std::optional<Vec2> lastDirection_;
};

}  // namespace brontile
