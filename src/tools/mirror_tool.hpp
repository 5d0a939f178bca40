// Mirroring the selected body across the plane of a clicked face; Shift keeps the original and
// adds the mirror image as a new body.
#pragma once

#include "tools/modeling_tool.hpp"

namespace brontile {

class MirrorTool final : public ModelingTool {
public:
    MirrorTool();

    void pointer(const PointerEvent& event, ModelingContext& context) override;
};

}  // namespace brontile
