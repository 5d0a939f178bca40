#include "domain/sketch_json.hpp"

#include "domain/geometry_json.hpp"
#include "domain/overloaded.hpp"

namespace brontile {
namespace {

Json circlePayload(const Vec2& center, double radius) {
    return Json::object({{"center", toJson(center)}, {"radius", toJson(radius)}});
}

}  // namespace

Json JsonCodec<SketchPlane>::write(const SketchPlane& plane) {
    return Json::object({{"origin", toJson(plane.origin)},
                         {"xAxis", toJson(plane.xAxis)},
                         {"yAxis", toJson(plane.yAxis)}});
}

SketchPlane JsonCodec<SketchPlane>::read(const JsonReader& in) {
    SketchPlane plane;
    plane.origin = in["origin"].as<Vec3>();
    plane.xAxis = in["xAxis"].as<Vec3>();
    plane.yAxis = in["yAxis"].as<Vec3>();
    return plane;
}

Json JsonCodec<SketchGeometry>::write(const SketchGeometry& geometry) {
    return std::visit(
        Overloaded{
            [](const SketchLine& l) {
                return Json::object(
                    {{"line", Json::object({{"_0", toJson(l.start)}, {"_1", toJson(l.end)}})}});
            },
            [](const SketchCircle& c) {
                return Json::object({{"circle", circlePayload(c.center, c.radius)}});
            },
            [](const SketchArc& a) {
                Json payload = circlePayload(a.center, a.radius);
                payload["startAngle"] = toJson(a.startAngle);
                payload["endAngle"] = toJson(a.endAngle);
                return Json::object({{"arc", std::move(payload)}});
            },
        },
        geometry);
}

SketchGeometry JsonCodec<SketchGeometry>::read(const JsonReader& in) {
    const auto& members = in.object();
    const bool hasLine = members.contains("line");
    const bool hasCircle = members.contains("circle");
    const bool hasArc = members.contains("arc");
    if (int(hasLine) + int(hasCircle) + int(hasArc) != 1) {
        in.fail("Invalid number of keys found, expected one.");
    }
    if (hasLine) {
        const JsonReader line = in["line"];
        return SketchLine{line["_0"].as<Vec2>(), line["_1"].as<Vec2>()};
    }
    if (hasCircle) {
        const JsonReader circle = in["circle"];
        return SketchCircle{circle["center"].as<Vec2>(), circle["radius"].as<double>()};
    }
    const JsonReader arc = in["arc"];
    return SketchArc{arc["center"].as<Vec2>(), arc["radius"].as<double>(),
                     arc["startAngle"].as<double>(), arc["endAngle"].as<double>()};
}

Json JsonCodec<SketchEntity>::write(const SketchEntity& entity) {
    return Json::object({{"id", toJson(entity.id)},
                         {"geometry", toJson(entity.geometry)},
                         {"isConstruction", entity.isConstruction}});
}

SketchEntity JsonCodec<SketchEntity>::read(const JsonReader& in) {
    return {in["id"].as<SketchEntityID>(), in["geometry"].as<SketchGeometry>(),
            in["isConstruction"].as<bool>()};
}

Json JsonCodec<SketchGeomRef>::write(const SketchGeomRef& ref) {
    return Json::object({{"entity", toJson(ref.entity)}, {"role", toJson(ref.role)}});
}

SketchGeomRef JsonCodec<SketchGeomRef>::read(const JsonReader& in) {
    return {in["entity"].as<SketchEntityID>(), in["role"].as<SketchParamRole>()};
}

Json JsonCodec<SketchConstraintSel>::write(const SketchConstraintSel& sel) {
    return Json::object({{"sketch", toJson(sel.sketch)}, {"constraint", toJson(sel.constraint)}});
}

SketchConstraintSel JsonCodec<SketchConstraintSel>::read(const JsonReader& in) {
    return {in["sketch"].as<Uuid>(), in["constraint"].as<SketchConstraintID>()};
}

Json JsonCodec<SketchConstraint>::write(const SketchConstraint& constraint) {
    Json json = Json::object({{"id", toJson(constraint.id)},
                              {"kind", toJson(constraint.kind)},
                              {"refs", toJson(constraint.refs)}});
    if (constraint.value) json["value"] = toJson(*constraint.value);
    return json;
}

SketchConstraint JsonCodec<SketchConstraint>::read(const JsonReader& in) {
    SketchConstraint constraint;
    constraint.id = in["id"].as<SketchConstraintID>();
    constraint.kind = in["kind"].as<SketchConstraintKind>();
    constraint.refs = in["refs"].as<std::vector<SketchGeomRef>>();
    if (const auto value = in.optionalMember("value")) constraint.value = value->as<double>();
    return constraint;
}

Json JsonCodec<Sketch>::write(const Sketch& sketch) {
    return Json::object({{"id", toJson(sketch.id)},
                         {"name", sketch.name},
                         {"plane", toJson(sketch.plane)},
                         {"entities", toJson(sketch.entities)},
                         {"isVisible", sketch.isVisible},
                         {"constraints", toJson(sketch.constraints)}});
}

Sketch JsonCodec<Sketch>::read(const JsonReader& in) {
    Sketch sketch;
    sketch.id = in["id"].as<Uuid>();
    sketch.name = in["name"].as<std::string>();
    sketch.plane = in["plane"].as<SketchPlane>();
    sketch.entities = in["entities"].as<std::vector<SketchEntity>>();
    if (const auto visible = in.optionalMember("isVisible")) sketch.isVisible = visible->as<bool>();
    if (const auto constraints = in.optionalMember("constraints")) {
        sketch.constraints = constraints->as<std::vector<SketchConstraint>>();
    }
    return sketch;
}

}  // namespace brontile
