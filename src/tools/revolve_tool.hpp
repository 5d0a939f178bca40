// Sweeping closed sketch regions about an axis: pick a region (Shift adds more of its sketch),
// then a sketch line as the axis (or keep the sketch's X axis), then Return for a full turn or a
// typed angle. The solid is a new body unless the mode key joins it to, or cuts it out of, a
// body it meets.
#pragma once

#include <optional>

#include "sketch/profile.hpp"
#include "tools/body_mode.hpp"
#include "tools/modeling_tool.hpp"
#include "tools/region_finder.hpp"
#include "tools/region_pick.hpp"

namespace brontile {

class RevolveTool final : public ModelingTool {
public:
    RevolveTool();

    [[nodiscard]] bool isBusy() const override { return !pick_.empty(); }
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

    // Whether the axis passes through the region's inside, so that sweeping it would make the
    // solid cut through itself. An axis along the region's edge only touches it.
    [[nodiscard]] static bool axisCrossesRegion(const Profile& profile, const Vec3& axisOrigin,
                                                const Vec3& axisDirection);

private:
    // Whether the axis runs through any picked region.
    [[nodiscard]] bool axisCrossesPick() const;
    // The solids of the picked regions at the current angle; none the kernel refuses.
    [[nodiscard]] std::vector<SolidMesh> solids(ModelingContext& context) const;
    void showPreview(ModelingContext& context);
    void commit(ModelingContext& context);
    void drop(ModelingContext& context);

    RegionPick pick_;
    BodyMode mode_ = BodyMode::newBody;
    // A body the last solid meets: the one the mode key joins or cuts.
    std::optional<BodyID> meeting_;
    Vec3 axisOrigin_;
    Vec3 axisDirection_ = Vec3::unitX;
    double degrees_ = 360;
    bool pickingAxis_ = false;
    ProfileCache cache_;
};

}  // namespace brontile
