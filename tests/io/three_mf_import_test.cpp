// 3MF packages read back into bodies: what our exporter writes, and packages lib3mf writes with
// what ours never uses (inches, placed build items, components, triangle colours).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import_checks.hpp"
#include "io/lib3mf_handle.hpp"
#include "io/three_mf_import.hpp"
#include "support/error_checks.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;
using namespace NMR;
using Lib3mf::Handle;

ImportedPart readFile(const fs::path& file) {
    Progress progress;
    return ThreeMfImport::read(file, progress);
}

MODELTRANSFORM translation(float x, float y, float z) {
    return {{{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}}};
}

// A package in inches holding a 1 × 2 × 3 box coloured as a whole, placed twice:
// by a build item moved by (10, 0, 0), and through a components object moved by (0, 5, 0) whose
// build item moves it by (0, 0, 1). Empty when `placed` is false.
fs::path inchPackage(const test::ScratchDirectory& scratch, bool placed) {
    PLib3MFModel* rawModel = nullptr;
    EXPECT_EQ(lib3mf_createmodel(&rawModel), LIB3MF_OK);
    const Handle model(rawModel);
    EXPECT_EQ(lib3mf_model_setunit(rawModel, MODELUNIT_INCH), LIB3MF_OK);
    if (placed) {
        const SolidMesh box = test::triangulatedBoxMesh({0, 0, 0}, {1, 2, 3});
        std::vector<MODELMESHVERTEX> vertices;
        for (const Vec3& v : box.vertices()) {
            vertices.push_back({{float(v.x), float(v.y), float(v.z)}});
        }
        std::vector<MODELMESHTRIANGLE> triangles;
        for (const auto& t : box.allTriangles()) {
            triangles.push_back({{DWORD(t.a), DWORD(t.b), DWORD(t.c)}});
        }
        PLib3MFModelMeshObject* rawMesh = nullptr;
        EXPECT_EQ(lib3mf_model_addmeshobject(rawModel, &rawMesh), LIB3MF_OK);
        const Handle mesh(rawMesh);
        EXPECT_EQ(lib3mf_object_setnameutf8(rawMesh, "Spacer"), LIB3MF_OK);
        EXPECT_EQ(lib3mf_meshobject_setgeometry(rawMesh, vertices.data(), DWORD(vertices.size()),
                                                triangles.data(), DWORD(triangles.size())),
                  LIB3MF_OK);
        PLib3MFDefaultPropertyHandler* rawColor = nullptr;
        EXPECT_EQ(lib3mf_object_createdefaultpropertyhandler(rawMesh, &rawColor), LIB3MF_OK);
        const Handle color(rawColor);
        EXPECT_EQ(lib3mf_defaultpropertyhandler_setcolorrgba(rawColor, 255, 0, 51, 255), LIB3MF_OK);
        MODELTRANSFORM moved = translation(10, 0, 0);
        PLib3MFModelBuildItem* rawItem = nullptr;
        EXPECT_EQ(lib3mf_model_addbuilditem(rawModel, rawMesh, &moved, &rawItem), LIB3MF_OK);
        const Handle item(rawItem);
        PLib3MFModelComponentsObject* rawGroup = nullptr;
        EXPECT_EQ(lib3mf_model_addcomponentsobject(rawModel, &rawGroup), LIB3MF_OK);
        const Handle group(rawGroup);
        MODELTRANSFORM inGroup = translation(0, 5, 0);
        PLib3MFModelComponent* rawComponent = nullptr;
        EXPECT_EQ(lib3mf_componentsobject_addcomponent(rawGroup, rawMesh, &inGroup, &rawComponent),
                  LIB3MF_OK);
        const Handle component(rawComponent);
        MODELTRANSFORM raised = translation(0, 0, 1);
        PLib3MFModelBuildItem* rawGroupItem = nullptr;
        EXPECT_EQ(lib3mf_model_addbuilditem(rawModel, rawGroup, &raised, &rawGroupItem), LIB3MF_OK);
        const Handle groupItem(rawGroupItem);
    }
    PLib3MFModelWriter* rawWriter = nullptr;
    EXPECT_EQ(lib3mf_model_querywriter(rawModel, "3mf", &rawWriter), LIB3MF_OK);
    const Handle writer(rawWriter);
    const fs::path file = scratch.path() / "inches.3mf";
    EXPECT_EQ(lib3mf_writer_writetofileutf8(rawWriter, file.c_str()), LIB3MF_OK);
    return file;
}

TEST(ThreeMfImport, ExportedBodiesComeBackWithNamesAndColors) {
    const CADDocument document = test::twoBoxDocument();
    const test::ScratchDirectory scratch;
    const auto file = test::exportedAs(scratch, document, InterchangeFormat::threeMF, "part.3mf");
    test::expectBodiesOf(readFile(file), document, {false, true, 0.5 / 255 + 1e-6});
}

// Each placement is its own body, scaled by 25.4 and then moved by its transforms in inches.
TEST(ThreeMfImport, InchesAndPlacementsComeBackInMillimeters) {
    const test::ScratchDirectory scratch;
    const ImportedPart part = readFile(inchPackage(scratch, true));
    ASSERT_EQ(part.bodies.size(), 2u);
    const double inch = 25.4;
    for (const auto& [body, min] :
         {std::pair{&part.bodies[0], Vec3{10, 0, 0}}, std::pair{&part.bodies[1], Vec3{0, 5, 1}}}) {
        EXPECT_EQ(body->name, "Spacer");
        ASSERT_TRUE(body->color.has_value()) << "the object's colour";
        EXPECT_EQ(std::tuple(body->color->r, body->color->g, body->color->b, body->color->a),
                  std::tuple(1.0f, 0.0f, 0.2f, 1.0f));
        const MeshCheckResult check = MeshCheck::check(body->mesh);
        EXPECT_TRUE(check.closed);
        EXPECT_NEAR(check.volume, 6 * inch * inch * inch, 1e-9 * check.volume);
        const AABB bounds = *body->mesh.bounds();
        EXPECT_NEAR((bounds.min - min * inch).length(), 0, 1e-4) << bounds.min.x;
        EXPECT_NEAR((bounds.max - (min + Vec3{1, 2, 3}) * inch).length(), 0, 1e-4);
    }
}

TEST(ThreeMfImport, RefusesWhatHoldsNoBodies) {
    const test::ScratchDirectory scratch;
    const auto refusal = [](const fs::path& file) {
        return test::refusalMessage<ImportError>([&] { return readFile(file); });
    };
    const fs::path garbage = test::writeBytes(scratch.path() / "a.3mf", "PK\x03\x04 not a zip");
    EXPECT_EQ(refusal(garbage).rfind("not a 3MF package: ", 0), 0u) << refusal(garbage);
    EXPECT_EQ(refusal(inchPackage(scratch, false)), "no mesh objects");
}

}  // namespace
}  // namespace brontile
