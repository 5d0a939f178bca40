// Switching tools, and what Escape and Return do, as the toolbar and the keys reach them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/fake_context.hpp"
#include "tools/tool_controller.hpp"

namespace brontile {
namespace {

// A tool that records the calls it gets and can be made busy and to consume keys.
class RecordingTool final : public ModelingTool {
public:
    explicit RecordingTool(ToolID id)
        : ModelingTool(std::move(id), "Recording", "Recording hint") {}

    std::vector<std::string> calls;
    bool busy = false;
    bool consumes = false;

    [[nodiscard]] bool isBusy() const override { return busy; }
    void activate(ModelingContext&) override { calls.emplace_back("activate"); }
    void deactivate(ModelingContext&) override { calls.emplace_back("deactivate"); }
    void pointer(const PointerEvent&, ModelingContext&) override { calls.emplace_back("pointer"); }
    bool key(ToolKey key, ModelingContext&) override {
        calls.emplace_back(key == ToolKey::escape    ? "escape"
                           : key == ToolKey::confirm ? "confirm"
                                                     : "remove");
        return consumes;
    }
};

struct Fixture {
    ToolController controller;
    test::FakeContext context;
    RecordingTool* select = add(ToolID::select);
    RecordingTool* line = add(ToolID::line);

    RecordingTool* add(ToolID id) {
        auto tool = std::make_unique<RecordingTool>(std::move(id));
        RecordingTool* added = tool.get();
        controller.registerTool(std::move(tool));
        return added;
    }
    Fixture() {
        context.currentOverlay.lines.push_back({});
        context.currentHud =
            HUDState{"Radius", 2.0, std::nullopt, true, std::nullopt, HUDQuantity::length};
        context.hint = "before";
    }
};

TEST(ToolController, RegistersEveryToolOnceInToolbarOrder) {
    ToolController controller;
    const std::vector<std::string> expected{
        "select",  "line",    "rectangle", "circle",   "arc",       "polygon", "offset", "trim",
        "extrude", "revolve", "fillet",    "shell",    "move",      "rotate",  "scale",  "mirror",
        "measure", "pattern", "union",     "subtract", "intersect", "section"};
    std::vector<std::string> ids;
    for (const ModelingTool* tool : controller.all()) ids.push_back(tool->id().rawValue);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(controller.tool(ToolID::unite)->title(), "Union");
    EXPECT_EQ(controller.tool("union"), controller.tool(ToolID::unite));
    EXPECT_EQ(controller.activeID(), ToolID::select);
    // A second registration replaces the tool and keeps its place.
    controller.registerTool(std::make_unique<RecordingTool>(ToolID::line));
    EXPECT_EQ(controller.order().size(), 22U);
    EXPECT_EQ(controller.order()[1], ToolID::line);
    EXPECT_EQ(controller.tool(ToolID::line)->title(), "Recording");
}

TEST(ToolController, ActivatingResetsThePreviewShowsTheHintAndReturnReachesTheActiveTool) {
    Fixture f;
    f.controller.activate(ToolID{"no such tool"}, f.context);
    EXPECT_EQ(f.controller.activeID(), ToolID::select);
    EXPECT_EQ(f.context.hint, "before");
    EXPECT_TRUE(f.context.currentHud.has_value());
    EXPECT_FALSE(f.context.currentOverlay.lines.empty());
    EXPECT_TRUE(f.select->calls.empty());

    f.controller.activate(ToolID::line, f.context);
    EXPECT_EQ(f.select->calls, std::vector<std::string>{"deactivate"});
    EXPECT_EQ(f.line->calls, std::vector<std::string>{"activate"});
    EXPECT_EQ(f.context.currentOverlay, SceneOverlay::empty);
    EXPECT_FALSE(f.context.currentHud.has_value());
    EXPECT_EQ(f.context.hint, "Recording hint");
    // The active tool again: reset through deactivate and activate. Return goes to it.
    f.controller.activate(ToolID::line, f.context);
    f.controller.confirm(f.context);
    EXPECT_EQ(f.line->calls,
              (std::vector<std::string>{"activate", "deactivate", "activate", "confirm"}));
}

TEST(ToolController, EscapeAbandonsTheGestureThenLeavesTheToolThenClearsTheSelection) {
    Fixture f;
    f.context.currentSelection.bodies.insert(BodyID::generate());
    f.controller.activate(ToolID::line, f.context);
    // Busy and consuming: the tool stays, its hint comes back.
    f.line->busy = true;
    f.line->consumes = true;
    f.context.hint = "drawing";
    f.controller.cancel(f.context);
    EXPECT_EQ(f.controller.activeID(), ToolID::line);
    EXPECT_EQ(f.context.hint, "Recording hint");
    // Idle: back to Select, the selection kept.
    f.line->busy = false;
    f.controller.cancel(f.context);
    EXPECT_EQ(f.controller.activeID(), ToolID::select);
    EXPECT_FALSE(f.context.currentSelection.isEmpty());
    // Select and idle: the selection and the HUD go.
    f.context.currentHud =
        HUDState{"Distance", 1.0, std::nullopt, false, std::nullopt, HUDQuantity::length};
    f.controller.cancel(f.context);
    EXPECT_TRUE(f.context.currentSelection.isEmpty());
    EXPECT_FALSE(f.context.currentHud.has_value());
    EXPECT_EQ(f.line->calls.back(), "deactivate");
}

}  // namespace
}  // namespace brontile
