#include "io/package_manifest.hpp"

namespace brontile {

PackageManifest PackageManifest::from(const CADDocument& document) {
    PackageManifest manifest;
    manifest.schemaVersion = document.schemaVersion;
    manifest.units = document.units;
    manifest.title = document.metadata.title;
    manifest.bodyCount = static_cast<std::int64_t>(document.bodies.size());
    return manifest;
}

void JsonCodec<PackageManifest>::write(JsonWriter& out, const PackageManifest& manifest) {
    out.beginObject()
        .member("bodyCount", manifest.bodyCount)
        .member("format", manifest.format)
        .member("schemaVersion", manifest.schemaVersion)
        .member("title", manifest.title)
        .member("units", manifest.units)
        .endObject();
}

PackageManifest JsonCodec<PackageManifest>::read(const JsonReader& in) {
    PackageManifest manifest;
    manifest.schemaVersion = in["schemaVersion"].as<std::int64_t>();
    manifest.format = in["format"].as<std::string>();
    manifest.units = in["units"].as<LengthUnit>();
    manifest.title = in["title"].as<std::string>();
    manifest.bodyCount = in["bodyCount"].as<std::int64_t>();
    return manifest;
}

}  // namespace brontile
