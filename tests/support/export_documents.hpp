// The documents every exporter's round trip is checked on, by name, so that each reader (admesh,
// assimp, lib3mf, Open CASCADE) sees the same cases.
#pragma once

#include <string>
#include <vector>

#include "document/cad_document.hpp"

namespace brontile::test {

// "OneBox", "TwoBodies" (a triangulated box and a quad box), "PolygonFaces" (six-vertex faces),
// "HiddenBodiesLeftOut" (hidden bodies among visible ones, one named with a blank),
// "PlateWithHole" (faces tiled around a hole) and "RevolvedRing".
[[nodiscard]] const std::vector<std::string>& exportDocumentNames();
[[nodiscard]] CADDocument exportDocument(const std::string& name);

// The visible bodies, in document order.
[[nodiscard]] std::vector<Body> visibleBodies(const CADDocument& document);

}  // namespace brontile::test
