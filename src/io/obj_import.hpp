// Reads Wavefront OBJ: its vertices and polygon faces, one body per object ("o" or "g" name),
// the faces before any name making one unnamed body. Texture coordinates, normals, materials
// and curves are skipped.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>

#include "base/progress.hpp"
#include "io/imported_part.hpp"

namespace brontile::ObjImport {

[[nodiscard]] ImportedPart read(const std::filesystem::path& file, ImportUnit unit,
                                Progress& progress);
// The same for a file's bytes already in memory.
[[nodiscard]] ImportedPart parse(std::span<const std::byte> bytes, ImportUnit unit,
                                 Progress& progress);

}  // namespace brontile::ObjImport
