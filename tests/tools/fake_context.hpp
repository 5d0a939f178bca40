// A ModelingContext that keeps everything in plain fields and records what tools ask of it, for
// testing tools without a session.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kernel/poly_kernel.hpp"
#include "tools/modeling_context.hpp"

namespace brontile::test {

class FakeContext final : public ModelingContext {
public:
    CADDocument doc = CADDocument::empty("Untitled");
    Selection currentSelection;
    std::optional<HitTarget> currentHover;
    std::optional<Uuid> sketchID;
    SceneOverlay currentOverlay;
    std::optional<HUDState> currentHud;
    std::string hint;
    // What was asked, in order.
    std::vector<std::string> steps;
    std::vector<ToolID> toolRequests;
    std::vector<std::string> errors;

    [[nodiscard]] const CADDocument& document() const override { return doc; }
    void mutate(const std::string& name, const Change& change) override {
        CADDocument copy = doc;
        change(copy);
        doc = std::move(copy);
        steps.push_back(name);
    }
    [[nodiscard]] const Selection& selection() const override { return currentSelection; }
    void setSelection(Selection s) override { currentSelection = std::move(s); }
    [[nodiscard]] const std::optional<HitTarget>& hover() const override { return currentHover; }
    void setHover(std::optional<HitTarget> t) override { currentHover = std::move(t); }
    [[nodiscard]] const std::optional<Uuid>& activeSketchID() const override { return sketchID; }
    void setActiveSketchID(std::optional<Uuid> id) override { sketchID = id; }
    [[nodiscard]] const SceneOverlay& overlay() const override { return currentOverlay; }
    void setOverlay(SceneOverlay o) override { currentOverlay = std::move(o); }
    [[nodiscard]] const std::optional<HUDState>& hud() const override { return currentHud; }
    void setHud(std::optional<HUDState> h) override { currentHud = std::move(h); }
    [[nodiscard]] const std::string& statusHint() const override { return hint; }
    void setStatusHint(std::string h) override { hint = std::move(h); }
    [[nodiscard]] const GeometryKernel& kernel() const override { return kernel_; }
    [[nodiscard]] std::optional<HitResult> hitTest(const Ray&) override { return std::nullopt; }
    [[nodiscard]] double worldUnitsPerPixel() const override { return 0.1; }
    void orbit(double, double) override {}
    void setTool(const ToolID& id) override { toolRequests.push_back(id); }
    void showError(const std::string& message) override { errors.push_back(message); }

private:
    PolyKernel kernel_;
};

}  // namespace brontile::test
