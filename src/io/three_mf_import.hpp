// Reads a 3MF package into bodies, through lib3mf.
#pragma once

#include <filesystem>

#include "base/progress.hpp"
#include "io/imported_part.hpp"

namespace brontile::ThreeMfImport {

// One body per mesh object the build places (directly or through components, each placement its
// own body), in millimetres whatever unit the package is in, with its item's and components'
// transforms applied. The body takes the object's name and, when the object (or every one of its
// triangles alike) uses one base material or colour, that colour. Throws ImportError for a file
// lib3mf cannot read, a build without mesh objects or triangles, or a coordinate that is not
// finite; Cancelled when `progress` was stopped.
[[nodiscard]] ImportedPart read(const std::filesystem::path& file, Progress& progress);

}  // namespace brontile::ThreeMfImport
