// The Edit menu's commands and the body visibility commands: undo and redo, delete, duplicate,
// selection, repeat last tool, hide, isolate and show all.
#include "commands/app_command_id.hpp"
#include "session/command_table.hpp"
#include "session/document_session.hpp"

namespace brontile {
namespace {

// Undo (backwards) or redo (forwards), saying which step moved.
void stepHistory(DocumentSession& session, bool forward) {
    const auto outcome = forward ? session.editor().redo() : session.editor().undo();
    if (outcome.error) session.status().showError(*outcome.error);
    if (outcome.name) session.status().setMessage((forward ? "Redo " : "Undo ") + *outcome.name);
    session.interaction().resetAfterStep(outcome.name.has_value());
}

void repeatLastTool(DocumentSession& session) {
    if (const auto last = session.interaction().lastToolCommand()) {
        session.dispatch(CommandID(*last));
    }
}

}  // namespace

void addEditCommands(CommandTable& table) {
    namespace Cmd = AppCommandID;
    table.add(Cmd::editUndo, [](DocumentSession& s) { stepHistory(s, false); });
    table.add(Cmd::editRedo, [](DocumentSession& s) { stepHistory(s, true); });
    table.add(Cmd::editDelete, [](DocumentSession& s) { s.editing().deleteSelection(); });
    table.add(Cmd::editSelectAll, [](DocumentSession& s) { s.editing().selectAllBodies(); });
    table.add(Cmd::editDeselect, [](DocumentSession& s) { s.editing().deselectAll(); });
    table.add(Cmd::editRepeatLast, repeatLastTool);
    table.add(Cmd::editDuplicate, [](DocumentSession& s) { s.editing().duplicateSelection(); });
    table.add(Cmd::bodyHide, [](DocumentSession& s) { s.editing().hideSelectedBodies(); });
    table.add(Cmd::bodyShowAll, [](DocumentSession& s) { s.editing().showAllBodies(); });
    table.add(Cmd::bodyIsolate, [](DocumentSession& s) { s.editing().isolateSelectedBodies(); });
}

}  // namespace brontile
