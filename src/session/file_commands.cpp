// The File menu's commands: new, open, save, save as and the exports.
#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "session/document_session.hpp"

namespace brontile {

void addFileCommands(CommandTable& table) {
    namespace Cmd = AppCommandID;
    table.add(Cmd::fileNew, [](DocumentSession& s) { s.files().newDocument(); });
    table.add(Cmd::fileOpen, [](DocumentSession& s) { s.files().openDocument(); });
    table.add(Cmd::fileImport, [](DocumentSession& s) { s.imports().importPart(); });
    table.add(Cmd::fileSave, [](DocumentSession& s) { s.files().save(); });
    table.add(Cmd::fileSaveAs, [](DocumentSession& s) { s.files().saveDocumentAs(); });
    for (const auto& [command, format] : {std::pair{&Cmd::exportSTL, InterchangeFormat::stl},
                                          std::pair{&Cmd::exportOBJ, InterchangeFormat::obj},
                                          std::pair{&Cmd::export3MF, InterchangeFormat::threeMF},
                                          std::pair{&Cmd::exportSTEP, InterchangeFormat::step},
                                          std::pair{&Cmd::exportIGES, InterchangeFormat::iges}}) {
        table.add(*command, [format](DocumentSession& s) { s.files().exportDocument(format); });
    }
}

}  // namespace brontile
