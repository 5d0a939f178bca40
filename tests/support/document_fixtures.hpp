// Documents the tests build on: one with fixed ids, so that its written form is fixed too, and
// the documents every exporter's round trip is checked on, by name, so that each reader (admesh,
// assimp, lib3mf, Open CASCADE) sees the same cases.
#pragma once

#include <string>
#include <vector>

#include "document/cad_document.hpp"

namespace brontile::test {

// Something of every kind (inches, a hidden body, a tilted sketch with every entity kind and a
// dimension) and values awkward to write: quotes and accents, 1e300, −0, the smallest int64,
// shortest-form doubles. Every id is fixed.
CADDocument richDocument();

// "OneBox", "TwoBodies" (a triangulated box and a quad box), "PolygonFaces" (six-vertex faces),
// "HiddenBodiesLeftOut" (hidden bodies among visible ones, one named with a blank),
// "PlateWithHole" (faces tiled around a hole) and "RevolvedRing".
[[nodiscard]] const std::vector<std::string>& exportDocumentNames();
[[nodiscard]] CADDocument exportDocument(const std::string& name);

// The visible bodies, in document order.
[[nodiscard]] std::vector<Body> visibleBodies(const CADDocument& document);

}  // namespace brontile::test
