#include "tools/tool_catalog.hpp"

#include <algorithm>
#include <array>

#include "base/invariant.hpp"

namespace brontile {

std::span<const ToolIdentity> toolCatalog() {
    static const std::array<ToolIdentity, 21> catalog{{
        {ToolID::select, "Select",
         "Click a face to select. Drag a face or its arrow to push/pull. Click the reverse cone "
         "to flip. Drag empty space to orbit. Double-click selects a body. Tab types a distance."},
        {ToolID::line, "Line",
         "Click to place points; click the first point (or press Return) to finish. Tab types a "
         "length. Option disables snapping."},
        {ToolID::rectangle, "Rectangle", "Click one corner, then the opposite corner."},
        {ToolID::circle, "Circle",
         "Click the center, then a point on the circle. Tab types a radius."},
        {ToolID::arc, "Arc", "Click start, end, then a point on the arc. Tab types a radius."},
        {ToolID::polygon, "Polygon",
         "Click the center, then a vertex. Shift steps the side count. Tab types a radius."},
        {ToolID::offset, "Offset",
         "Click inside a closed region, then drag or type an offset distance."},
        {ToolID::trim, "Trim",
         "Click a sketch curve to delete it, or click a line near an intersection to keep the "
         "other fragment."},
        {ToolID::extrude, "Extrude",
         "Click inside a closed sketch region, then drag or type a distance. Click the arrow to "
         "flip. Return commits, Escape cancels."},
        {ToolID::revolve, "Revolve",
         "Click inside a closed region, then click an axis (a sketch line) or accept the sketch X "
         "axis. Tab types an angle in degrees."},
        {ToolID::fillet, "Fillet",
         "Select a face, then drag or type a radius. Option creates a chamfer instead."},
        {ToolID::shell, "Shell", "Select a body, then type a wall thickness and press Return."},
        {ToolID::move, "Move",
         "Drag a body to move it on the ground plane. Hold Shift to move vertically. Tab types a "
         "distance."},
        {ToolID::rotate, "Rotate",
         "Drag to rotate the selected body around Z. Tab types an angle in degrees."},
        {ToolID::scale, "Scale",
         "Drag to scale the selected body about its center. Tab types a factor (1.0 = 100%)."},
        {ToolID::mirror, "Mirror",
         "Select a body, then click a face to mirror across. Shift keeps the original."},
        {ToolID::measure, "Measure",
         "Click two points, faces, or sketch entities. Shift snaps to vertices."},
        {ToolID::pattern, "Pattern",
         "Select a body, then type a count. Copies along X by the body's width."},
        {ToolID::unite, "Union", "Union: click the first body, then the body to merge into it."},
        {ToolID::subtract, "Subtract",
         "Subtract: click the body to keep, then the body to remove."},
        {ToolID::intersect, "Intersect", "Intersect: click two bodies to keep only their overlap."},
    }};
    return catalog;
}

const ToolIdentity& toolIdentity(const ToolID& id) {
    const auto catalog = toolCatalog();
    const auto found =
        std::ranges::find_if(catalog, [&](const ToolIdentity& entry) { return entry.id == id; });
    BRONTILE_INVARIANT(found != catalog.end(), "a tool of the catalog");
    return *found;
}

}  // namespace brontile
