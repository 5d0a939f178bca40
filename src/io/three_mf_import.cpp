#include "io/three_mf_import.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "io/lib3mf_handle.hpp"
#include "io/mesh_assembly.hpp"

namespace brontile::ThreeMfImport {
namespace {

using namespace NMR;
using Lib3mf::Handle;

// Components may refer to components; the format forbids cycles, and this bounds a file that
// has one anyway.
constexpr int kDeepestNesting = 32;

// A 3MF placement: row i gives coordinate i, its last column the translation.
struct Affine {
    std::array<std::array<double, 4>, 3> m{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};

    static Affine of(const MODELTRANSFORM& t) {
        Affine a;
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 4; ++j) a.m[i][j] = t.m_fFields[i][j];
        }
        return a;
    }
    [[nodiscard]] Vec3 apply(const Vec3& p) const {
        const auto row = [&](std::size_t i) {
            return m[i][0] * p.x + m[i][1] * p.y + m[i][2] * p.z + m[i][3];
        };
        return {row(0), row(1), row(2)};
    }
    // This after `inner`.
    [[nodiscard]] Affine after(const Affine& inner) const {
        Affine a;
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 4; ++j) {
                a.m[i][j] = (j == 3 ? m[i][3] : 0) + m[i][0] * inner.m[0][j] +
                            m[i][1] * inner.m[1][j] + m[i][2] * inner.m[2][j];
            }
        }
        return a;
    }
    [[nodiscard]] double determinant() const {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
};

Affine scaling(double factor) {
    Affine a;
    for (std::size_t i = 0; i < 3; ++i) a.m[i][i] = factor;
    return a;
}

void require(LIB3MFRESULT result, const char* what) {
    if (result != LIB3MF_OK) {
        std::string message = "the 3MF library failed ";
        message += what;
        throw ImportError(message);
    }
}

double millimetersPerUnit(DWORD unit) {
    switch (unit) {
        case MODELUNIT_MICROMETER: return 0.001;
        case MODELUNIT_CENTIMETER: return 10;
        case MODELUNIT_INCH: return 25.4;
        case MODELUNIT_FOOT: return 304.8;
        case MODELUNIT_METER: return 1000;
        default: return 1;
    }
}

Handle readModel(const std::filesystem::path& file, Progress& progress) {
    PLib3MFModel* rawModel = nullptr;
    require(lib3mf_createmodel(&rawModel), "to start a model");
    Handle model(rawModel);
    PLib3MFModelReader* rawReader = nullptr;
    require(lib3mf_model_queryreader(rawModel, "3mf", &rawReader), "to make a reader");
    const Handle reader(rawReader);
    Lib3mf::FollowedProgress told{progress, 0};
    require(lib3mf_reader_setprogresscallback(rawReader, &Lib3mf::FollowedProgress::goOn, &told),
            "to follow the reader");
    if (lib3mf_reader_readfromfileutf8(rawReader, file.string().c_str()) != LIB3MF_OK) {
        if (told.stopped) throw Cancelled();
        DWORD code = 0;
        LPCSTR text = nullptr;
        lib3mf_getlasterror(rawReader, &code, &text);
        std::string message = "not a 3MF package: ";
        message += text != nullptr && *text != '\0' ? text : "error " + std::to_string(code);
        throw ImportError(message);
    }
    return model;
}

std::string objectName(PLib3MFModelObjectResource* object) {
    ULONG needed = 0;
    if (lib3mf_object_getnameutf8(object, nullptr, 0, &needed) != LIB3MF_OK || needed == 0) {
        return {};
    }
    std::string name(needed + 1, '\0');
    require(lib3mf_object_getnameutf8(object, name.data(), needed + 1, &needed), "to read a name");
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    return name;
}

RGBA colorOf(const MODELMESHCOLOR_SRGB& c) {
    return {c.m_Red / 255.0f, c.m_Green / 255.0f, c.m_Blue / 255.0f, c.m_Alpha / 255.0f};
}

std::optional<RGBA> materialColor(PLib3MFModel* model, DWORD group, DWORD index) {
    PLib3MFModelBaseMaterial* rawMaterials = nullptr;
    if (group == 0 || lib3mf_model_getbasematerialbyid(model, group, &rawMaterials) != LIB3MF_OK) {
        return std::nullopt;
    }
    const Handle materials(rawMaterials);
    MODELMESHCOLOR_SRGB c{};
    if (lib3mf_basematerial_getdisplaycolor(rawMaterials, index, &c.m_Red, &c.m_Green, &c.m_Blue,
                                            &c.m_Alpha) != LIB3MF_OK) {
        return std::nullopt;
    }
    return colorOf(c);
}

