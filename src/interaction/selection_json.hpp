// JSON forms of the references a selection holds: {"body", "face"}, {"entity", "sketch"} and
// {"entity", "role", "sketch"}.
#pragma once

#include "base/json_codec.hpp"
#include "interaction/selection.hpp"

namespace brontile {

template <>
struct JsonCodec<FaceRef> {
    static void write(JsonWriter& out, const FaceRef& ref);
    static FaceRef read(const JsonReader& in);
};

template <>
struct JsonCodec<SketchEntityRef> {
    static void write(JsonWriter& out, const SketchEntityRef& ref);
    static SketchEntityRef read(const JsonReader& in);
};

template <>
struct JsonCodec<SketchPointRef> {
    static void write(JsonWriter& out, const SketchPointRef& ref);
    static SketchPointRef read(const JsonReader& in);
};

}  // namespace brontile
