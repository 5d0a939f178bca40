#include "tools/tool_controller.hpp"

#include "base/invariant.hpp"
#include "tools/tool_descriptor.hpp"

namespace brontile {

ToolController::ToolController() {
    for (const ToolDescriptor& descriptor : toolDescriptors()) registerTool(descriptor.make());
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
