// JSON form of the document (document.json inside a package). All keys are required.
#pragma once

#include "base/json_codec.hpp"
#include "document/cad_document.hpp"

namespace brontile {

template <>
struct JsonCodec<Body> {
    static void write(JsonWriter& out, const Body& body);
    static Body read(const JsonReader& in);
};

template <>
struct JsonCodec<DocumentMetadata> {
    static void write(JsonWriter& out, const DocumentMetadata& metadata);
    static DocumentMetadata read(const JsonReader& in);
};

template <>
struct JsonCodec<CameraState> {
    static void write(JsonWriter& out, const CameraState& camera);
    static CameraState read(const JsonReader& in);
};

// The schema version is read as it is; checking it is the package reader's job.
template <>
struct JsonCodec<CADDocument> {
    static void write(JsonWriter& out, const CADDocument& document);
    static CADDocument read(const JsonReader& in);
};

}  // namespace brontile
