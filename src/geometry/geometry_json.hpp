// JSON forms of vectors and colours: objects with one key per component, all required.
#pragma once

#include "base/json_codec.hpp"
#include "geometry/rgba.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"

namespace brontile {

template <>
struct JsonCodec<Vec2> {
    static void write(JsonWriter& out, const Vec2& v);
    static Vec2 read(const JsonReader& in);
};

template <>
struct JsonCodec<Vec3> {
    static void write(JsonWriter& out, const Vec3& v);
    static Vec3 read(const JsonReader& in);
};

template <>
struct JsonCodec<RGBA> {
    static void write(JsonWriter& out, const RGBA& c);
    static RGBA read(const JsonReader& in);
};

}  // namespace brontile
