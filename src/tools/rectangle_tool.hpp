// Rectangles of four constrained lines, by two clicks or by pressing, dragging and releasing.
#pragma once

#include "tools/sketch_drawing_tool.hpp"

namespace brontile {

class RectangleTool final : public SketchDrawingTool {
public:
    RectangleTool();

private:
    [[nodiscard]] bool hasFirstPoint() const override { return corner_.has_value(); }
    void clearShape() override { corner_.reset(); }
    void handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) override;
    [[nodiscard]] std::vector<std::vector<Vec2>> previewShape() const override;
    [[nodiscard]] std::optional<HUDState> hudState(const ModelingContext& context) const override;
    [[nodiscard]] bool namesSnapInStatus() const override { return true; }

    void commit(const Vec2& a, const Vec2& b, const Sketch& sketch, ModelingContext& context);

    std::optional<Vec2> corner_;
};

}  // namespace brontile
