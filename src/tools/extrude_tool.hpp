// Turning a closed sketch region into a solid: pick the region, drag along its normal or type a
// distance, flip with the reverse cone; releasing a drag, Return or a typed value adds the body.
#pragma once

#include <optional>

#include "sketch/profile.hpp"
#include "tools/modeling_tool.hpp"
#include "tools/region_finder.hpp"

namespace brontile {

class ExtrudeTool final : public ModelingTool {
public:
    ExtrudeTool();

    [[nodiscard]] bool isBusy() const override { return profile_.has_value(); }
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    [[nodiscard]] Vec3 axisDirection() const;
    [[nodiscard]] std::optional<Profile> findProfile(const Ray& ray, ModelingContext& context);
    void press(const PointerEvent& event, ModelingContext& context);
    void begin(Profile profile, ModelingContext& context);
    void flip(ModelingContext& context);
    void showHover(const Profile& profile, ModelingContext& context);
    void showPreview(ModelingContext& context);
    void commit(ModelingContext& context);
    void reset(ModelingContext& context);

    std::optional<Profile> profile_;
    Vec3 anchor_;
    std::optional<double> startLineT_;
    double distance_ = 0;
    bool dragging_ = false;
    bool flipped_ = false;
    bool hoverArrow_ = false;
    OverlayArrow arrow_ = OverlayArrow::extrusion({}, Vec3::unitZ, 0, false, false, true);
    ProfileCache cache_;
};

}  // namespace brontile
