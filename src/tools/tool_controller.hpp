// Owns every tool and switches between them. Exactly one tool is active; at first the select
// tool.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "tools/modeling_tool.hpp"

namespace brontile {

class ToolController {
public:
    // Every tool of the list, in its order.
    ToolController();

    // Stores the tool under its id, replacing an earlier one there; a new id goes to the end of
    // order(). (`register` is a C++ keyword.)
    void registerTool(std::unique_ptr<ModelingTool> tool);

    // The tool registered under activeID(), or else the select tool.
    [[nodiscard]] ModelingTool& active() const;
    [[nodiscard]] ModelingTool* tool(const ToolID& id) const;
    // The tools in order(), skipping ids without a tool.
    [[nodiscard]] std::vector<ModelingTool*> all() const;
    [[nodiscard]] const std::vector<ToolID>& order() const { return order_; }
    [[nodiscard]] const ToolID& activeID() const { return activeID_; }

    // Switches to the tool: the active one is deactivated (also when it is the same one, which
    // resets it), the preview and the HUD are cleared, the new tool is activated and its hint
    // shown. An unknown id changes nothing.
    void activate(const ToolID& id, ModelingContext& context);
    // Escape: abandons the active tool's unfinished interaction if it has one; else leaves the
    // tool for Select; in an idle select tool clears the selection and hides the HUD.
    void cancel(ModelingContext& context);
    // Return: tells the active tool.
    void confirm(ModelingContext& context);

private:
    std::unordered_map<ToolID, std::unique_ptr<ModelingTool>> tools_;
    std::vector<ToolID> order_;
    ToolID activeID_ = ToolID::select;
};

}  // namespace brontile
