// Reads STEP and IGES files into bodies, through Open CASCADE's data exchange.
#pragma once

#include <filesystem>

#include "base/progress.hpp"
#include "io/imported_part.hpp"

namespace brontile::BrepImport {

// STEP (.step, .stp) or IGES (.iges, .igs), told apart by the extension in any letter case. Each
// solid becomes one body, and so does each shell outside a solid; faces outside any shell become
// one body together. Bodies are meshed finely enough that curved faces stray from the exact
// surface by at most 0.1 % of the body's size, and each planar source face stays one face. Names
// and colours come from the file where it gives them; coordinates are in millimetres whatever
// unit the file uses. Throws ImportError for a file the reader cannot read, one without a solid
// or shell, or one that does not mesh; Cancelled when `progress` was stopped.
[[nodiscard]] ImportedPart read(const std::filesystem::path& file, Progress& progress);

}  // namespace brontile::BrepImport
