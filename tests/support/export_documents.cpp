#include "support/export_documents.hpp"

#include <algorithm>
#include <utility>

#include "support/mesh_fixtures.hpp"

namespace brontile::test {

const std::vector<std::string>& exportDocumentNames() {
    static const std::vector<std::string> names{"OneBox",        "TwoBodies",
                                                "PolygonFaces",  "HiddenBodiesLeftOut",
                                                "PlateWithHole", "RevolvedRing"};
    return names;
}

CADDocument exportDocument(const std::string& name) {
    auto document = CADDocument::empty("Consumers");
    const auto add = [&](SolidMesh mesh, bool isVisible = true) {
        document.addBody(std::move(mesh));
        document.bodies.back().isVisible = isVisible;
    };
    if (name == "OneBox") add(boxMesh({0, 0, 0}, {10, 20, 30}));
    if (name == "TwoBodies") {
        add(triangulatedBoxMesh({0, 0, 0}, {1, 1, 1}));
        add(boxMesh({5, -3, 2}, {7.5, 1, 2.25}));
    }
    if (name == "PolygonFaces") add(lShapeMesh(7.5).translated({-40, 3, -1}));
    if (name == "HiddenBodiesLeftOut") {
        add(boxMesh({0, 0, 0}, {1, 1, 1}), false);
        add(sphereMesh({0, 0, 0}, 5, 16, 8));
        add(lShapeMesh(2), false);
        add(cylinderMesh({20, 0, 0}, 4, 10, 12));
        document.bodies[1].name = "Left bracket";
    }
    if (name == "PlateWithHole") add(plateWithHoleMesh(4).translated({-15, -15, 0}));
    if (name == "RevolvedRing") add(ringMesh(6, 9, 3, 24).translated({0, 0, 10}));
    return document;
}

std::vector<Body> visibleBodies(const CADDocument& document) {
    std::vector<Body> bodies = document.bodies;
    std::erase_if(bodies, [](const Body& body) { return !body.isVisible; });
    return bodies;
}

}  // namespace brontile::test