// The object's own material or colour, which its triangles take unless they say otherwise.
std::optional<RGBA> defaultColor(PLib3MFModel* model, PLib3MFModelMeshObject* mesh) {
    PLib3MFDefaultPropertyHandler* raw = nullptr;
    if (lib3mf_object_createdefaultpropertyhandler(mesh, &raw) != LIB3MF_OK) return std::nullopt;
    const Handle handler(raw);
    eModelPropertyType type = MODELPROPERTYTYPE_NONE;
    require(lib3mf_defaultpropertyhandler_getpropertytype(raw, &type), "to read a property");
    if (type == MODELPROPERTYTYPE_BASEMATERIALS) {
        DWORD group = 0, index = 0;
        require(lib3mf_defaultpropertyhandler_getbasematerial(raw, &group, &index),
                "to read a material");
        return materialColor(model, group, index);
    }
    if (type == MODELPROPERTYTYPE_COLOR) {
        MODELMESHCOLOR_SRGB c{};
        require(lib3mf_defaultpropertyhandler_getcolor(raw, 0, &c), "to read a colour");
        return colorOf(c);
    }
    return std::nullopt;
}

// The material or colour every triangle has alike; none when they differ or have none.
std::optional<RGBA> triangleColor(PLib3MFModel* model, PLib3MFModelMeshObject* mesh,
                                  DWORD triangleCount) {
    PLib3MFPropertyHandler* raw = nullptr;
    if (triangleCount == 0 || lib3mf_meshobject_createpropertyhandler(mesh, &raw) != LIB3MF_OK) {
        return std::nullopt;
    }
    const Handle handler(raw);
    std::vector<DWORD> groups(triangleCount), indices(triangleCount);
    if (lib3mf_propertyhandler_getbasematerialarray(raw, groups.data(), indices.data()) ==
            LIB3MF_OK &&
        groups[0] != 0 && std::ranges::count(groups, groups[0]) == triangleCount &&
        std::ranges::count(indices, indices[0]) == triangleCount) {
        return materialColor(model, groups[0], indices[0]);
    }
    std::vector<MODELMESH_TRIANGLECOLOR_SRGB> colors(triangleCount);
    if (lib3mf_propertyhandler_getcolorarray(raw, colors.data()) != LIB3MF_OK) return std::nullopt;
    const auto key = [](const MODELMESHCOLOR_SRGB& c) {
        return std::array{c.m_Red, c.m_Green, c.m_Blue, c.m_Alpha};
    };
    const auto first = key(colors[0].m_Colors[0]);
    const bool uniform = std::ranges::all_of(colors, [&](const auto& t) {
        return std::ranges::all_of(t.m_Colors, [&](const auto& c) { return key(c) == first; });
    });
    if (!uniform || first == decltype(first){}) return std::nullopt;
    return colorOf(colors[0].m_Colors[0]);
}

// The object's triangles placed by `placement`, corners in counter-clockwise order even when the
// placement mirrors.
std::vector<Vec3> placedCorners(PLib3MFModelMeshObject* mesh, const Affine& placement) {
    DWORD vertexCount = 0, triangleCount = 0;
    require(lib3mf_meshobject_getvertexcount(mesh, &vertexCount), "to count vertices");
    require(lib3mf_meshobject_gettrianglecount(mesh, &triangleCount), "to count triangles");
    std::vector<MODELMESHVERTEX> vertices(vertexCount);
    std::vector<MODELMESHTRIANGLE> triangles(triangleCount);
    if (vertexCount > 0) {
        require(lib3mf_meshobject_getvertices(mesh, vertices.data(), vertexCount, nullptr),
                "to read vertices");
    }
    if (triangleCount > 0) {
        require(
            lib3mf_meshobject_gettriangleindices(mesh, triangles.data(), triangleCount, nullptr),
            "to read triangles");
    }
    std::vector<Vec3> placed;
    placed.reserve(vertices.size());
    for (const MODELMESHVERTEX& v : vertices) {
        const float* p = v.m_fPosition;
        placed.push_back(placement.apply({p[0], p[1], p[2]}));
        if (!placed.back().isFinite()) throw ImportError("a coordinate is not finite");
    }
    const bool mirrored = placement.determinant() < 0;
    std::vector<Vec3> corners;
    corners.reserve(3 * triangles.size());
    for (const MODELMESHTRIANGLE& t : triangles) {
        const auto at = [&](int k) { return placed.at(t.m_nIndices[k]); };
        corners.insert(corners.end(), {at(0), at(mirrored ? 2 : 1), at(mirrored ? 1 : 2)});
    }
    return corners;
}

