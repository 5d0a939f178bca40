// The command line's work on document packages without a session: what a package holds
// (`info`), whether its bodies are closed solids (`check`), export to a file (`export`) and a
// part file made into a package (`import`). Each reads a part file (STL, OBJ, 3MF, STEP, IGES)
// wherever it reads a package.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "io/imported_part.hpp"

namespace brontile::cli {

// Exit codes of `check`: every visible body closed; a visible body open; a package that is
// missing or damaged, or wrong arguments (also the failure code of `info` and `export`).
inline constexpr int kAllClosed = 0;
inline constexpr int kOpenBody = 1;
inline constexpr int kUnusable = 2;

// Readable text, or with `json` one JSON object: title, units, bodies (name, visibility, counts,
// volume, bounds, closed, open edges) and sketches (name, entity and constraint counts, whether
// its constraints solve).
int info(const std::filesystem::path& package, bool json, std::ostream& out, std::ostream& err);
// {"package": {"ok", "error"}, "bodies": [{"name", "isVisible", "closed", "openEdges",
// "volume"}]}; hidden bodies are listed but do not count.
int check(const std::filesystem::path& package, std::ostream& out, std::ostream& err);
// A new package at `destination` holding the part file's solids as bodies, one line per body on
// `out` saying whether it is closed. 0 on success, kUnusable when the part cannot be read or the
// package cannot be written.
int importPart(const std::filesystem::path& part, const std::filesystem::path& destination,
               ImportUnit unit, std::ostream& out, std::ostream& err);
// The visible bodies in the format the file's extension names (any letter case), by the writers
// the window uses; open bodies are named on `err`. 0 on success.
int exportPackage(const std::filesystem::path& package, const std::filesystem::path& destination,
                  std::ostream& err);

}  // namespace brontile::cli
