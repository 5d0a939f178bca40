// manifest.json: a small summary written beside the document in every package. Only its schema
// version matters when opening; the rest is there for people and tools that look inside.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/json_codec.hpp"
#include "document/cad_document.hpp"
#include "geometry/length_unit.hpp"

namespace brontile {

struct PackageManifest {
    static constexpr std::string_view formatName = "brontdoc";

    std::int64_t schemaVersion = CADDocument::currentSchemaVersion;
    std::string format{formatName};
    LengthUnit units = LengthUnit::millimeters;
    std::string title;
    // Every body, hidden ones included.
    std::int64_t bodyCount = 0;

    friend bool operator==(const PackageManifest&, const PackageManifest&) = default;

    // The manifest describing `document` (its own schema version, units, title and body count).
    [[nodiscard]] static PackageManifest from(const CADDocument& document);
};

// Keys "bodyCount", "format", "schemaVersion", "title", "units"; all required when reading.
template <>
struct JsonCodec<PackageManifest> {
    static void write(JsonWriter& out, const PackageManifest& manifest);
    static PackageManifest read(const JsonReader& in);
};

}  // namespace brontile
