// What every exporter asks of a document before writing a byte: its visible bodies (at least
// one), with finite coordinates that the format's 32-bit floats can carry.
#pragma once

#include <vector>

#include "document/cad_document.hpp"
#include "io/interchange_format.hpp"

namespace brontile::ExportChecks {

// The visible bodies in document order; throws InterchangeError::nothingToExport for none.
[[nodiscard]] std::vector<const Body*> visibleBodies(const CADDocument& document);
// Throws InterchangeError::nonFiniteVertex naming the body.
void requireFiniteVertices(const Body& body);
// The largest coordinate a format's numbers can carry: 32-bit floats for STL and 3MF; for STEP and
// IGES the point where Open CASCADE takes a value for infinity (Precision::Infinite is 2e100).
inline constexpr double kFloatLimit = 3.4028234663852886e38;
inline constexpr double kExactGeometryLimit = 1e100;
// Throws InterchangeError::outOfRange naming the body and the format when a coordinate's
// magnitude exceeds `limit`.
void requireWithin(const Body& body, double limit, InterchangeFormat format);

}  // namespace brontile::ExportChecks
