#include "support/document_fixtures.hpp"

#include <chrono>
#include <limits>
#include <utility>
#include <vector>

#include "support/mesh_fixtures.hpp"

namespace brontile::test {
namespace {

SolidMesh withFixedFaceIds(const SolidMesh& mesh, std::uint8_t first) {
    std::vector<SolidFace> faces = mesh.faces();
    for (SolidFace& face : faces) face.id = FaceID{fixedId(first++)};
    return SolidMesh(mesh.vertices(), std::move(faces));
}

}  // namespace

Uuid fixedId(std::uint8_t n) {
    Uuid::Bytes bytes{};
    bytes[6] = 0x40;
    bytes[8] = 0x80;
    bytes[15] = n;
    return Uuid(bytes);
}

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

}  // namespace brontile::test
