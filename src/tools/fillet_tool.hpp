// Rounding or chamfering every edge of one selected face: the preview shows the result in place;
// Return or a typed radius writes it. Option while dragging makes it a chamfer.
#pragma once

#include <optional>

#include "tools/modeling_tool.hpp"

namespace brontile {

class FilletTool final : public ModelingTool {
public:
    FilletTool();

    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    void hudCommit(double value, ModelingContext& context) override;

private:
    // The selected face's body with the blend applied, or the reason there is none.
    struct Blend {
        BodyID body;
        std::optional<SolidMesh> mesh;
        std::string problem;
    };
    [[nodiscard]] std::optional<Blend> blend(const ModelingContext& context);
    void showPreview(ModelingContext& context);
    void commit(ModelingContext& context);
    [[nodiscard]] std::string stepName() const { return chamfer_ ? "Chamfer" : "Fillet"; }

    double distance_ = 2.0;
    bool chamfer_ = false;
    // The last blend worked out, reused while the mesh, face, distance and kind stay the same:
    // a drag re-evaluates the preview on every event.
    struct Cached {
        SolidMesh source;
        FaceID face;
        double distance = 0;
        bool chamfer = false;
        Blend result;
    };
    std::optional<Cached> cache_;
};

}  // namespace brontile
