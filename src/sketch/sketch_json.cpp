#include "sketch/sketch_json.hpp"

#include "base/overloaded.hpp"
#include "geometry/geometry_json.hpp"

namespace brontile {
void JsonCodec<SketchPlane>::write(JsonWriter& out, const SketchPlane& plane) {
    out.beginObject()
        .member("origin", plane.origin)
        .member("xAxis", plane.xAxis)
        .member("yAxis", plane.yAxis)
        .endObject();
}

SketchPlane JsonCodec<SketchPlane>::read(const JsonReader& in) {
    SketchPlane plane;
    plane.origin = in["origin"].as<Vec3>();
    plane.xAxis = in["xAxis"].as<Vec3>();
    plane.yAxis = in["yAxis"].as<Vec3>();
    return plane;
}

void JsonCodec<SketchGeometry>::write(JsonWriter& out, const SketchGeometry& geometry) {
    out.beginObject();
    std::visit(Overloaded{
                   [&](const SketchLine& l) {
                       out.key("line").beginObject().member("_0", l.start).member("_1", l.end);
                   },
                   [&](const SketchCircle& c) {
                       out.key("circle")
                           .beginObject()
                           .member("center", c.center)
                           .member("radius", c.radius);
                   },
                   [&](const SketchArc& a) {
                       out.key("arc")
                           .beginObject()
                           .member("center", a.center)
                           .member("endAngle", a.endAngle)
                           .member("radius", a.radius)
                           .member("startAngle", a.startAngle);
                   },
               },
               geometry);
    out.endObject().endObject();
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

void JsonCodec<SketchEntity>::write(JsonWriter& out, const SketchEntity& entity) {
    out.beginObject()
        .member("geometry", entity.geometry)
        .member("id", entity.id)
        .member("isConstruction", entity.isConstruction)
        .endObject();
}

SketchEntity JsonCodec<SketchEntity>::read(const JsonReader& in) {
    return {in["id"].as<SketchEntityID>(), in["geometry"].as<SketchGeometry>(),
            in["isConstruction"].as<bool>()};
}

void JsonCodec<SketchGeomRef>::write(JsonWriter& out, const SketchGeomRef& ref) {
    out.beginObject().member("entity", ref.entity).member("role", ref.role).endObject();
}

SketchGeomRef JsonCodec<SketchGeomRef>::read(const JsonReader& in) {
    return {in["entity"].as<SketchEntityID>(), in["role"].as<SketchParamRole>()};
}

void JsonCodec<SketchConstraintSel>::write(JsonWriter& out, const SketchConstraintSel& sel) {
    out.beginObject().member("constraint", sel.constraint).member("sketch", sel.sketch).endObject();
}

SketchConstraintSel JsonCodec<SketchConstraintSel>::read(const JsonReader& in) {
    return {in["sketch"].as<Uuid>(), in["constraint"].as<SketchConstraintID>()};
}

void JsonCodec<SketchConstraint>::write(JsonWriter& out, const SketchConstraint& constraint) {
    out.beginObject()
        .member("id", constraint.id)
        .member("kind", constraint.kind)
        .member("refs", constraint.refs);
    if (constraint.value) out.member("value", *constraint.value);
    if (constraint.position) out.member("position", *constraint.position);
    out.endObject();
}

SketchConstraint JsonCodec<SketchConstraint>::read(const JsonReader& in) {
    SketchConstraint constraint;
    constraint.id = in["id"].as<SketchConstraintID>();
    constraint.kind = in["kind"].as<SketchConstraintKind>();
    constraint.refs = in["refs"].as<std::vector<SketchGeomRef>>();
    if (const auto value = in.optionalMember("value")) constraint.value = value->as<double>();
    if (const auto position = in.optionalMember("position")) {
        constraint.position = position->as<Vec2>();
    }
    return constraint;
}

void JsonCodec<Sketch>::write(JsonWriter& out, const Sketch& sketch) {
    out.beginObject()
        .member("constraints", sketch.constraints)
        .member("entities", sketch.entities)
        .member("id", sketch.id)
        .member("isVisible", sketch.isVisible)
        .member("name", sketch.name)
        .member("plane", sketch.plane)
        .endObject();
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
