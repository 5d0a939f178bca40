#include "domain/geometry_json.hpp"

namespace brontile {

Json JsonCodec<Vec2>::write(const Vec2& v) {
    return Json::object({{"x", toJson(v.x)}, {"y", toJson(v.y)}});
}

Vec2 JsonCodec<Vec2>::read(const JsonReader& in) {
    return {in["x"].as<double>(), in["y"].as<double>()};
}

Json JsonCodec<Vec3>::write(const Vec3& v) {
    return Json::object({{"x", toJson(v.x)}, {"y", toJson(v.y)}, {"z", toJson(v.z)}});
}

Vec3 JsonCodec<Vec3>::read(const JsonReader& in) {
    return {in["x"].as<double>(), in["y"].as<double>(), in["z"].as<double>()};
}

Json JsonCodec<RGBA>::write(const RGBA& c) {
    // Channels are single precision; widening to double keeps them exact.
    return Json::object({{"r", toJson(static_cast<double>(c.r))},
                         {"g", toJson(static_cast<double>(c.g))},
                         {"b", toJson(static_cast<double>(c.b))},
                         {"a", toJson(static_cast<double>(c.a))}});
}

RGBA JsonCodec<RGBA>::read(const JsonReader& in) {
    const auto channel = [&](std::string_view key) {
        return static_cast<float>(in[key].as<double>());
    };
    return {channel("r"), channel("g"), channel("b"), channel("a")};
}

}  // namespace brontile
