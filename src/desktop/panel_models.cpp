#include "desktop/panel_models.hpp"

#include <cmath>
#include <cstdio>

#include "commands/app_command_id.hpp"

namespace brontile::desktop {
namespace Cmd = AppCommandID;

namespace {

std::string_view trimmedBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// "%.4f" without the zeros after the point that carry nothing.
std::string fourDecimals(double value) {
    // Wide enough for any double printed in fixed notation.
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.4f", value);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return {};
    std::string text(buffer, static_cast<std::size_t>(length));
    while (text.ends_with('0')) text.pop_back();
    if (text.ends_with('.')) text.pop_back();
    // A tiny negative value rounds to "-0", which reads as a mistake in a field.
    if (text == "-0") text = "0";
    return text;
}

std::string editableNumber(std::optional<double> value, double divisor) {
    if (!value || !std::isfinite(*value) || std::abs(*value) <= 1e-9) return {};
    return fourDecimals(*value / divisor);
}

}  // namespace

std::vector<CommandID> contextualCommands(const Selection& selection, bool inSketch,
                                          std::size_t bodyCount) {
    if (inSketch) {
        std::vector<CommandID> commands{Cmd::toolExtrude, Cmd::toolRevolve, Cmd::toolOffset,
                                        Cmd::toolTrim};
        if (selection.hasSketchGeometry()) {
            commands.insert(commands.end(), {Cmd::editConstruction, Cmd::constraintHorizontal,
                                             Cmd::constraintVertical, Cmd::constraintParallel,
                                             Cmd::constraintPerpendicular, Cmd::constraintEqual,
                                             Cmd::constraintCoincident, Cmd::constraintDimension});
        }
        commands.push_back(Cmd::sketchFinish);
        return commands;
    }
    if (selection.faces.size() == 1) {
        return {Cmd::sketchNew, Cmd::toolExtrude, Cmd::toolFillet, Cmd::toolOffset, Cmd::bodyHide};
    }
    const std::size_t involved = selection.involvedBodies().size();
    if (involved >= 2)
        return {Cmd::toolUnion, Cmd::toolSubtract, Cmd::toolIntersect, Cmd::toolMove};
    if (involved == 1) {
        return {Cmd::toolMove,  Cmd::toolRotate,  Cmd::editDuplicate,
                Cmd::toolShell, Cmd::bodyIsolate, Cmd::bodyHide};
    }
    if (bodyCount > 0) return {Cmd::toolMeasure, Cmd::viewFrameAll};
    return {Cmd::sketchNew, Cmd::toolLine, Cmd::toolRectangle, Cmd::toolCircle};
}

std::string shortTitle(std::string_view title) {
    if (const auto slash = title.find('/'); slash != std::string_view::npos) {
        return std::string(trimmedBlanks(title.substr(0, slash)));
    }
    if (title.starts_with("New Sketch")) return "Sketch";
    return std::string(title);
}

std::size_t paletteDown(std::size_t highlighted, std::size_t count) {
    const std::size_t last = count > 0 ? count - 1 : 0;
    return highlighted + 1 < last ? highlighted + 1 : last;
}

std::size_t paletteUp(std::size_t highlighted) { return highlighted > 0 ? highlighted - 1 : 0; }

std::string hudEditableText(std::optional<double> valueMM, LengthUnit units) {
    return editableNumber(valueMM, millimetersPerUnit(units));
}

std::string hudEditableText(const HUDState& hud, LengthUnit units) {
    const bool isLength = hud.quantity.value_or(HUDQuantity::length) == HUDQuantity::length;
    return isLength ? hudEditableText(hud.valueMM, units) : editableNumber(hud.valueMM, 1.0);
}

std::string selectionSummary(const Selection& selection) {
    std::string summary;
    // Both forms are spelled out: "bodies" is no regular plural.
    const auto add = [&](std::size_t count, std::string_view one, std::string_view many) {
        if (count == 0) return;
        if (!summary.empty()) summary += " \u00B7 ";
        summary += std::to_string(count);
        summary += ' ';
        summary += count == 1 ? one : many;
    };
    add(selection.bodies.size(), "body", "bodies");
    add(selection.faces.size(), "face", "faces");
    add(selection.sketchEntities.size(), "sketch curve", "sketch curves");
    add(selection.sketchPoints.size(), "sketch point", "sketch points");
    add(selection.constraints.size(), "constraint", "constraints");
    return summary.empty() ? "nothing selected" : summary;
}

std::vector<std::optional<CommandID>> toolbarCommands(bool inSketch) {
    std::vector<std::optional<CommandID>> items{Cmd::toolSelect};
    if (inSketch) {
        items.insert(items.end(), {Cmd::toolLine, Cmd::toolArc, Cmd::toolRectangle, Cmd::toolCircle,
                                   Cmd::toolPolygon, std::nullopt, Cmd::toolOffset, Cmd::toolTrim});
    } else {
        items.insert(items.end(), {Cmd::sketchNew, std::nullopt, Cmd::toolExtrude, Cmd::toolRevolve,
                                   Cmd::toolFillet, Cmd::toolShell, std::nullopt, Cmd::toolMove,
                                   Cmd::toolRotate, Cmd::toolScale});
    }
    items.insert(items.end(), {Cmd::viewToggleGrid, Cmd::paletteShow});
    return items;
}

std::vector<CommandID> headerCommands() {
    return {Cmd::editUndo, Cmd::editRedo, Cmd::viewFrameAll, Cmd::sketchFinish};
}

std::vector<CommandID> viewCubeCommands() {
    return {Cmd::viewIso, Cmd::viewFront, Cmd::viewRight, Cmd::viewTop};
}

}  // namespace brontile::desktop
