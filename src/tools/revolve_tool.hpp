// Sweeping a closed sketch region about an axis into a new body: pick the region, then a sketch
// line as the axis (or keep the sketch's X axis), then Return for a full turn or a typed angle.
#pragma once

#include <optional>

#include "sketch/profile.hpp"
#include "tools/modeling_tool.hpp"
#include "tools/region_finder.hpp"

namespace brontile {

class RevolveTool final : public ModelingTool {
public:
    RevolveTool();

    [[nodiscard]] bool isBusy() const override { return profile_.has_value(); }
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

    // Whether the axis passes through the region's inside, so that sweeping it would make the
    // solid cut through itself. An axis along the region's edge only touches it.
    [[nodiscard]] static bool axisCrossesRegion(const Profile& profile, const Vec3& axisOrigin,
                                                const Vec3& axisDirection);

private:
    void showPreview(ModelingContext& context) const;
    void commit(ModelingContext& context);
    void drop(ModelingContext& context);

    std::optional<Profile> profile_;
    Vec3 axisOrigin_;
    Vec3 axisDirection_ = Vec3::unitX;
    double degrees_ = 360;
    bool pickingAxis_ = false;
    ProfileCache cache_;
};

}  // namespace brontile
