// What every tool is. Exactly one tool is active at a time; it is told of every pointer event,
// of the keys Escape, Return and Delete, and of values typed into the HUD.
#pragma once

#include <string>

#include "interaction/input_events.hpp"
#include "tools/modeling_context.hpp"
#include "tools/tool_id.hpp"

namespace brontile {

class ModelingTool {
public:
    // A tool of the list, named and hinted as its descriptor says.
    explicit ModelingTool(const ToolID& id);
    ModelingTool(ToolID id, std::string title, std::string hint)
        : id_(std::move(id)), title_(std::move(title)), hint_(std::move(hint)) {}
    ModelingTool(const ModelingTool&) = delete;
    ModelingTool& operator=(const ModelingTool&) = delete;
    virtual ~ModelingTool() = default;

    [[nodiscard]] const ToolID& id() const { return id_; }
    [[nodiscard]] const std::string& title() const { return title_; }
    [[nodiscard]] const std::string& hint() const { return hint_; }

    // The tool holds an unfinished interaction that Escape should abandon.
    [[nodiscard]] virtual bool isBusy() const { return false; }
    // Called when the tool becomes active, and when another tool does.
    virtual void activate(ModelingContext&) {}
    virtual void deactivate(ModelingContext&) {}
    virtual void pointer(const PointerEvent& event, ModelingContext& context) = 0;
    // Whether the tool consumed the key.
    virtual bool key(ToolKey, ModelingContext&) { return false; }
    // A value typed into the HUD: millimetres for a length, degrees for an angle, the number for
    // a factor or a count (the HUD's quantity says which).
    virtual void hudCommit(double, ModelingContext&) {}
    // A body picked outside the viewport (its row in the inspector); whether the tool took it as
    // its own pick rather than as a selection.
    virtual bool pickBody(const BodyID&, ModelingContext&) { return false; }

private:
    ToolID id_;
    std::string title_;
    std::string hint_;
};

}  // namespace brontile
