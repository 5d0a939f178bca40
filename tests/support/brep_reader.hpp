// STEP and IGES files read back with Open CASCADE's own readers, reduced to what the tests compare:
// per top-level shape its name, colour, topology, validity and volume.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/interchange_format.hpp"

namespace brontile::test {

struct ReadShape {
    std::string name;
    // sRGB components in 0...1, when the file gave the shape a colour.
    std::optional<std::array<double, 3>> color;
    int solids = 0;
    int shells = 0;
    int faces = 0;
    // Outer and inner loops of all faces.
    int wires = 0;
    // Open CASCADE's own checker finds nothing wrong.
    bool valid = false;
    // Every shell is closed (each edge shared by two of its faces).
    bool closed = false;
    // Of the solids; zero without any.
    double volume = 0;
};

// Fails the calling test when the reader cannot read or convert the file.
[[nodiscard]] std::vector<ReadShape> readBRepFile(const std::filesystem::path& file,
                                                  InterchangeFormat format);

}  // namespace brontile::test
