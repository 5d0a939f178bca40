#include "geometry/geometry_json.hpp"

namespace brontile {

void JsonCodec<Vec2>::write(JsonWriter& out, const Vec2& v) {
    out.beginObject().member("x", v.x).member("y", v.y).endObject();
}

Vec2 JsonCodec<Vec2>::read(const JsonReader& in) {
    return {in["x"].as<double>(), in["y"].as<double>()};
}

void JsonCodec<Vec3>::write(JsonWriter& out, const Vec3& v) {
    out.beginObject().member("x", v.x).member("y", v.y).member("z", v.z).endObject();
}

Vec3 JsonCodec<Vec3>::read(const JsonReader& in) {
    return {in["x"].as<double>(), in["y"].as<double>(), in["z"].as<double>()};
}

void JsonCodec<RGBA>::write(JsonWriter& out, const RGBA& c) {
    // Channels are single precision; widening to double keeps them exact.
    const auto channel = [](float value) { return static_cast<double>(value); };
    out.beginObject()
        .member("a", channel(c.a))
        .member("b", channel(c.b))
        .member("g", channel(c.g))
        .member("r", channel(c.r))
        .endObject();
}

RGBA JsonCodec<RGBA>::read(const JsonReader& in) {
    const auto channel = [&](std::string_view key) {
        return static_cast<float>(in[key].as<double>());
    };
    return {channel("r"), channel("g"), channel("b"), channel("a")};
}

}  // namespace brontile
