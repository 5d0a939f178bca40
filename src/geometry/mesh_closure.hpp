// Whether a mesh is a closed solid: every edge used exactly twice, once in each direction. The
// exports check it before writing and the tools before recording a kernel's result.
#pragma once

#include <cstddef>

#include "geometry/solid_mesh.hpp"

namespace brontile {

// Undirected edges not used exactly once in each direction; 0 for a closed mesh.
[[nodiscard]] std::size_t openEdgeCount(const SolidMesh& mesh);
[[nodiscard]] inline bool isClosed(const SolidMesh& mesh) { return openEdgeCount(mesh) == 0; }

}  // namespace brontile
