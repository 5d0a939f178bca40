// The 3MF writer, through lib3mf (the format's reference library) and its C interface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/progress.hpp"

#include "geometry/rgba.hpp"
#include "io/export_checks.hpp"
#include "io/interchange_format.hpp"
#include "io/lib3mf_handle.hpp"
#include "io/mesh_export.hpp"

namespace brontile::MeshExport {
namespace {

using namespace NMR;

using Lib3mf::Handle;

// Turns a lib3mf result into an exception naming what failed.
void require(LIB3MFRESULT result, const char* what) {
    if (result != LIB3MF_OK) {
        throw InterchangeError::writerFailed(
            InterchangeFormat::threeMF,
            std::string(what) + " (error " + std::to_string(result) + ")");
    }
}

std::uint8_t channel(float value) {
    const float clamped = value < 0 ? 0 : (value > 1 ? 1 : value);
    return static_cast<std::uint8_t>(clamped * 255 + 0.5f);
}

// One body as a mesh object with its palette colour, and its build item.
void addBody(PLib3MFModel* model, PLib3MFModelBaseMaterial* materials, const Body& body) {
    std::vector<MODELMESHVERTEX> vertices;
    vertices.reserve(body.mesh.vertices().size());
    for (const Vec3& v : body.mesh.vertices()) {
        vertices.push_back(
            {{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)}});
    }
    std::vector<MODELMESHTRIANGLE> triangles;
    for (const SolidMesh::FaceTriangle& t : body.mesh.allTriangles()) {
        // 3MF readers refuse a triangle that names one vertex twice.
        if (t.a == t.b || t.b == t.c || t.c == t.a) continue;
        triangles.push_back(
            {{static_cast<DWORD>(t.a), static_cast<DWORD>(t.b), static_cast<DWORD>(t.c)}});
    }
    PLib3MFModelMeshObject* rawObject = nullptr;
    require(lib3mf_model_addmeshobject(model, &rawObject), "adding a mesh object");
    const Handle object(rawObject);
    require(lib3mf_object_setnameutf8(rawObject, body.name.c_str()), "naming a mesh object");
    require(lib3mf_meshobject_setgeometry(rawObject, vertices.data(),
                                          static_cast<DWORD>(vertices.size()), triangles.data(),
                                          static_cast<DWORD>(triangles.size())),
            "setting a mesh's geometry");

    const RGBA color = BodyPalette::color(body.colorIndex);
    DWORD materialIndex = 0;
    require(lib3mf_basematerial_addmaterialutf8(materials, body.name.c_str(), channel(color.r),
                                                channel(color.g), channel(color.b), &materialIndex),
            "adding a material");
    require(lib3mf_basematerial_setdisplaycolorrgba(materials, materialIndex, channel(color.r),
                                                    channel(color.g), channel(color.b), 0xFF),
            "colouring a material");
    DWORD groupID = 0;
    require(lib3mf_basematerial_getresourceid(materials, &groupID), "reading a material id");
    PLib3MFDefaultPropertyHandler* rawProperties = nullptr;
    require(lib3mf_object_createdefaultpropertyhandler(rawObject, &rawProperties),
            "giving an object its material");
    const Handle properties(rawProperties);
    require(lib3mf_defaultpropertyhandler_setbasematerial(rawProperties, groupID, materialIndex),
            "giving an object its material");

    PLib3MFModelBuildItem* rawItem = nullptr;
    require(lib3mf_model_addbuilditem(model, rawObject, nullptr, &rawItem), "adding a build item");
    const Handle item(rawItem);
}

}  // namespace

std::string threeMFData(const CADDocument& document) {
    Progress whole;
    return threeMFData(document, whole);
}

std::string threeMFData(const CADDocument& document, Progress& progress) {
    const std::vector<const Body*> bodies = ExportChecks::visibleBodies(document);
    for (const Body* body : bodies) {
        ExportChecks::requireFiniteVertices(*body);
        ExportChecks::requireWithin(*body, ExportChecks::kFloatLimit, InterchangeFormat::threeMF);
    }
    PLib3MFModel* rawModel = nullptr;
    require(lib3mf_createmodel(&rawModel), "creating a model");
    const Handle model(rawModel);
    require(lib3mf_model_setunit(rawModel, MODELUNIT_MILLIMETER), "setting the unit");
    PLib3MFModelBaseMaterial* rawMaterials = nullptr;
    require(lib3mf_model_addbasematerialgroup(rawModel, &rawMaterials), "adding materials");
    const Handle materials(rawMaterials);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        progress.setFraction(0.5 * static_cast<double>(i) / static_cast<double>(bodies.size()));
        addBody(rawModel, rawMaterials, *bodies[i]);
    }

    PLib3MFModelWriter* rawWriter = nullptr;
    require(lib3mf_model_querywriter(rawModel, "3mf", &rawWriter), "making a writer");
    const Handle writer(rawWriter);
    Lib3mf::FollowedProgress told{progress, 0.5};
    require(lib3mf_writer_setprogresscallback(rawWriter, &Lib3mf::FollowedProgress::goOn, &told),
            "following the writer");
    ULONG64 size = 0;
    const auto stopped = [&](LIB3MFRESULT result) {
        if (told.stopped) throw Cancelled();
        return result;
    };
    require(stopped(lib3mf_writer_getstreamsize(rawWriter, &size)), "measuring the file");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    require(stopped(lib3mf_writer_writetobuffer(rawWriter, reinterpret_cast<BYTE*>(bytes.data()),
                                                size)),
            "writing the file");
    return bytes;
}

}  // namespace brontile::MeshExport
