// Reads STL, binary or text, into one body per solid. Stored normals are ignored: the winding of
// each triangle says which side is out.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>

#include "base/progress.hpp"
#include "io/imported_part.hpp"

namespace brontile::StlImport {

[[nodiscard]] ImportedPart read(const std::filesystem::path& file, ImportUnit unit,
                                Progress& progress);
// The same for a file's bytes already in memory.
[[nodiscard]] ImportedPart parse(std::span<const std::byte> bytes, ImportUnit unit,
                                 Progress& progress);

}  // namespace brontile::StlImport
