#include "io/brep_import.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <IGESCAFControl_Reader.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Reader.hxx>
#include <IMeshData_Status.hxx>
#include <Interface_Static.hxx>
#include <Poly_Triangulation.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_AsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Face.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include "io/mesh_assembly.hpp"
#include "io/occt_messages.hpp"
#include "io/occt_progress.hpp"

namespace brontile::BrepImport {
namespace {

enum class Format { step, iges };

// Curved faces may stray from the exact surface by this share of the body's diagonal, and a
// facet may turn by this many radians from its neighbour.
constexpr double kDeflectionShare = 0.001;
constexpr double kAngularDeflection = 0.5;
// Where the time of a read goes: the file and its conversion, then the meshing.
constexpr double kReadDone = 0.5;

Format formatOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".step" || extension == ".stp") return Format::step;
    if (extension == ".iges" || extension == ".igs") return Format::iges;
    throw ImportError("the file name ends in neither .step, .stp, .iges nor .igs");
}

std::string formatName(Format format) { return format == Format::step ? "STEP" : "IGES"; }

// A shape to become one body, before it is meshed.
struct Piece {
    TopoDS_Shape shape;
    std::string name;
    std::optional<RGBA> color;
};

// What a label passes on to the shapes under it that say nothing themselves.
struct Inherited {
    std::string name;
    std::optional<RGBA> color;
};

RGBA rgba(const Quantity_Color& color) {
    double r = 0, g = 0, b = 0;
    color.Values(r, g, b, Quantity_TOC_sRGB);
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 1.0f};
}

std::string nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (label.IsNull() || !label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    // Without a replacement character the conversion gives UTF-8.
    return TCollection_AsciiString(name->Get()).ToCString();
}

// A label's or a shape's surface colour, else its generic one.
template <class Key>
std::optional<RGBA> colorOf(XCAFDoc_ColorTool& colors, const Key& key) {
    Quantity_Color color;
    if (colors.GetColor(key, XCAFDoc_ColorSurf, color) ||
        colors.GetColor(key, XCAFDoc_ColorGen, color)) {
        return rgba(color);
    }
    return std::nullopt;
}

// Solids, shells outside solids, and the faces outside shells together, each one piece. A solid
// with a colour of its own keeps it.
void addPieces(const TopoDS_Shape& shape, const Inherited& given, XCAFDoc_ColorTool* colors,
               std::vector<Piece>& pieces) {
    const auto add = [&](const TopoDS_Shape& piece) {
        std::optional<RGBA> color = colors ? colorOf(*colors, piece) : std::nullopt;
        pieces.push_back({piece, given.name, color ? color : given.color});
    };
    for (TopExp_Explorer it(shape, TopAbs_SOLID); it.More(); it.Next()) add(it.Current());
    for (TopExp_Explorer it(shape, TopAbs_SHELL, TopAbs_SOLID); it.More(); it.Next()) {
        add(it.Current());
    }
    TopoDS_Compound loose;
    BRep_Builder builder;
    builder.MakeCompound(loose);
    bool anyLoose = false;
    for (TopExp_Explorer it(shape, TopAbs_FACE, TopAbs_SHELL); it.More(); it.Next()) {
        builder.Add(loose, it.Current());
        anyLoose = true;
    }
    if (anyLoose) add(loose);
}

struct Labels {
    Handle(XCAFDoc_ShapeTool) shapes;
    Handle(XCAFDoc_ColorTool) colors;
};

// The pieces under `label`, placed by `location`: an assembly's through its components, whose
// own names and colours (or their parts') win over the assembly's.
void collect(const Labels& labels, const TDF_Label& label, const TopLoc_Location& location,
             const Inherited& given, std::vector<Piece>& pieces) {
    if (!XCAFDoc_ShapeTool::IsAssembly(label)) {
        const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(label);
        addPieces(location.IsIdentity() ? shape : shape.Moved(location), given, labels.colors.get(),
                  pieces);
        return;
    }
    TDF_LabelSequence components;
    XCAFDoc_ShapeTool::GetComponents(label, components);
    for (const TDF_Label& component : components) {
        TDF_Label part;
        if (!XCAFDoc_ShapeTool::GetReferredShape(component, part)) continue;
        Inherited here{nameOf(component), colorOf(*labels.colors, component)};
        if (here.name.empty()) here.name = nameOf(part);
        if (here.name.empty()) here.name = given.name;
        if (!here.color) here.color = colorOf(*labels.colors, part);
        if (!here.color) here.color = given.color;
        collect(labels, part, location * XCAFDoc_ShapeTool::GetLocation(component), here, pieces);
    }
}

std::vector<Piece> piecesOf(const Handle(TDocStd_Document) & document) {
    const Labels labels{XCAFDoc_DocumentTool::ShapeTool(document->Main()),
                        XCAFDoc_DocumentTool::ColorTool(document->Main())};
    TDF_LabelSequence free;
    labels.shapes->GetFreeShapes(free);
    std::vector<Piece> pieces;
    for (const TDF_Label& label : free) {
        collect(labels, label, TopLoc_Location(), {nameOf(label), colorOf(*labels.colors, label)},
                pieces);
    }
    return pieces;
}

std::string refusal(Format format, IFSelect_ReturnStatus status) {
    std::string message = "not a ";
    message += formatName(format);
    message += " file: ";
    message += status == IFSelect_RetVoid ? "it holds nothing to read"
                                          : "the reader could not make sense of it";
    return message;
}

