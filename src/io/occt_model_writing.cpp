#include "io/occt_model_writing.hpp"

#include <fstream>

#include <IGESControl_Writer.hxx>
#include <StepData_Protocol.hxx>
#include <StepData_StepModel.hxx>
#include <StepData_StepWriter.hxx>
#include <StepData_WriterLib.hxx>
#include <XSControl_WorkSession.hxx>

#include "io/occt_progress.hpp"

namespace brontile::OcctModelWriting {
namespace {

// Entities formatted between two checks: about a millisecond's worth.
constexpr int kEntitiesPerCheck = 512;

// Prints formatted text to the file through a buffer that stops when the export is cancelled.
template <class Print>
bool printChecked(const std::filesystem::path& location, const ProgressSpan& progress,
                  Print&& print) {
    std::ofstream file(location, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    CheckedStreamBuffer checked(*file.rdbuf(), progress.progress());
    std::ostream out(&checked);
    const bool printed = print(out);
    out.flush();
    checked.rethrowIfStopped();
    file.close();
    return printed && out.good() && file.good();
}

}  // namespace

bool writeStep(STEPControl_Writer& writer, const std::filesystem::path& location,
               const ProgressSpan& progress) {
    const Handle(StepData_StepModel) model = writer.Model();
    const Handle(XSControl_WorkSession) session = writer.WS();
    const Handle(StepData_Protocol) protocol =
        session.IsNull() ? nullptr : Handle(StepData_Protocol)::DownCast(session->Protocol());
    if (model.IsNull() || protocol.IsNull()) return false;
    StepData_StepWriter text(model);
    // The header alone first, then the data section entity by entity, as the whole-model call
    // would send them.
    text.SendModel(protocol, Standard_True);
    text.SendData();
    const StepData_WriterLib lib(protocol);
    const int count = model->NbEntities();
    for (int i = 1; i <= count; ++i) {
        if (i % kEntitiesPerCheck == 0) progress.setFraction(0.5 * i / count);
        text.SendEntity(i, lib);
    }
    text.EndSec();
    text.EndFile();
    // The header-only send leaves out the line that opens every exchange file.
    return printChecked(location, progress.part(1, 2), [&](std::ostream& out) {
        out << "ISO-10303-21;\n";
        return text.Print(out);
    });
}

bool writeIges(const Handle(IGESData_IGESModel) & model, const std::filesystem::path& location,
               const ProgressSpan& progress) {
    return printChecked(location, progress,
                        [&](std::ostream& out) { return IGESControl_Writer(model).Write(out); });
}

}  // namespace brontile::OcctModelWriting
