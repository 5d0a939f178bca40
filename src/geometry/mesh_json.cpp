#include "geometry/mesh_json.hpp"

#include <string>

#include "geometry/geometry_json.hpp"

namespace brontile {
namespace {

PolygonLoop readPolygon(const JsonReader& in, std::optional<std::size_t> vertexCount) {
    const auto& items = in.array();
    PolygonLoop polygon;
    polygon.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const JsonReader item = in.at(i);
        const auto index = item.as<std::int64_t>();
        if (vertexCount && !isVertexIndex(index, *vertexCount)) {
            item.fail("Vertex index " + std::to_string(index) + " is outside the mesh's " +
                      std::to_string(*vertexCount) + " vertices");
        }
        polygon.push_back(index);
    }
    return polygon;
}

}  // namespace

void JsonCodec<SolidFace>::write(JsonWriter& out, const SolidFace& face) {
    out.beginObject()
        .member("id", face.id)
        .member("normal", face.normal)
        .member("polygons", face.polygons)
        .endObject();
}

SolidFace JsonCodec<SolidFace>::read(const JsonReader& in, std::optional<std::size_t> vertexCount) {
    SolidFace face;
    face.id = in["id"].as<FaceID>();
    const JsonReader polygons = in["polygons"];
    const std::size_t count = polygons.array().size();
    face.polygons.reserve(count);
    for (std::size_t p = 0; p < count; ++p) {
        face.polygons.push_back(readPolygon(polygons.at(p), vertexCount));
    }
    face.normal = in["normal"].as<Vec3>();
    return face;
}

void JsonCodec<SolidMesh>::write(JsonWriter& out, const SolidMesh& mesh) {
    out.beginObject().member("faces", mesh.faces()).member("vertices", mesh.vertices()).endObject();
}

SolidMesh JsonCodec<SolidMesh>::read(const JsonReader& in) {
    auto vertices = in["vertices"].as<std::vector<Vec3>>();
    const JsonReader faces = in["faces"];
    const std::size_t count = faces.array().size();
    std::vector<SolidFace> readFaces;
    readFaces.reserve(count);
    for (std::size_t f = 0; f < count; ++f) {
        readFaces.push_back(JsonCodec<SolidFace>::read(faces.at(f), vertices.size()));
    }
    return SolidMesh(std::move(vertices), std::move(readFaces));
}

}  // namespace brontile
