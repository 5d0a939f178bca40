// What reading a part file gives: its solids as meshes, each with the name and colour the file
// gives it, ready to become bodies. Readers throw ImportError with a message naming the problem
// ("no triangles", "a coordinate is not finite"); the caller adds the file's name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/error.hpp"
#include "geometry/rgba.hpp"
#include "geometry/solid_mesh.hpp"

namespace brontile {

class ImportError : public Error {
public:
    using Error::Error;
};

// The unit a mesh file's bare numbers are in; STL and OBJ do not say.
enum class ImportUnit { millimeters, inches };

struct ImportedBody {
    // The file's name for the object, or empty when it has none.
    std::string name;
    SolidMesh mesh;
    std::optional<RGBA> color;
};

struct ImportedPart {
    std::vector<ImportedBody> bodies;
};

// Millimetres per unit.
[[nodiscard]] constexpr double millimetersPer(ImportUnit unit) {
    return unit == ImportUnit::inches ? 25.4 : 1.0;
}

}  // namespace brontile
