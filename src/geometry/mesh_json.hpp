// JSON form of solid meshes. Reading checks that every polygon names an existing vertex, so a
// damaged file can never put an out-of-range index into the model.
#pragma once

#include <cstddef>
#include <optional>

#include "base/json_codec.hpp"
#include "geometry/solid_mesh.hpp"

namespace brontile {

template <>
struct JsonCodec<SolidFace> {
    static void write(JsonWriter& out, const SolidFace& face);
    static SolidFace read(const JsonReader& in) { return read(in, std::nullopt); }
    // With a vertex count, every index must lie below it.
    static SolidFace read(const JsonReader& in, std::optional<std::size_t> vertexCount);
};

template <>
struct JsonCodec<SolidMesh> {
    static void write(JsonWriter& out, const SolidMesh& mesh);
    static SolidMesh read(const JsonReader& in);
};

}  // namespace brontile
