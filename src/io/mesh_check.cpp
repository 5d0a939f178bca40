#include "io/mesh_check.hpp"

#include "geometry/mesh_closure.hpp"

namespace brontile::MeshCheck {

MeshCheckResult check(const SolidMesh& mesh) {
    MeshCheckResult result;
    result.openEdges = openEdgeCount(mesh);
    result.closed = result.openEdges == 0;
    result.volume = mesh.volume();
    return result;
}

std::vector<BodyCheck> bodies(const CADDocument& document) {
    std::vector<BodyCheck> checks;
    checks.reserve(document.bodies.size());
    for (const Body& body : document.bodies) {
        checks.push_back({body.name, body.isVisible, check(body.mesh)});
    }
    return checks;
}

std::vector<std::string> openVisibleBodies(const CADDocument& document) {
    std::vector<std::string> names;
    for (const Body& body : document.bodies) {
        if (body.isVisible && !check(body.mesh).closed) names.push_back(body.name);
    }
    return names;
}

}  // namespace brontile::MeshCheck
