// Moving a body by dragging it on the ground plane (or vertically with Shift at the press), or by
// a typed distance along the last direction moved.
#pragma once

#include <optional>

#include "tools/modeling_tool.hpp"

namespace brontile {

class MoveTool final : public ModelingTool {
public:
    MoveTool();

    [[nodiscard]] bool isBusy() const override { return drag_.has_value(); }
    // With one body selected the HUD offers a distance at once, so one can be typed before any
    // drag.
    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    struct Drag {
        BodyID body;
        SolidMesh original;
        Vec3 start;
        bool vertical = false;
        Vec3 delta;
    };

    void dragTo(const PointerEvent& event, ModelingContext& context);
    void release(ModelingContext& context);

    std::optional<Drag> drag_;
    std::optional<Vec3> lastDirection_;
};

}  // namespace brontile