// Reads through the reader that keeps names and colours; nothing when its conversion fails.
template <class Reader>
std::optional<std::vector<Piece>> readNamed(const std::filesystem::path& file, Format format,
                                            Progress& progress) {
    Reader reader;
    reader.SetNameMode(Standard_True);
    reader.SetColorMode(Standard_True);
    const IFSelect_ReturnStatus status = reader.ReadFile(file.string().c_str());
    if (status != IFSelect_RetDone) throw ImportError(refusal(format, status));
    Handle(TDocStd_Document) document = new TDocStd_Document("MDTV-XCAF");
    XCAFDoc_DocumentTool::Set(document->Main(), Standard_False);
    // The document's unit is the one the shapes come in: millimetres, whatever the file's.
    XCAFDoc_DocumentTool::SetLengthUnit(document, 1.0, UnitsMethods_LengthUnit_Millimeter);
    const Handle(OcctProgress) told = new OcctProgress(progress, 0, kReadDone);
    bool done = false;
    try {
        done = reader.Transfer(document, told->Start());
    } catch (const Standard_Failure&) {
        done = false;
    }
    told->rethrowIfStopped();
    if (!done) return std::nullopt;
    return piecesOf(document);
}

// The plain reader: the shapes alone, for a file whose names or colours trip the other one.
template <class Reader>
std::vector<Piece> readPlain(const std::filesystem::path& file, Format format, Progress& progress) {
    Reader reader;
    const IFSelect_ReturnStatus status = reader.ReadFile(file.string().c_str());
    if (status != IFSelect_RetDone) throw ImportError(refusal(format, status));
    const Handle(OcctProgress) told = new OcctProgress(progress, 0, kReadDone);
    reader.TransferRoots(told->Start());
    told->rethrowIfStopped();
    std::vector<Piece> pieces;
    if (reader.NbShapes() > 0) addPieces(reader.OneShape(), {}, nullptr, pieces);
    return pieces;
}

std::vector<Piece> readPieces(const std::filesystem::path& file, Format format,
                              Progress& progress) {
    // Both readers take their unit from this when the document does not say.
    Interface_Static::SetCVal("xstep.cascade.unit", "MM");
    if (format == Format::step) {
        STEPCAFControl_Controller::Init();
        if (auto named = readNamed<STEPCAFControl_Reader>(file, format, progress)) return *named;
        return readPlain<STEPControl_Reader>(file, format, progress);
    }
    IGESControl_Controller::Init();
    if (auto named = readNamed<IGESCAFControl_Reader>(file, format, progress)) return *named;
    return readPlain<IGESControl_Reader>(file, format, progress);
}

// Each B-rep face's triangles, counter-clockwise seen from outside, as one group.
std::vector<std::vector<Vec3>> faceTriangles(const TopoDS_Shape& shape) {
    std::vector<std::vector<Vec3>> groups;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
        const TopoDS_Face& face = TopoDS::Face(it.Current());
        TopLoc_Location location;
        const Handle(Poly_Triangulation) triangulation = BRep_Tool::Triangulation(face, location);
        if (triangulation.IsNull()) throw ImportError("a face could not be meshed");
        const gp_Trsf& placement = location.Transformation();
        const bool reversed = face.Orientation() == TopAbs_REVERSED;
        std::vector<Vec3>& group = groups.emplace_back();
        group.reserve(3 * static_cast<std::size_t>(triangulation->NbTriangles()));
        for (int i = 1; i <= triangulation->NbTriangles(); ++i) {
            int a = 0, b = 0, c = 0;
            triangulation->Triangle(i).Get(a, b, c);
            if (reversed) std::swap(b, c);
            for (const int node : {a, b, c}) {
                const gp_Pnt p = triangulation->Node(node).Transformed(placement);
                group.push_back({p.X(), p.Y(), p.Z()});
            }
        }
    }
    return groups;
}

// Meshes `piece`, reporting its share [from, to] of `progress`.
ImportedBody meshed(const Piece& piece, Progress& progress, double from, double to) {
    Bnd_Box box;
    BRepBndLib::Add(piece.shape, box);
    if (box.IsVoid()) throw ImportError("a body has no extent");
    IMeshTools_Parameters parameters;
    parameters.Deflection = kDeflectionShare * std::sqrt(box.SquareExtent());
    parameters.Angle = kAngularDeflection;
    parameters.Relative = Standard_False;
    parameters.InParallel = Standard_False;
    const Handle(OcctProgress) told = new OcctProgress(progress, from, to);
    const BRepMesh_IncrementalMesh mesher(piece.shape, parameters, told->Start());
    told->rethrowIfStopped();
    if ((mesher.GetStatusFlags() & IMeshData_Failure) != 0) {
        throw ImportError("a body could not be meshed");
    }
    const std::vector<std::vector<Vec3>> groups = faceTriangles(piece.shape);
    SolidMesh mesh = MeshAssembly::fromFaceGroups(groups);
    if (mesh.isEmpty()) throw ImportError("a body could not be meshed");
    return {piece.name, std::move(mesh), piece.color};
}

}  // namespace

ImportedPart read(const std::filesystem::path& file, Progress& progress) {
    const Format format = formatOf(file);
    // Open CASCADE keeps its reader settings and message printers process-wide.
    static std::mutex oneAtATime;
    const std::scoped_lock lock(oneAtATime);
    const QuietMessages quiet;
    try {
        progress.setPhase("Reading");
        const std::vector<Piece> pieces = readPieces(file, format, progress);
        if (pieces.empty()) throw ImportError("no solid or shell");
        progress.setPhase("Meshing");
        const double share = (1 - kReadDone) / static_cast<double>(pieces.size());
        ImportedPart part;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const double from = kReadDone + share * static_cast<double>(i);
            part.bodies.push_back(meshed(pieces[i], progress, from, from + share));
        }
        return part;
    } catch (const Standard_Failure& failure) {
        std::string message = "the ";
        message += formatName(format);
        message += " reader failed: ";
        message += failure.GetMessageString();
        throw ImportError(message);
    }
}

}  // namespace brontile::BrepImport
