// Placing the section view's cut: the plane's arrow is dragged along its normal or an offset is
// typed; a click on a flat face lays the plane on that face. The section stays when the tool is
// left.
#pragma once

#include <optional>

#include "tools/modeling_tool.hpp"

namespace brontile {

class SectionTool final : public ModelingTool {
public:
    SectionTool();

    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    void press(const PointerEvent& event, ModelingContext& context);
    void place(const SectionPlane& plane, ModelingContext& context);
    // The arrow at the middle of the bodies, on the plane.
    [[nodiscard]] OverlayArrow arrow(const ModelingContext& context) const;
    void showArrow(ModelingContext& context) const;

    bool hovered_ = false;
    // While the arrow is dragged: where along the normal the drag began, and the offset then.
    std::optional<double> dragStart_;
    double startOffset_ = 0;
};

}  // namespace brontile
