// Regular polygons of 3 to 12 constrained sides, by centre and a vertex or a typed radius; each
// press of Shift steps the side count.
#pragma once

#include "tools/sketch_drawing_tool.hpp"

namespace brontile {

class PolygonTool final : public SketchDrawingTool {
public:
    PolygonTool();

    void hudCommit(double value, ModelingContext& context) override;

    [[nodiscard]] int sides() const { return sides_; }
    // The vertices of the polygon centred on c with v as its first vertex.
    [[nodiscard]] static std::vector<Vec2> vertices(const Vec2& c, const Vec2& v, int sides);

private:
    [[nodiscard]] bool hasFirstPoint() const override { return center_.has_value(); }
    void clearShape() override { center_.reset(); }
    void beforeSnap(const PointerEvent& event) override;
    void handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) override;
    [[nodiscard]] std::vector<std::vector<Vec2>> previewShape() const override;
    [[nodiscard]] std::optional<HUDState> hudState(const ModelingContext& context) const override;

    void commit(const Vec2& c, const Vec2& v, const Sketch& sketch, ModelingContext& context);

    std::optional<Vec2> center_;
    int sides_ = 6;
    bool shiftHeld_ = false;
};

}  // namespace brontile