struct Reading {
    PLib3MFModel* model;
    ImportedPart part;
    std::size_t meshObjects = 0;
};

ImportedBody meshBody(Reading& reading, PLib3MFModelMeshObject* mesh, const Affine& placement) {
    DWORD triangleCount = 0;
    require(lib3mf_meshobject_gettrianglecount(mesh, &triangleCount), "to count triangles");
    std::optional<RGBA> color = defaultColor(reading.model, mesh);
    if (!color) color = triangleColor(reading.model, mesh, triangleCount);
    const std::vector<Vec3> corners = placedCorners(mesh, placement);
    return {objectName(mesh), MeshAssembly::fromTriangles(corners), color};
}

// Adds the mesh objects `object` places, its components' placements after `placement`.
void collect(Reading& reading, PLib3MFModelObjectResource* object, const Affine& placement,
             int depth) {
    if (depth > kDeepestNesting) throw ImportError("components nest too deeply");
    BOOL isMesh = false, isComponents = false;
    require(lib3mf_object_ismeshobject(object, &isMesh), "to read an object");
    require(lib3mf_object_iscomponentsobject(object, &isComponents), "to read an object");
    if (isMesh) {
        ++reading.meshObjects;
        ImportedBody body = meshBody(reading, object, placement);
        if (!body.mesh.isEmpty()) reading.part.bodies.push_back(std::move(body));
        return;
    }
    if (!isComponents) return;
    DWORD count = 0;
    require(lib3mf_componentsobject_getcomponentcount(object, &count), "to count components");
    for (DWORD i = 0; i < count; ++i) {
        PLib3MFModelComponent* rawComponent = nullptr;
        require(lib3mf_componentsobject_getcomponent(object, i, &rawComponent),
                "to read a component");
        const Handle component(rawComponent);
        MODELTRANSFORM transform{};
        require(lib3mf_component_gettransform(rawComponent, &transform), "to read a component");
        PLib3MFModelObjectResource* rawInner = nullptr;
        require(lib3mf_component_getobjectresource(rawComponent, &rawInner), "to read a component");
        const Handle inner(rawInner);
        collect(reading, rawInner, placement.after(Affine::of(transform)), depth + 1);
    }
}

}  // namespace

ImportedPart read(const std::filesystem::path& file, Progress& progress) {
    progress.setPhase("Reading");
    const Handle model = readModel(file, progress);
    DWORD unit = MODELUNIT_MILLIMETER;
    require(lib3mf_model_getunit(model.get(), &unit), "to read the unit");
    const Affine toMillimeters = scaling(millimetersPerUnit(unit));
    PLib3MFModelBuildItemIterator* rawItems = nullptr;
    require(lib3mf_model_getbuilditems(model.get(), &rawItems), "to list the build");
    const Handle items(rawItems);
    Reading reading{model.get(), {}, 0};
    BOOL more = false;
    while (lib3mf_builditemiterator_movenext(rawItems, &more) == LIB3MF_OK && more) {
        progress.check();
        PLib3MFModelBuildItem* rawItem = nullptr;
        require(lib3mf_builditemiterator_getcurrent(rawItems, &rawItem), "to read the build");
        const Handle item(rawItem);
        MODELTRANSFORM transform{};
        require(lib3mf_builditem_getobjecttransform(rawItem, &transform), "to read the build");
        PLib3MFModelObjectResource* rawObject = nullptr;
        require(lib3mf_builditem_getobjectresource(rawItem, &rawObject), "to read the build");
        const Handle object(rawObject);
        collect(reading, rawObject, toMillimeters.after(Affine::of(transform)), 0);
    }
    if (reading.meshObjects == 0) throw ImportError("no mesh objects");
    if (reading.part.bodies.empty()) throw ImportError("no triangles");
    progress.setFraction(1);
    return std::move(reading.part);
}

}  // namespace brontile::ThreeMfImport
