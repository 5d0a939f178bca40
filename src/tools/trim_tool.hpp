// Trimming the active sketch: a click deletes a curve, or cuts out the piece of a line between
// the crossings with other lines on either side of the click.
#pragma once

#include "tools/modeling_tool.hpp"

namespace brontile {

class TrimTool final : public ModelingTool {
public:
    TrimTool();

    void activate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;

    // The parameters along a→b (0 and 1 included, sorted) where other lines of `lines` cross it
    // strictly inside; touching at an end does not count.
    [[nodiscard]] static std::vector<double> splitParameters(const SketchLine& line,
                                                             const std::vector<SketchLine>& others);
};

}  // namespace brontile
