#include "document/document_json.hpp"

#include "geometry/geometry_json.hpp"
#include "geometry/mesh_json.hpp"
#include "sketch/sketch_json.hpp"

namespace brontile {

void JsonCodec<Body>::write(JsonWriter& out, const Body& body) {
    out.beginObject()
        .member("colorIndex", body.colorIndex)
        .member("id", body.id)
        .member("isVisible", body.isVisible)
        .member("mesh", body.mesh)
        .member("name", body.name)
        .endObject();
}

Body JsonCodec<Body>::read(const JsonReader& in) {
    return {in["id"].as<BodyID>(), in["name"].as<std::string>(), in["isVisible"].as<bool>(),
            in["colorIndex"].as<std::int64_t>(), in["mesh"].as<SolidMesh>()};
}

void JsonCodec<DocumentMetadata>::write(JsonWriter& out, const DocumentMetadata& metadata) {
    out.beginObject()
        .member("createdAt", metadata.createdAt)
        .member("modifiedAt", metadata.modifiedAt)
        .member("title", metadata.title)
        .endObject();
}

DocumentMetadata JsonCodec<DocumentMetadata>::read(const JsonReader& in) {
    return {in["title"].as<std::string>(), in["createdAt"].as<DateTime>(),
            in["modifiedAt"].as<DateTime>()};
}

void JsonCodec<CameraState>::write(JsonWriter& out, const CameraState& camera) {
    out.beginObject()
        .member("distance", camera.distance)
        .member("pitch", camera.pitch)
        .member("projection", camera.projection == Projection::orthographic
                                  ? std::string("orthographic")
                                  : std::string("perspective"))
        .member("target", camera.target)
        .member("yaw", camera.yaw)
        .endObject();
}

CameraState JsonCodec<CameraState>::read(const JsonReader& in) {
    CameraState camera{in["target"].as<Vec3>(), in["distance"].as<double>(), in["yaw"].as<double>(),
                       in["pitch"].as<double>()};
    // Files from before the choice existed, and names this version does not know, open in
    // perspective: the view is the user's to change, not a reason to refuse the document.
    if (const auto projection = in.optionalMember("projection")) {
        if (projection->as<std::string>() == "orthographic") {
            camera.projection = Projection::orthographic;
        }
    }
    return camera;
}

void JsonCodec<CADDocument>::write(JsonWriter& out, const CADDocument& document) {
    out.beginObject()
        .member("bodies", document.bodies)
        .member("bodyCounter", document.bodyCounter)
        .member("camera", document.camera)
        .member("metadata", document.metadata)
        .member("schemaVersion", document.schemaVersion)
        .member("showGrid", document.showGrid)
        .member("sketchCounter", document.sketchCounter)
        .member("sketches", document.sketches)
        .member("units", document.units)
        .endObject();
}

CADDocument JsonCodec<CADDocument>::read(const JsonReader& in) {
    CADDocument document;
    document.schemaVersion = in["schemaVersion"].as<std::int64_t>();
    document.units = in["units"].as<LengthUnit>();
    document.metadata = in["metadata"].as<DocumentMetadata>();
    document.bodies = in["bodies"].as<std::vector<Body>>();
    document.sketches = in["sketches"].as<std::vector<Sketch>>();
    document.camera = in["camera"].as<CameraState>();
    document.showGrid = in["showGrid"].as<bool>();
    document.bodyCounter = in["bodyCounter"].as<std::int64_t>();
    document.sketchCounter = in["sketchCounter"].as<std::int64_t>();
    return document;
}

}  // namespace brontile
