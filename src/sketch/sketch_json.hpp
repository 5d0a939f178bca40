// JSON forms of sketches, their planes, entities and constraints.
#pragma once

#include "base/json_codec.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_plane.hpp"

namespace brontile {

template <>
struct JsonCodec<SketchPlane> {
    static void write(JsonWriter& out, const SketchPlane& plane);
    // Axes are taken as stored, not normalised again, so a plane reads back exactly.
    static SketchPlane read(const JsonReader& in);
};

// One key naming the case: {"line": {"_0": …, "_1": …}}, {"circle": {"center", "radius"}},
// {"arc": {"center", "radius", "startAngle", "endAngle"}}.
template <>
struct JsonCodec<SketchGeometry> {
    static void write(JsonWriter& out, const SketchGeometry& geometry);
    static SketchGeometry read(const JsonReader& in);
};

template <>
struct JsonCodec<SketchEntity> {
    static void write(JsonWriter& out, const SketchEntity& entity);
    static SketchEntity read(const JsonReader& in);
};

template <>
struct JsonCodec<SketchGeomRef> {
    static void write(JsonWriter& out, const SketchGeomRef& ref);
    static SketchGeomRef read(const JsonReader& in);
};

template <>
struct JsonCodec<SketchConstraintSel> {
    static void write(JsonWriter& out, const SketchConstraintSel& sel);
    static SketchConstraintSel read(const JsonReader& in);
};

// "value" is written only when present and may be absent when read.
template <>
struct JsonCodec<SketchConstraint> {
    static void write(JsonWriter& out, const SketchConstraint& constraint);
    static SketchConstraint read(const JsonReader& in);
};

// "isVisible" and "constraints" may be absent when read (visible, none).
template <>
struct JsonCodec<Sketch> {
    static void write(JsonWriter& out, const Sketch& sketch);
    static Sketch read(const JsonReader& in);
};

}  // namespace brontile
