// The list of the program's tools. A new tool is its own files plus one row here.
#include <algorithm>
#include <vector>

#include "base/invariant.hpp"
#include "commands/app_command_id.hpp"
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
#include "tools/section_tool.hpp"
#include "tools/select_tool.hpp"
#include "tools/shell_tool.hpp"
#include "tools/tool_descriptor.hpp"
#include "tools/trim_tool.hpp"

namespace brontile {
namespace {

template <class Tool>
std::unique_ptr<ModelingTool> make() {
    return std::make_unique<Tool>();
}

template <BooleanOp op>
std::unique_ptr<ModelingTool> makeBoolean() {
    return std::make_unique<BooleanTool>(op);
}

using enum ToolKind;
namespace Cmd = AppCommandID;

// clang-format off
const std::vector<ToolDescriptor>& descriptors() {
    static const std::vector<ToolDescriptor> list{
        {ToolID::select, Cmd::toolSelect, "Select",
         "Click a face to select. Drag a face or its arrow to push/pull. Click the reverse cone "
         "to flip. Drag empty space to orbit. Double-click selects a body. Tab types a distance.",
         "Tools", "cursorarrow", view, make<SelectTool>},
        {ToolID::line, Cmd::toolLine, "Line",
         "Click to place points; click the first point (or press Return) to finish. Tab types a "
         "length. Option disables snapping.",
         "Sketch", "line.diagonal", sketch, make<LineTool>},
        {ToolID::rectangle, Cmd::toolRectangle, "Rectangle",
         "Click one corner, then the opposite corner.",
         "Sketch", "rectangle", sketch, make<RectangleTool>},
        {ToolID::circle, Cmd::toolCircle, "Circle",
         "Click the center, then a point on the circle. Tab types a radius.",
         "Sketch", "circle", sketch, make<CircleTool>},
        {ToolID::arc, Cmd::toolArc, "Arc",
         "Click start, end, then a point on the arc. Tab types a radius.",
         "Sketch", "pencil.and.outline", sketch, make<ArcTool>},
        {ToolID::polygon, Cmd::toolPolygon, "Polygon",
         "Click the center, then a vertex. Shift steps the side count. Tab types a radius.",
         "Sketch", "hexagon", sketch, make<PolygonTool>},
        {ToolID::offset, Cmd::toolOffset, "Offset",
         "Click inside a closed region, then drag or type an offset distance.",
         "Sketch", "square.on.circle", sketch, make<OffsetTool>},
        {ToolID::trim, Cmd::toolTrim, "Trim",
         "Click a sketch curve to delete it, or click a line near an intersection to keep the "
         "other fragment.",
         "Sketch", "scissors", sketch, make<TrimTool>},
        {ToolID::extrude, Cmd::toolExtrude, "Extrude",
         "Click inside a closed sketch region, then drag or type a distance. Click the arrow to "
         "flip. Return commits, Escape cancels.",
         "Solid", "prism.arrow.up", body, make<ExtrudeTool>},
        {ToolID::revolve, Cmd::toolRevolve, "Revolve",
         "Click inside a closed region, then click an axis (a sketch line) or accept the sketch X "
         "axis. Tab types an angle in degrees.",
         "Solid", "profile.around.axis", body, make<RevolveTool>},
        {ToolID::fillet, Cmd::toolFillet, "Fillet",
         "Select a face, then drag or type a radius. Option creates a chamfer instead.",
         "Solid", "capsule", body, make<FilletTool>, "Fillet / Chamfer"},
        {ToolID::shell, Cmd::toolShell, "Shell",
         "Select a body, then type a wall thickness and press Return.",
         "Solid", "shippingbox", body, make<ShellTool>},
        {ToolID::move, Cmd::toolMove, "Move",
         "Drag a body to move it on the ground plane. Hold Shift to move vertically. Tab types a "
         "distance.",
         "Transform", "arrow.up.and.down.and.arrow.left.and.right", body, make<MoveTool>},
        {ToolID::rotate, Cmd::toolRotate, "Rotate",
         "Drag to rotate the selected body around Z. Tab types an angle in degrees.",
         "Transform", "rotate.right", body, make<RotateTool>},
        {ToolID::scale, Cmd::toolScale, "Scale",
         "Drag to scale the selected body about its center. Tab types a factor (1.0 = 100%).",
         "Transform", "square.scale.arrow", body, make<ScaleTool>},
        {ToolID::mirror, Cmd::toolMirror, "Mirror",
         "Select a body, then click a face to mirror across. Shift keeps the original.",
         "Transform", "arrow.left.and.right.righttriangle.left.righttriangle.right", body,
         make<MirrorTool>},
        {ToolID::measure, Cmd::toolMeasure, "Measure",
         "Click two points, faces, or sketch entities. Shift snaps to vertices.",
         "Inspect", "ruler", view, make<MeasureTool>},
        {ToolID::pattern, Cmd::toolPattern, "Pattern",
         "Select a body, then type a count. Copies along X by the body's width.",
         "Transform", "rectangle.split.2x1", body, make<PatternTool>, "Linear Pattern"},
        {ToolID::unite, Cmd::toolUnion, "Union",
         "Union: click the first body, then the body to merge into it.",
         "Solid", "circle.lefthalf.filled", body, makeBoolean<BooleanOp::unite>},
        {ToolID::subtract, Cmd::toolSubtract, "Subtract",
         "Subtract: click the body to keep, then the body to remove.",
         "Solid", "minus.circle", body, makeBoolean<BooleanOp::subtract>},
        {ToolID::intersect, Cmd::toolIntersect, "Intersect",
         "Intersect: click two bodies to keep only their overlap.",
         "Solid", "circle.circle", body, makeBoolean<BooleanOp::intersect>},
        {ToolID::section, Cmd::toolSection, "Section Plane",
         "Drag the arrow or type an offset to move the cut. Click a flat face to cut along it.",
         "View", "square.split.arrow", view, make<SectionTool>, "Move Section Plane"},
    };
    return list;
}
// clang-format on

}  // namespace

CommandRegistry::Entry ToolDescriptor::commandEntry() const {
    std::optional<std::string> icon;
    if (!symbol.empty()) icon.emplace(symbol);
    return {command, std::string(commandTitle.empty() ? title : commandTitle),
            std::string(category), std::move(icon)};
}

std::span<const ToolDescriptor> toolDescriptors() { return descriptors(); }

const ToolDescriptor* findToolDescriptor(const ToolID& id) {
    const auto it = std::ranges::find(descriptors(), id, &ToolDescriptor::id);
    return it == descriptors().end() ? nullptr : &*it;
}

const ToolDescriptor* findToolDescriptor(const CommandID& command) {
    const auto it = std::ranges::find(descriptors(), command, &ToolDescriptor::command);
    return it == descriptors().end() ? nullptr : &*it;
}

const ToolDescriptor& toolDescriptor(const ToolID& id) {
    const ToolDescriptor* found = findToolDescriptor(id);
    BRONTILE_INVARIANT(found != nullptr, "a tool of the list");
    return *found;
}

std::vector<CommandRegistry::Entry> toolCommandEntries() {
    std::vector<CommandRegistry::Entry> entries;
    for (const ToolDescriptor& descriptor : descriptors()) {
        entries.push_back(descriptor.commandEntry());
    }
    return entries;
}

bool isSketchTool(const ToolID& id) {
    const ToolDescriptor* found = findToolDescriptor(id);
    return found != nullptr && found->kind == ToolKind::sketch;
}

}  // namespace brontile
