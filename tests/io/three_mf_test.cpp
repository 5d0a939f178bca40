// 3MF files read back by lib3mf's own reader: unit, objects and their names, shared vertices,
// triangle counts, volumes, colours and build items.
#include <gtest/gtest.h>

#include <Model/COM/NMR_DLLInterfaces.h>

#include <memory>
#include <string>
#include <vector>

#include "geometry/rgba.hpp"
#include "io/mesh_export.hpp"
#include "support/export_documents.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

using namespace NMR;

struct Release {
    void operator()(PLib3MFBase* handle) const { lib3mf_release(handle); }
};
using Handle = std::unique_ptr<PLib3MFBase, Release>;

struct ReadObject {
    std::string name;
    std::size_t vertices = 0;
    std::size_t triangles = 0;
    double volume = 0;
    std::array<int, 4> color{};
};

struct ReadModel {
    DWORD unit = 0;
    std::vector<ReadObject> objects;
    int buildItems = 0;
};

ReadObject readObject(PLib3MFModel* model, PLib3MFModelMeshObject* mesh) {
    ReadObject object;
    char name[256] = {};
    ULONG needed = 0;
    EXPECT_EQ(lib3mf_object_getnameutf8(mesh, name, sizeof name, &needed), LIB3MF_OK);
    object.name = name;
    DWORD vertexCount = 0;
    DWORD triangleCount = 0;
    EXPECT_EQ(lib3mf_meshobject_getvertexcount(mesh, &vertexCount), LIB3MF_OK);
    EXPECT_EQ(lib3mf_meshobject_gettrianglecount(mesh, &triangleCount), LIB3MF_OK);
    std::vector<MODELMESHVERTEX> vertices(vertexCount);
    std::vector<MODELMESHTRIANGLE> triangles(triangleCount);
    EXPECT_EQ(lib3mf_meshobject_getvertices(mesh, vertices.data(), vertexCount, nullptr),
              LIB3MF_OK);
    EXPECT_EQ(lib3mf_meshobject_gettriangleindices(mesh, triangles.data(), triangleCount, nullptr),
              LIB3MF_OK);
    object.vertices = vertexCount;
    object.triangles = triangleCount;
    const auto at = [&](DWORD i) {
        const float* p = vertices[i].m_fPosition;
        return Vec3{p[0], p[1], p[2]};
    };
    for (const MODELMESHTRIANGLE& t : triangles) {
        object.volume +=
            at(t.m_nIndices[0]).dot(at(t.m_nIndices[1]).cross(at(t.m_nIndices[2]))) / 6;
    }
    PLib3MFDefaultPropertyHandler* rawProperties = nullptr;
    EXPECT_EQ(lib3mf_object_createdefaultpropertyhandler(mesh, &rawProperties), LIB3MF_OK);
    const Handle properties(rawProperties);
    DWORD group = 0;
    DWORD index = 0;
    EXPECT_EQ(lib3mf_defaultpropertyhandler_getbasematerial(rawProperties, &group, &index),
              LIB3MF_OK);
    PLib3MFModelBaseMaterial* rawMaterials = nullptr;
    EXPECT_EQ(lib3mf_model_getbasematerialbyid(model, group, &rawMaterials), LIB3MF_OK);
    const Handle materials(rawMaterials);
    BYTE r = 0, g = 0, b = 0, a = 0;
    EXPECT_EQ(lib3mf_basematerial_getdisplaycolor(rawMaterials, index, &r, &g, &b, &a), LIB3MF_OK);
    object.color = {r, g, b, a};
    return object;
}

ReadModel readBack(const std::filesystem::path& file) {
    ReadModel read;
    PLib3MFModel* rawModel = nullptr;
    EXPECT_EQ(lib3mf_createmodel(&rawModel), LIB3MF_OK);
    const Handle model(rawModel);
    PLib3MFModelReader* rawReader = nullptr;
    EXPECT_EQ(lib3mf_model_queryreader(rawModel, "3mf", &rawReader), LIB3MF_OK);
    const Handle reader(rawReader);
    EXPECT_EQ(lib3mf_reader_readfromfileutf8(rawReader, file.c_str()), LIB3MF_OK);
    EXPECT_EQ(lib3mf_model_getunit(rawModel, &read.unit), LIB3MF_OK);
    PLib3MFModelResourceIterator* rawObjects = nullptr;
    EXPECT_EQ(lib3mf_model_getmeshobjects(rawModel, &rawObjects), LIB3MF_OK);
    const Handle objects(rawObjects);
    BOOL more = false;
    while (lib3mf_resourceiterator_movenext(rawObjects, &more) == LIB3MF_OK && more) {
        PLib3MFModelResource* rawMesh = nullptr;
        EXPECT_EQ(lib3mf_resourceiterator_getcurrent(rawObjects, &rawMesh), LIB3MF_OK);
        const Handle mesh(rawMesh);
        read.objects.push_back(readObject(rawModel, rawMesh));
    }
    PLib3MFModelBuildItemIterator* rawItems = nullptr;
    EXPECT_EQ(lib3mf_model_getbuilditems(rawModel, &rawItems), LIB3MF_OK);
    const Handle items(rawItems);
    while (lib3mf_builditemiterator_movenext(rawItems, &more) == LIB3MF_OK && more) {
        ++read.buildItems;
    }
    return read;
}

class ThreeMFExport : public testing::TestWithParam<std::string> {};

TEST_P(ThreeMFExport, ReadsBackWithTheBodiesNamesCountsVolumesAndColours) {
    const CADDocument document = test::exportDocument(GetParam());
    test::ScratchDirectory scratch;
    const auto file = scratch.path() / "parts.3mf";
    MeshExport::writeFile(document, InterchangeFormat::threeMF, file);

    const ReadModel read = readBack(file);
    const std::vector<Body> bodies = test::visibleBodies(document);
    EXPECT_EQ(read.unit, static_cast<DWORD>(MODELUNIT_MILLIMETER));
    ASSERT_EQ(read.objects.size(), bodies.size()) << "hidden bodies stay out";
    EXPECT_EQ(read.buildItems, static_cast<int>(bodies.size()));
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const Body& body = bodies[i];
        const ReadObject& object = read.objects[i];
        EXPECT_EQ(object.name, body.name);
        EXPECT_EQ(object.vertices, body.mesh.vertices().size()) << "vertices shared by index";
        EXPECT_EQ(object.triangles, body.mesh.triangleCount());
        EXPECT_NEAR(object.volume, body.mesh.volume(), 1e-3 * body.mesh.volume());
        const RGBA color = BodyPalette::color(body.colorIndex);
        EXPECT_EQ(object.color[0], static_cast<int>(color.r * 255 + 0.5f));
        EXPECT_EQ(object.color[3], 0xFF) << "opaque";
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, ThreeMFExport, testing::ValuesIn(test::exportDocumentNames()),
                         [](const auto& testCase) { return testCase.param; });

}  // namespace
}  // namespace brontile
