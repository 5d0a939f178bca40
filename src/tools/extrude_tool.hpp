// Turning closed sketch regions into a solid: pick a region (Shift adds more of its sketch),
// drag along its normal or type a distance, flip with the reverse cone. Releasing a drag, Return
// or a typed value makes a new body, joins it to a body or cuts it out of one: a region on a
// body's face cuts when extruded into the body and joins when extruded away, anything else is a
// new body, and the mode key chooses otherwise.
#pragma once

#include <optional>

#include "tools/body_mode.hpp"
#include "tools/modeling_tool.hpp"
#include "tools/region_finder.hpp"
#include "tools/region_pick.hpp"

namespace brontile {

class ExtrudeTool final : public ModelingTool {
public:
    ExtrudeTool();

    [[nodiscard]] bool isBusy() const override { return !pick_.empty(); }
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

    [[nodiscard]] BodyMode mode() const { return mode_; }

private:
    [[nodiscard]] Vec3 axisDirection() const;
    [[nodiscard]] std::optional<Profile> findProfile(const Ray& ray, ModelingContext& context);
    void press(const PointerEvent& event, ModelingContext& context);
    void begin(const Profile& region, bool extend, ModelingContext& context);
    void flip(ModelingContext& context);
    void showHover(const Profile& profile, ModelingContext& context);
    void showPreview(ModelingContext& context);
    // The solids of the picked regions at the current distance, for the preview; none the kernel
    // refuses. A drag only changes the distance: the last sweep is stretched to it, so a region
    // with many holes is triangulated once, not on every event.
    [[nodiscard]] std::vector<SolidMesh> previewSolids(ModelingContext& context);
    // The mode the regions' place gives, unless the person chose one.
    void followPlace();
    [[nodiscard]] std::optional<BodyID> target() const;
    void commit(ModelingContext& context);
    void reset(ModelingContext& context);

    RegionPick pick_;
    Vec3 anchor_;
    std::optional<double> startLineT_;
    double distance_ = 0;
    bool dragging_ = false;
    bool flipped_ = false;
    bool hoverArrow_ = false;
    OverlayArrow arrow_ = OverlayArrow::extrusion({}, Vec3::unitZ, 0, false, false, true);
    ProfileCache cache_;
    BodyMode mode_ = BodyMode::newBody;
    bool modeChosen_ = false;
    std::optional<BodyModes::FaceContact> contact_;
    // A body the last preview solid meets, to join or cut when the regions lie on no body.
    std::optional<BodyID> meeting_;
    struct Swept {
        std::vector<Profile> regions;
        double distance = 0;
        std::vector<SolidMesh> solids;
    };
    std::optional<Swept> swept_;
};

}  // namespace brontile
