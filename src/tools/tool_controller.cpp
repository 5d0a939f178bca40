#include "tools/tool_controller.hpp"

#include "base/invariant.hpp"
#include "tools/arc_tool.hpp"
#include "tools/boolean_tool.hpp"
#include "tools/circle_tool.hpp"
#include "tools/extrude_tool.hpp"
#include "tools/fillet_tool.hpp"
#include "tools/line_tool.hpp"
#include "tools/measure_tool.hpp"
#include "tools/mirror_tool.hpp"
#include "tools/move_tool.hpp"
#include "tools/offset_tool.hpp"
#include "tools/pattern_tool.hpp"
#include "tools/polygon_tool.hpp"
#include "tools/rectangle_tool.hpp"
#include "tools/revolve_tool.hpp"
#include "tools/rotate_tool.hpp"
#include "tools/scale_tool.hpp"
#include "tools/select_tool.hpp"
#include "tools/shell_tool.hpp"
#include "tools/tool_catalog.hpp"
#include "tools/trim_tool.hpp"

namespace brontile {
namespace {

// The tool for an id of the catalog.
std::unique_ptr<ModelingTool> makeTool(const ToolID& id) {
    if (id == ToolID::select) return std::make_unique<SelectTool>();
    if (id == ToolID::line) return std::make_unique<LineTool>();
    if (id == ToolID::rectangle) return std::make_unique<RectangleTool>();
    if (id == ToolID::circle) return std::make_unique<CircleTool>();
    if (id == ToolID::arc) return std::make_unique<ArcTool>();
    if (id == ToolID::polygon) return std::make_unique<PolygonTool>();
    if (id == ToolID::offset) return std::make_unique<OffsetTool>();
    if (id == ToolID::trim) return std::make_unique<TrimTool>();
    if (id == ToolID::extrude) return std::make_unique<ExtrudeTool>();
    if (id == ToolID::revolve) return std::make_unique<RevolveTool>();
    if (id == ToolID::fillet) return std::make_unique<FilletTool>();
    if (id == ToolID::shell) return std::make_unique<ShellTool>();
    if (id == ToolID::move) return std::make_unique<MoveTool>();
    if (id == ToolID::rotate) return std::make_unique<RotateTool>();
    if (id == ToolID::scale) return std::make_unique<ScaleTool>();
    if (id == ToolID::mirror) return std::make_unique<MirrorTool>();
    if (id == ToolID::measure) return std::make_unique<MeasureTool>();
    if (id == ToolID::pattern) return std::make_unique<PatternTool>();
    if (id == ToolID::unite) return std::make_unique<BooleanTool>(BooleanOp::unite);
    if (id == ToolID::subtract) return std::make_unique<BooleanTool>(BooleanOp::subtract);
    BRONTILE_INVARIANT(id == ToolID::intersect, "a tool of the catalog");
    return std::make_unique<BooleanTool>(BooleanOp::intersect);
}

}  // namespace

ToolController::ToolController() {
    for (const ToolIdentity& identity : toolCatalog()) registerTool(makeTool(identity.id));
}

void ToolController::registerTool(std::unique_ptr<ModelingTool> tool) {
    BRONTILE_INVARIANT(tool != nullptr, "a tool to register");
    const ToolID id = tool->id();
    if (!tools_.contains(id)) order_.push_back(id);
    tools_[id] = std::move(tool);
}

ModelingTool& ToolController::active() const {
    ModelingTool* found = tool(activeID_);
    if (found == nullptr) found = tool(ToolID::select);
    BRONTILE_INVARIANT(found != nullptr, "the select tool is always registered");
    return *found;
}

ModelingTool* ToolController::tool(const ToolID& id) const {
    const auto it = tools_.find(id);
    return it == tools_.end() ? nullptr : it->second.get();
}

std::vector<ModelingTool*> ToolController::all() const {
    std::vector<ModelingTool*> result;
    for (const ToolID& id : order_) {
        if (ModelingTool* t = tool(id)) result.push_back(t);
    }
    return result;
}

void ToolController::activate(const ToolID& id, ModelingContext& context) {
    ModelingTool* next = tool(id);
    if (next == nullptr) return;
    active().deactivate(context);
    activeID_ = id;
    context.setOverlay(SceneOverlay::empty);
    context.setHud(std::nullopt);
    next->activate(context);
    context.setStatusHint(next->hint());
}

void ToolController::cancel(ModelingContext& context) {
    ModelingTool& current = active();
    if (current.isBusy() && current.key(ToolKey::escape, context)) {
        context.setStatusHint(current.hint());
        return;
    }
    if (activeID_ != ToolID::select) {
        activate(ToolID::select, context);
        return;
    }
    context.setSelection(Selection::empty);
    context.setHud(std::nullopt);
}

void ToolController::confirm(ModelingContext& context) {
    static_cast<void>(active().key(ToolKey::confirm, context));
}

}  // namespace brontile
