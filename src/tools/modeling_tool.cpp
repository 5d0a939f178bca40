#include "tools/modeling_tool.hpp"

#include "tools/tool_descriptor.hpp"

namespace brontile {

ModelingTool::ModelingTool(const ToolID& id)
    : ModelingTool(id, std::string(toolDescriptor(id).title),
                   std::string(toolDescriptor(id).hint)) {}

}  // namespace brontile
