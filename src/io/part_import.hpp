// Bringing a part file in: which files can be read (by extension, in any letter case), reading
// one with the reader its format needs, and the bodies and document it makes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "document/cad_document.hpp"
#include "io/imported_part.hpp"

namespace brontile::PartImport {

// "stl", "obj", "3mf", "step", "stp", "iges", "igs".
[[nodiscard]] const std::vector<std::string>& extensions();
[[nodiscard]] bool isImportable(const std::filesystem::path& file);
// STL and OBJ carry bare numbers: the person says what unit they are in.
[[nodiscard]] bool asksUnit(const std::filesystem::path& file);

// Reads the file. Throws ImportError naming the file and the problem ("bracket.stl: no
// triangles"), or Cancelled.
[[nodiscard]] ImportedPart read(const std::filesystem::path& file, ImportUnit unit,
                                Progress& progress);

// A body for each solid, named as the file names it, else after the file ("bracket",
// "bracket 2", …), in the palette colour nearest the file's (else the next in turn).
[[nodiscard]] std::vector<Body> bodiesOf(const ImportedPart& part,
                                         const std::filesystem::path& file,
                                         std::int64_t firstColorIndex);

// A new document holding only the part, titled after the file.
[[nodiscard]] CADDocument documentOf(const ImportedPart& part, const std::filesystem::path& file,
                                     const DateTime& created);

}  // namespace brontile::PartImport
