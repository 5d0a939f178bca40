// Whether each body is a closed solid, checked before any export: every edge of a closed mesh is
// used exactly twice, once in each direction. An open body still exports (a person may want it),
// but the person is told which bodies are open.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "document/cad_document.hpp"

namespace brontile {

struct MeshCheckResult {
    bool closed = true;
    // Undirected edges not used exactly once in each direction.
    std::size_t openEdges = 0;
    double volume = 0;

    friend bool operator==(const MeshCheckResult&, const MeshCheckResult&) = default;
};

struct BodyCheck {
    std::string name;
    bool isVisible = true;
    MeshCheckResult mesh;
};

namespace MeshCheck {

[[nodiscard]] MeshCheckResult check(const SolidMesh& mesh);
// Every body of the document in document order, hidden ones too.
[[nodiscard]] std::vector<BodyCheck> bodies(const CADDocument& document);
// The names of the visible bodies that are not closed, in document order.
[[nodiscard]] std::vector<std::string> openVisibleBodies(const CADDocument& document);

}  // namespace MeshCheck
}  // namespace brontile
