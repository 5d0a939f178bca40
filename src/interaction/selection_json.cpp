#include "interaction/selection_json.hpp"

namespace brontile {

void JsonCodec<FaceRef>::write(JsonWriter& out, const FaceRef& ref) {
    out.beginObject().member("body", ref.body).member("face", ref.face).endObject();
}

FaceRef JsonCodec<FaceRef>::read(const JsonReader& in) {
    return {in["body"].as<BodyID>(), in["face"].as<FaceID>()};
}

void JsonCodec<SketchEntityRef>::write(JsonWriter& out, const SketchEntityRef& ref) {
    out.beginObject().member("entity", ref.entity).member("sketch", ref.sketch).endObject();
}

SketchEntityRef JsonCodec<SketchEntityRef>::read(const JsonReader& in) {
    return {in["sketch"].as<Uuid>(), in["entity"].as<SketchEntityID>()};
}

void JsonCodec<SketchPointRef>::write(JsonWriter& out, const SketchPointRef& ref) {
    out.beginObject()
        .member("entity", ref.entity)
        .member("role", ref.role)
        .member("sketch", ref.sketch)
        .endObject();
}

SketchPointRef JsonCodec<SketchPointRef>::read(const JsonReader& in) {
    return {in["sketch"].as<Uuid>(), in["entity"].as<SketchEntityID>(),
            in["role"].as<SketchParamRole>()};
}

}  // namespace brontile
