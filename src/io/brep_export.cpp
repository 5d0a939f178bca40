#include "io/brep_export.hpp"

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <APIHeaderSection_MakeHeader.hxx>
#include <IGESCAFControl_Writer.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESData_IGESModel.hxx>
#include <Interface_Static.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include "base/utf8.hpp"
#include "geometry/rgba.hpp"
#include "io/brep_body.hpp"
#include "io/export_checks.hpp"
#include "io/mesh_check.hpp"
#include "io/occt_messages.hpp"
#include "io/occt_model_writing.hpp"
#include "io/occt_progress.hpp"

namespace brontile::BRepExport {
namespace {

// IGES text is ASCII: every other character (and every control character) becomes "_", which is
// also what Open CASCADE makes of the characters it cannot map.
std::string asciiOnly(std::string_view text) {
    std::string result;
    while (!text.empty()) {
        const auto decoded = decodeUtf8(text);
        const std::size_t length = decoded ? decoded->length : 1;
        const bool printable = decoded && decoded->codePoint >= 0x20 && decoded->codePoint < 0x7F;
        result += printable ? static_cast<char>(decoded->codePoint) : '_';
        text.remove_prefix(length);
    }
    return result;
}

// The bodies as a document of named, coloured top-level shapes, which both writers carry over.
Handle(TDocStd_Document) shapeDocument(const std::vector<const Body*>& bodies,
                                       InterchangeFormat format, const ProgressSpan& progress) {
    Handle(TDocStd_Document) document = new TDocStd_Document("MDTV-XCAF");
    XCAFDoc_DocumentTool::Set(document->Main(), Standard_False);
    const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(document->Main());
    const Handle(XCAFDoc_ColorTool) colors = XCAFDoc_DocumentTool::ColorTool(document->Main());
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const Body* body = bodies[i];
        const bool closed = MeshCheck::check(body->mesh).closed;
        const TDF_Label label =
            shapes->AddShape(BRepBody::shape(body->mesh, closed, progress.part(i, bodies.size())),
                             Standard_False, Standard_False);
        const std::string name =
            format == InterchangeFormat::iges ? asciiOnly(body->name) : body->name;
        TDataStd_Name::Set(label, TCollection_ExtendedString(name.c_str(), Standard_True));
        const RGBA color = BodyPalette::color(body->colorIndex);
        colors->SetColor(label, Quantity_Color(color.r, color.g, color.b, Quantity_TOC_sRGB),
                         XCAFDoc_ColorSurf);
    }
    return document;
}

Handle(TCollection_HAsciiString) text(const std::string& value) {
    return new TCollection_HAsciiString(value.c_str());
}

struct FileHeader {
    std::string fileName;
    std::string title;
};

// Where the time of an export goes: making the faces, converting them, writing the text.
constexpr double kShapesDone = 0.05;
constexpr double kTransferDone = 0.65;

// Converts the shapes into the writer's model, reporting to `progress` and stopping with it.
template <class Writer, class... Mode>
bool transferred(Writer& writer, const Handle(TDocStd_Document) & document, Progress& progress,
                 Mode... mode) {
    const Handle(OcctProgress) told = new OcctProgress(progress, kShapesDone, kTransferDone);
    const bool done = writer.Transfer(document, mode..., told->Start());
    told->rethrowIfStopped();
    return done;
}

void writeStep(const Handle(TDocStd_Document) & document, const std::filesystem::path& location,
               const FileHeader& names, Progress& progress) {
    // Open CASCADE keeps its writer settings process-wide; they are set to the same values before
    // every export so that nothing else can change what the file says.
    STEPCAFControl_Controller::Init();
    Interface_Static::SetCVal("write.step.schema", "AP214IS");
    Interface_Static::SetCVal("write.step.unit", "MM");
    // Curves in the parameter space of a plane say nothing a reader cannot work out from the
    // edge itself, and writing them doubles the size of the file and the time it takes.
    Interface_Static::SetIVal("write.surfacecurve.mode", 0);
    STEPCAFControl_Writer writer;
    writer.SetNameMode(Standard_True);
    writer.SetColorMode(Standard_True);
    if (!transferred(writer, document, progress, STEPControl_AsIs, nullptr)) {
        throw InterchangeError::writerFailed(InterchangeFormat::step,
                                             "the bodies were not converted");
    }
    APIHeaderSection_MakeHeader header(writer.ChangeWriter().Model());
    header.SetName(text(names.fileName));
    header.SetDescriptionValue(1, text(names.title));
    header.SetAuthorValue(1, text(""));
    header.SetOrganizationValue(1, text(""));
    header.SetOriginatingSystem(text("Brontile"));
    if (!OcctModelWriting::writeStep(writer.ChangeWriter(), location,
                                     ProgressSpan(progress, kTransferDone, 1))) {
        throw InterchangeError::writerFailed(InterchangeFormat::step, "the file was not written");
    }
}

void writeIges(const Handle(TDocStd_Document) & document, const std::filesystem::path& location,
               const FileHeader& names, Progress& progress) {
    IGESControl_Controller::Init();
    // B-rep mode writes solids and shells (entities 186 and 514) rather than loose surfaces.
    Interface_Static::SetIVal("write.iges.brep.mode", 1);
    Interface_Static::SetCVal("write.iges.unit", "MM");
    IGESCAFControl_Writer writer;
    writer.SetNameMode(Standard_True);
    writer.SetColorMode(Standard_True);
    if (!transferred(writer, document, progress)) {
        throw InterchangeError::writerFailed(InterchangeFormat::iges,
                                             "the bodies were not converted");
    }
    IGESData_GlobalSection header = writer.Model()->GlobalSection();
    header.SetFileName(text(asciiOnly(names.fileName)));
    header.SetSendName(text(asciiOnly(names.title)));
    header.SetSystemId(text("Brontile"));
    header.SetAuthorName(text(""));
    writer.Model()->SetGlobalSection(header);
    if (!OcctModelWriting::writeIges(writer.Model(), location,
                                     ProgressSpan(progress, kTransferDone, 1))) {
        throw InterchangeError::writerFailed(InterchangeFormat::iges, "the file was not written");
    }
}

}  // namespace

void write(const CADDocument& document, InterchangeFormat format,
           const std::filesystem::path& location, const std::string& fileName, Progress& progress) {
    if (format != InterchangeFormat::step && format != InterchangeFormat::iges) {
        throw InterchangeError::unsupported(format);
    }
    const std::vector<const Body*> bodies = ExportChecks::visibleBodies(document);
    for (const Body* body : bodies) {
        ExportChecks::requireFiniteVertices(*body);
        ExportChecks::requireWithin(*body, ExportChecks::kExactGeometryLimit, format);
    }
    // Open CASCADE keeps its writer settings and message printers process-wide, and a stopped
    // export may still be ending on its own thread when the next one starts.
    static std::mutex oneAtATime;
    const std::scoped_lock lock(oneAtATime);
    const QuietMessages quiet;
    const FileHeader names{fileName, document.metadata.title};
    try {
        const Handle(TDocStd_Document) shapes =
            shapeDocument(bodies, format, ProgressSpan(progress, 0, kShapesDone));
        if (format == InterchangeFormat::step) return writeStep(shapes, location, names, progress);
        return writeIges(shapes, location, names, progress);
    } catch (const Standard_Failure& failure) {
        throw InterchangeError::writerFailed(format, failure.GetMessageString());
    }
}

}  // namespace brontile::BRepExport
