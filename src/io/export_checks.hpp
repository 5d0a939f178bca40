// What every exporter asks of a document before writing a byte: its visible bodies (at least
// one), with finite coordinates that the format's 32-bit floats can carry.
#pragma once

#include <vector>

#include "document/cad_document.hpp"

namespace brontile::ExportChecks {

// The visible bodies in document order; throws InterchangeError::nothingToExport for none.
[[nodiscard]] std::vector<const Body*> visibleBodies(const CADDocument& document);
// Throws InterchangeError::nonFiniteVertex naming the body.
void requireFiniteVertices(const Body& body);
// Throws InterchangeError::outOfRange naming the body when a coordinate exceeds a float's range.
void requireFloatRange(const Body& body);

}  // namespace brontile::ExportChecks
