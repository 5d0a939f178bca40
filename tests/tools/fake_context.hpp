// A ModelingContext that keeps everything in plain fields and records what tools ask of it, for
// testing tools without a session.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interaction/scene_hit_tester.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"
#include "tools/modeling_tool.hpp"

namespace brontile::test {

class FakeContext : public ModelingContext {
public:
    CADDocument doc = CADDocument::empty("Untitled");
    Selection currentSelection;
    std::optional<HitTarget> currentHover;
    std::optional<Uuid> sketchID;
    SceneOverlay currentOverlay;
    std::optional<HUDState> currentHud;
    std::string hint;
    bool sectionShown = false;
    SectionPlane section;
    // What was asked, in order.
    std::vector<std::string> steps;
    std::vector<ToolID> toolRequests;
    std::vector<std::string> errors;
    std::vector<std::pair<double, double>> orbits;

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
    [[nodiscard]] bool showSection() const override { return sectionShown; }
    void setShowSection(bool show) override { sectionShown = show; }
    [[nodiscard]] const SectionPlane& sectionPlane() const override { return section; }
    void setSectionPlane(const SectionPlane& plane) override { section = plane; }
    [[nodiscard]] const std::string& statusHint() const override { return hint; }
    void setStatusHint(std::string h) override { hint = std::move(h); }
    [[nodiscard]] const GeometryKernel& kernel() const override {
        return kernelInUse ? *kernelInUse : kernel_;
    }
    [[nodiscard]] std::optional<HitResult> hitTest(const Ray& ray) override {
        return SceneHitTester::hit(
            ray, doc, SceneHitTester::kSketchPickPixels * worldUnitsPerPixel(), sketchID);
    }
    [[nodiscard]] double worldUnitsPerPixel() const override { return 0.1; }
    void orbit(double dx, double dy) override { orbits.emplace_back(dx, dy); }
    void setTool(const ToolID& id) override { toolRequests.push_back(id); }
    void showError(const std::string& message) override { errors.push_back(message); }
    // Runs the work and its finish at once, as a replay does; a stop armed with `stopAt` falls
    // on that check of the work.
    bool runLong(std::string phase, LongWork work) override {
        longPhases.push_back(std::move(phase));
        Progress progress;
        if (stopAt) progress.cancelAtCheck(*std::exchange(stopAt, std::nullopt));
        try {
            if (const Finish finish = work(progress)) finish(*this);
        } catch (const Cancelled&) {
            ++cancelled;
        } catch (const std::exception& error) {
            showError(error.what());
        }
        return true;
    }

    // Previews show at once, as a replay shows them.
    void preview(LongWork work) override {
        Progress progress;
        try {
            if (const Finish finish = work(progress)) finish(*this);
        } catch (const std::exception&) {
        }
    }
    void dropPreview() override {}

    // Set-up straight into the document, recording no step.
    BodyID addBox(const Vec3& min, const Vec3& max, const std::string& name = "Body") {
        return doc.addBody(test::boxMesh(min, max), name);
    }
    [[nodiscard]] FaceRef topFace(std::size_t body = 0) const {
        const Body& b = doc.bodies.at(body);
        return {b.id, std::ranges::find_if(b.mesh.faces(), [](const SolidFace& f) {
                          return f.normal.z > 0.5;
                      })->id};
    }
    // A sketch on `plane`, the active one unless `active` is false.
    const Sketch& addSketch(std::vector<SketchEntity> entities,
                            std::vector<SketchConstraint> constraints = {},
                            const SketchPlane& plane = SketchPlane::xy, bool active = true) {
        doc.sketches.push_back(test::sketchOf(std::move(entities), std::move(constraints), plane));
        if (active) sketchID = doc.sketches.back().id;
        return doc.sketches.back();
    }
    // The arrow's reverse cone lies behind the arrow's foot: the middle of it.
    [[nodiscard]] Vec3 reverseCone() const {
        const ArrowGizmo gizmo = currentOverlay.arrows.at(0).gizmo(worldUnitsPerPixel());
        return Vec3::lerp(gizmo.origin, gizmo.reverseTip(), 0.5);
    }

    // The long operations run, by phase; how many were stopped; a stop for the next one.
    std::vector<std::string> longPhases;
    int cancelled = 0;
    std::optional<std::uint64_t> stopAt;
    // A kernel to use instead of the real one, owned by the test.
    const GeometryKernel* kernelInUse = nullptr;

private:
    PolyKernel kernel_;
};

// Four lines round the rectangle from `min` to `max`, counter-clockwise from `min`.
inline std::vector<SketchEntity> rectangleLines(Vec2 min, Vec2 max) {
    return {line(min, {max.x, min.y}), line({max.x, min.y}, max), line(max, {min.x, max.y}),
            line({min.x, max.y}, min)};
}

// Rays slanted so that they are never parallel to a vertical push/pull axis.
inline const Vec3 kSlanted{0, 1, -1};

// A pointer event whose ray comes straight down onto the world point (from 100 mm above it),
// or along `direction` through it; its location is the point's x and y.
inline PointerEvent pointerAt(PointerPhase phase, const Vec3& world, ModifierSet modifiers = {},
                              int clicks = 1, const Vec3& direction = {0, 0, -1}) {
    PointerEvent event;
    event.phase = phase;
    event.location = {world.x, world.y};
    event.ray = Ray(world - direction.normalized() * 100, direction);
    event.modifiers = modifiers;
    event.clickCount = clicks;
    return event;
}

// A person's click at the world point: move, press and release there.
inline void clickAt(ModelingTool& tool, ModelingContext& context, const Vec3& world,
                    ModifierSet modifiers = {}, int clicks = 1,
                    const Vec3& direction = {0, 0, -1}) {
    for (const PointerPhase phase : {PointerPhase::move, PointerPhase::down, PointerPhase::up}) {
        tool.pointer(pointerAt(phase, world, modifiers, clicks, direction), context);
    }
}

// Press at `from`, one drag to `to` and release there, with no move before: along `direction`.
inline void pressDragRelease(ModelingTool& tool, ModelingContext& context, const Vec3& from,
                             const Vec3& to, ModifierSet modifiers = {},
                             const Vec3& direction = kSlanted) {
    tool.pointer(pointerAt(PointerPhase::down, from, modifiers, 1, direction), context);
    tool.pointer(pointerAt(PointerPhase::drag, to, modifiers, 1, direction), context);
    tool.pointer(pointerAt(PointerPhase::up, to, modifiers, 1, direction), context);
}

// Press at `from`, drag in `steps` even steps to `to`, release there.
inline void dragFrom(ModelingTool& tool, ModelingContext& context, const Vec3& from, const Vec3& to,
                     ModifierSet modifiers = {}, int steps = 4) {
    tool.pointer(pointerAt(PointerPhase::move, from, modifiers), context);
    tool.pointer(pointerAt(PointerPhase::down, from, modifiers, 1), context);
    for (int i = 1; i <= steps; ++i) {
        tool.pointer(
            pointerAt(PointerPhase::drag, Vec3::lerp(from, to, double(i) / steps), modifiers, 1),
            context);
    }
    tool.pointer(pointerAt(PointerPhase::up, to, modifiers, 1), context);
}

}  // namespace brontile::test
