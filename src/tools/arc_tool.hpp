// Three-point arcs: start, end, then a point the arc passes through, or a typed radius.
#pragma once

#include "tools/sketch_drawing_tool.hpp"

namespace brontile {

class ArcTool final : public SketchDrawingTool {
public:
    ArcTool();

    void hudCommit(double value, ModelingContext& context) override;

    // The arc from s to e through t, counter-clockwise from its start: when s → t → e turns
    // clockwise the ends are swapped, so the arc still passes through t. Nothing for collinear
    // points or a chord shorter than 1e-9.
    [[nodiscard]] static std::optional<SketchArc> throughPoints(const Vec2& s, const Vec2& e,
                                                                const Vec2& t);

private:
    [[nodiscard]] bool hasFirstPoint() const override { return start_.has_value(); }
    void clearShape() override;
    [[nodiscard]] SnapArguments snapArguments() const override;
    void handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) override;
    [[nodiscard]] std::vector<std::vector<Vec2>> previewShape() const override;
    [[nodiscard]] std::optional<HUDState> hudState(const ModelingContext& context) const override;

    void add(const SketchArc& arc, const Sketch& sketch, ModelingContext& context);
    [[nodiscard]] std::optional<SketchArc> pendingArc() const;

    std::optional<Vec2> start_;
    std::optional<Vec2> end_;
};

}  // namespace brontile
