// A named, coloured solid of the document.
#pragma once

#include <cstdint>
#include <string>

#include "base/uuid.hpp"
#include "geometry/solid_mesh.hpp"

namespace brontile {

using BodyID = Identifier<struct BodyIDTag>;

struct Body {
    BodyID id;
    std::string name;
    // Hidden bodies are not drawn, not exported and not framed.
    bool isVisible = true;
    // Into BodyPalette; any integer wraps.
    std::int64_t colorIndex = 0;
    SolidMesh mesh;

    friend bool operator==(const Body&, const Body&) = default;
};

}  // namespace brontile
