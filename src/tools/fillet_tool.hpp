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
    // What a blend is worked out from: the selected face's body and face, and the tool's values.
    struct Request {
        BodyID body;
        std::string bodyName;
        SolidMesh source;
        FaceID face;
        double distance = 0;
        bool chamfer = false;
        // The distance as the person reads it, for the message when no edge could be cut.
        std::string shown;
    };
    [[nodiscard]] std::optional<Request> request(const ModelingContext& context) const;
    [[nodiscard]] static Blend worked(const GeometryKernel& kernel, const Request& request,
                                      Progress& progress);
    // The last blend worked out, when it was for this same request.
    [[nodiscard]] const Blend* cached(const Request& request) const;
    void remember(const Request& request, Blend result);
    void showBlend(const Blend& result, ModelingContext& context);
    // The HUD at once; the blend from the cache, else as a preview worked out off the window's
    // thread when it takes long.
    void showPreview(ModelingContext& context);
    void commit(ModelingContext& context);
    void write(const Blend& result, ModelingContext& context);
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
