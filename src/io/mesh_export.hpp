// Writers for the exchange formats: binary STL, Wavefront OBJ and 3MF of a document's visible
// bodies, and the one entry point that writes any format to a file. Coordinates are always
// millimetres, whatever unit the document displays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "document/cad_document.hpp"
#include "io/interchange_format.hpp"

namespace brontile::MeshExport {

// The most triangles the 32-bit count field of a binary STL file can hold.
inline constexpr std::uint64_t kMaxStlTriangles = 0xFFFF'FFFFu;

// Bytes of a binary STL file with that many triangles: 84 + 50 per triangle. Throws
// InterchangeError::tooManyTriangles above kMaxStlTriangles.
[[nodiscard]] std::size_t stlByteCount(std::uint64_t triangleCount);

// A binary STL file of every triangle of the visible bodies, in document order: an 80-byte header
// starting "Brontile binary STL", the triangle count, then per triangle the unit normal taken from
// the vertex order (zero for a degenerate triangle), the three corners and a zero attribute word;
// little-endian throughout. Throws InterchangeError: nothingToExport when no body is visible
// (a visible empty body counts and adds no triangles), nonFiniteVertex or outOfRange when a
// visible body has a coordinate a 32-bit float cannot carry, tooManyTriangles.
[[nodiscard]] std::vector<std::uint8_t> stlData(const CADDocument& document);
[[nodiscard]] std::vector<std::uint8_t> stlData(const CADDocument& document, Progress& progress);

// An OBJ text of the visible bodies in document order: one object per body named after it with
// blanks (spaces, tabs, line breaks) turned into "_", its vertices with six decimals, and one "f"
// line per polygon loop of three or more vertices (faces stay polygons). Lines end in "\n".
// Throws InterchangeError: nothingToExport when no body is visible, nonFiniteVertex.
[[nodiscard]] std::string objString(const CADDocument& document);
[[nodiscard]] std::string objString(const CADDocument& document, Progress& progress);

// A 3MF package of the visible bodies: unit millimetre, one mesh object per body named after it,
// its vertices shared by index at their places in the document, its palette colour as an opaque
// base material, and one build item per object. Triangles that repeat a vertex are left out.
// Throws InterchangeError: nothingToExport, nonFiniteVertex, outOfRange, and writerFailed(3mf)
// when the 3MF library fails.
[[nodiscard]] std::string threeMFData(const CADDocument& document);
[[nodiscard]] std::string threeMFData(const CADDocument& document, Progress& progress);

// Writes the visible bodies to `location` in `format`, atomically: a failure leaves a file
// already there untouched and no temporary file behind. The one writer behind the window's
// export commands and the command line's; STEP and IGES go through BRepExport. Throws
// InterchangeError and FileError. Each writer (here and above) checks `progress` every
// millisecond or so and throws Cancelled when it was stopped, writing nothing.
void writeFile(const CADDocument& document, InterchangeFormat format,
               const std::filesystem::path& location);
void writeFile(const CADDocument& document, InterchangeFormat format,
               const std::filesystem::path& location, Progress& progress);

}  // namespace brontile::MeshExport
