// STEP and IGES files of a document's visible bodies, through Open CASCADE's data exchange.
#pragma once

#include <filesystem>
#include <string>

#include "base/progress.hpp"
#include "document/cad_document.hpp"
#include "io/interchange_format.hpp"

namespace brontile::BRepExport {

// Writes the visible bodies straight to `location` as STEP (AP214, millimetres) or IGES (B-rep
// solid mode, millimetres): each body one solid when its mesh is closed, else one shell, made of
// planar faces, named after the body and carrying its palette colour. The file's header names
// `fileName` (the name the file will have, which `location` may not be) and the document's title.
// The file is written in place; MeshExport::writeFile makes the export atomic. Open CASCADE's
// progress chatter is held back meanwhile. Throws InterchangeError: nothingToExport,
// nonFiniteVertex, writerFailed when Open CASCADE fails, unsupported for any other format; and
// Cancelled when `progress` was stopped, at one of the checks made every millisecond or so.
void write(const CADDocument& document, InterchangeFormat format,
           const std::filesystem::path& location, const std::string& fileName, Progress& progress);

}  // namespace brontile::BRepExport
