// Chains of lines: each click, or a typed length, adds a segment from the last point, joined to
// the segment before it and constrained as its end snapped; clicking the chain's first point
// closes it, joined to the first segment, and a double click or Return ends it.
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

    // Forgets the chain under way; the last direction stays for the next chain's snaps.
    void endChain();
    // The segment from the last point to `to`, which ends the chain when it reaches the first.
    void addSegment(const Vec2& to, const std::optional<SnapHit>& toHit, const Sketch& sketch,
                    ModelingContext& context);

    std::optional<Vec2> start_;
    std::optional<Vec2> chainStart_;
    // The snap the chain's first point took; later starts are joined to the chain instead.
    std::optional<SnapHit> startHit_;
    std::optional<Vec2> lastDirection_;
    std::optional<SketchEntityID> firstSegment_;
    std::optional<SketchEntityID> lastSegment_;
};

}  // namespace brontile
