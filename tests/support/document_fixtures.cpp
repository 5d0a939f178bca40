#include "support/document_fixtures.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "support/mesh_fixtures.hpp"

namespace brontile::test {
namespace {

// 00000000-0000-4000-8000-0000000000NN.
Uuid fixedId(std::uint8_t n) {
    Uuid::Bytes bytes{};
    bytes[6] = 0x40;
    bytes[8] = 0x80;
    bytes[15] = n;
    return Uuid(bytes);
}

SolidMesh withFixedFaceIds(const SolidMesh& mesh, std::uint8_t first) {
    std::vector<SolidFace> faces = mesh.faces();
    for (SolidFace& face : faces) face.id = FaceID{fixedId(first++)};
    return SolidMesh(mesh.vertices(), std::move(faces));
}

}  // namespace

CADDocument richDocument() {
    using namespace std::chrono;
    using Role = SketchParamRole;
    const DateTime created = sys_days{2024y / December / 31} + 23h + 59min + 59s;
    CADDocument doc = CADDocument::empty("Rich \"quoted\" ünïcode", created);
    doc.units = LengthUnit::inches;
    doc.addBody(withFixedFaceIds(lShapeMesh(0.1), 0x10), std::nullopt, BodyID{fixedId(1)});
    doc.addBody(withFixedFaceIds(boxMesh({-1.0 / 3, 1e-300, -0.0}, {1e300, 2.5e-8, 7}), 0x20),
                "Odd numbers", BodyID{fixedId(2)});
    doc.bodies[1].isVisible = false;
    doc.bodies[1].colorIndex = std::numeric_limits<std::int64_t>::min();

    doc.addSketch(SketchPlane::fromNormal({1, 2, 3}, {0.3, 0.4, 0.5}), std::nullopt, fixedId(3));
    const SketchEntityID line{fixedId(0x30)};
    doc.sketches[0].entities = {
        {line, SketchLine{{0.1, 0.2}, {0.30000000000000004, -5}}, false},
        {SketchEntityID{fixedId(0x31)}, SketchCircle{{1, 1}, 0.7}, true},
        {SketchEntityID{fixedId(0x32)}, SketchArc{{0, 0}, 3, 0.1, 6.2}, false},
    };
    doc.sketches[0].constraints = {
        {SketchConstraintID{fixedId(0x40)},
         SketchConstraintKind::vertical,
         {{line, Role::entity}},
         std::nullopt},
        {SketchConstraintID{fixedId(0x41)},
         SketchConstraintKind::distance,
         {{line, Role::start}, {line, Role::end}},
         5.123456789012345},
    };
    doc.camera = {{1.5, -2, 1e-7}, 99.25, -3.0, 1.4};
    doc.showGrid = false;
    return doc;
}

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
