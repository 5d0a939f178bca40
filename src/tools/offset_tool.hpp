// Offsetting a closed sketch region: a press picks it, a drag or a typed value sets how far its
// outline moves out (or in), and the new outline is written as lines into the region's sketch.
#pragma once

#include <optional>

#include "sketch/profile.hpp"
#include "tools/modeling_tool.hpp"
#include "tools/region_finder.hpp"

namespace brontile {

class OffsetTool final : public ModelingTool {
public:
    OffsetTool();

    [[nodiscard]] bool isBusy() const override { return profile_.has_value(); }
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    void showPreview(ModelingContext& context) const;
    void commit(ModelingContext& context);
    void drop(ModelingContext& context);

    std::optional<Profile> profile_;
    double distance_ = 0;
    ProfileCache cache_;
};

}  // namespace brontile
