#include "replay/session_trace.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "base/raw_value_enum.hpp"

namespace brontile::replay {

OrderedJson number(double value) { return std::isfinite(value) ? OrderedJson(value) : nullptr; }

OrderedJson vec(const Vec3& v) { return {number(v.x), number(v.y), number(v.z)}; }
OrderedJson vec(const Vec2& v) { return {number(v.x), number(v.y)}; }

namespace {

template <class T>
OrderedJson optional(const std::optional<T>& value) {
    return value ? OrderedJson(*value) : OrderedJson(nullptr);
}

OrderedJson hudJson(const std::optional<HUDState>& hud) {
    if (!hud) return nullptr;
    return {{"label", hud->label},
            {"valueMM", hud->valueMM ? number(*hud->valueMM) : OrderedJson(nullptr)},
            {"text", optional(hud->text)},
            {"editable", hud->editable},
            {"detail", optional(hud->detail)},
            {"quantity", hud->quantity ? OrderedJson(std::string(rawValue(*hud->quantity)))
                                       : OrderedJson(nullptr)}};
}

OrderedJson entityJson(const SketchEntity& entity) {
    OrderedJson out;
    std::visit(
        [&](const auto& g) {
            using G = std::decay_t<decltype(g)>;
            if constexpr (std::is_same_v<G, SketchLine>) {
                out = {{"kind", "line"},
                       {"isConstruction", entity.isConstruction},
                       {"start", vec(g.start)},
                       {"end", vec(g.end)}};
            } else if constexpr (std::is_same_v<G, SketchCircle>) {
                out = {{"kind", "circle"},
                       {"isConstruction", entity.isConstruction},
                       {"center", vec(g.center)},
                       {"radius", number(g.radius)}};
            } else {
                out = {{"kind", "arc"},
                       {"isConstruction", entity.isConstruction},
                       {"center", vec(g.center)},
                       {"radius", number(g.radius)},
                       {"startAngle", number(g.startAngle)},
                       {"endAngle", number(g.endAngle)},
                       {"start", vec(g.startPoint())},
                       {"end", vec(g.endPoint())}};
            }
        },
        entity.geometry);
    return out;
}

OrderedJson documentJson(const CADDocument& document) {
    OrderedJson bodies = OrderedJson::array();
    for (const Body& body : document.bodies) {
        const auto box = body.mesh.bounds();
        bodies.push_back(
            {{"name", body.name},
             {"isVisible", body.isVisible},
             {"colorIndex", body.colorIndex},
             {"faceCount", body.mesh.faces().size()},
             {"triangleCount", body.mesh.triangleCount()},
             {"volume", number(body.mesh.volume())},
             {"bounds", box ? OrderedJson{{"min", vec(box->min)}, {"max", vec(box->max)}}
                            : OrderedJson(nullptr)}});
    }
    OrderedJson sketches = OrderedJson::array();
    for (const Sketch& sketch : document.sketches) {
        OrderedJson entities = OrderedJson::array();
        for (const SketchEntity& entity : sketch.entities) entities.push_back(entityJson(entity));
        OrderedJson constraints = OrderedJson::array();
        for (const SketchConstraint& c : sketch.constraints) {
            constraints.push_back({{"kind", std::string(rawValue(c.kind))},
                                   {"value", c.value ? number(*c.value) : OrderedJson(nullptr)}});
        }
        sketches.push_back({{"name", sketch.name},
                            {"isVisible", sketch.isVisible},
                            {"plane",
                             {{"origin", vec(sketch.plane.origin)},
                              {"xAxis", vec(sketch.plane.xAxis)},
                              {"yAxis", vec(sketch.plane.yAxis)}}},
                            {"entities", std::move(entities)},
                            {"constraints", std::move(constraints)}});
    }
    return {{"title", document.metadata.title},
            {"units", std::string(rawValue(document.units))},
            {"showGrid", document.showGrid},
            {"bodies", std::move(bodies)},
            {"sketches", std::move(sketches)}};
}

OrderedJson selectionJson(const Selection& selection, const CADDocument& document) {
    std::vector<std::size_t> bodies;
    for (const BodyID& id : selection.bodies) {
        if (const auto index = document.bodyIndex(id)) bodies.push_back(*index);
    }
    std::ranges::sort(bodies);
    return {{"bodies", bodies},
            {"faces", selection.faces.size()},
            {"sketchEntities", selection.sketchEntities.size()},
            {"sketchPoints", selection.sketchPoints.size()},
            {"constraints", selection.constraints.size()}};
}

}  // namespace

OrderedJson sessionTrace(const DocumentSession& session, std::size_t step,
                         const std::vector<ScriptedPlatform::Request>& asked, PanelsShown shown) {
    OrderedJson alerts = OrderedJson::array();
    OrderedJson panels = OrderedJson::array();
    for (const auto& request : asked) {
        if (const auto* alert = std::get_if<AlertRequest>(&request)) {
            alerts.push_back({{"message", alert->message},
                              {"informative", optional(alert->informative)},
                              {"buttons", alert->buttons}});
        } else if (const auto* open = std::get_if<OpenPanelRequest>(&request)) {
            panels.push_back(
                {{"kind", "open"}, {"message", open->message}, {"proposedName", nullptr}});
        } else if (const auto* save = std::get_if<SavePanelRequest>(&request)) {
            panels.push_back({{"kind", "save"},
                              {"message", optional(save->message)},
                              {"proposedName", save->proposedName}});
        }
    }
    const auto sketch = session.activeSketch();
    const auto freedom = session.activeFreedom();
    const auto& file = session.fileURL();
    return {{"step", step},
            {"statusMessage", optional(session.statusMessage())},
            {"errorMessage", optional(session.errorMessage())},
            {"statusHint", session.statusHint()},
            {"activeToolID", session.activeToolID().rawValue},
            {"activeSketch", sketch ? OrderedJson(sketch->name) : OrderedJson(nullptr)},
            {"freedom", freedom ? OrderedJson(freedom->degrees) : OrderedJson(nullptr)},
            {"sketchStatus",
             freedom ? OrderedJson(freedomLine(*sketch, *freedom)) : OrderedJson(nullptr)},
            {"isDirty", session.isDirty()},
            {"historyVersion", session.historyVersion()},
            {"windowTitle", session.windowTitle()},
            {"undoName", optional(session.history().undoActionName())},
            {"redoName", optional(session.history().redoActionName())},
            {"hud", hudJson(session.hud())},
            {"hudEditing", session.hudEditing()},
            {"showSection", session.showSection()},
            {"showPalette", shown.palette},
            {"showCheatSheet", shown.shortcutSheet},
            {"busy", optional(session.operations().phase())},
            {"fileURL", file ? OrderedJson(file->string()) : OrderedJson(nullptr)},
            {"alertsShown", std::move(alerts)},
            {"panelsShown", std::move(panels)},
            {"selection", selectionJson(session.selection(), session.document())},
            {"document", documentJson(session.document())}};
}

}  // namespace brontile::replay
