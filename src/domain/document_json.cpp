#include "domain/document_json.hpp"

#include "domain/geometry_json.hpp"
#include "domain/mesh_json.hpp"
#include "domain/sketch_json.hpp"

namespace brontile {

Json JsonCodec<Body>::write(const Body& body) {
    return Json::object({{"id", toJson(body.id)},
                         {"name", body.name},
                         {"isVisible", body.isVisible},
                         {"colorIndex", body.colorIndex},
                         {"mesh", toJson(body.mesh)}});
}

Body JsonCodec<Body>::read(const JsonReader& in) {
    return {in["id"].as<BodyID>(), in["name"].as<std::string>(), in["isVisible"].as<bool>(),
            in["colorIndex"].as<std::int64_t>(), in["mesh"].as<SolidMesh>()};
}

Json JsonCodec<DocumentMetadata>::write(const DocumentMetadata& metadata) {
    return Json::object({{"title", metadata.title},
                         {"createdAt", toJson(metadata.createdAt)},
                         {"modifiedAt", toJson(metadata.modifiedAt)}});
}

DocumentMetadata JsonCodec<DocumentMetadata>::read(const JsonReader& in) {
    return {in["title"].as<std::string>(), in["createdAt"].as<DateTime>(),
            in["modifiedAt"].as<DateTime>()};
}

Json JsonCodec<CameraState>::write(const CameraState& camera) {
    return Json::object({{"target", toJson(camera.target)},
                         {"distance", toJson(camera.distance)},
                         {"yaw", toJson(camera.yaw)},
                         {"pitch", toJson(camera.pitch)}});
}

CameraState JsonCodec<CameraState>::read(const JsonReader& in) {
    return {in["target"].as<Vec3>(), in["distance"].as<double>(), in["yaw"].as<double>(),
            in["pitch"].as<double>()};
}

Json JsonCodec<CADDocument>::write(const CADDocument& document) {
    return Json::object({{"schemaVersion", document.schemaVersion},
                         {"units", toJson(document.units)},
                         {"metadata", toJson(document.metadata)},
                         {"bodies", toJson(document.bodies)},
                         {"sketches", toJson(document.sketches)},
                         {"camera", toJson(document.camera)},
                         {"showGrid", document.showGrid},
                         {"bodyCounter", document.bodyCounter},
                         {"sketchCounter", document.sketchCounter}});
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
