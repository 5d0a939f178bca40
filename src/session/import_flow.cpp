#include "session/import_flow.hpp"

#include "io/mesh_check.hpp"
#include "io/part_import.hpp"

namespace brontile {
namespace {

// "Imported bracket.stl", and for each body that is not closed how open it is: "— not closed: 12
// open edges" for one body, with the bodies' names when there are several.
std::string importedMessage(const std::vector<Body>& bodies, const std::filesystem::path& file) {
    std::string message = "Imported " + file.filename().string();
    std::string open;
    for (const Body& body : bodies) {
        const MeshCheckResult check = MeshCheck::check(body.mesh);
        if (check.closed) continue;
        open += open.empty() ? " \u2014 not closed: " : ", ";
        if (bodies.size() > 1) open += body.name + " ";
        open += std::to_string(check.openEdges);
        open += check.openEdges == 1 ? " open edge" : " open edges";
    }
    return message + open;
}

}  // namespace

void ImportFlow::importPart() {
    const auto chosen =
        platform_.openPanel({"Choose a part to import", "Import", "", PartImport::extensions()});
    if (chosen) importPartAt(*chosen);
}

void ImportFlow::importPartAt(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    if (!PartImport::isImportable(file)) {
        status_.showError("Could not import " + name + ": not a file Brontile can import");
        return;
    }
    ImportUnit unit = ImportUnit::millimeters;
    if (PartImport::asksUnit(file)) {
        const auto answer =
            platform_.alert({"What unit are the numbers in \u201C" + name + "\u201D in?",
                             std::string("The file does not say."),
                             {"Millimeters", "Inches", "Cancel"}});
        // Closed without an answer is no answer: nothing is read.
        if (!answer || *answer == 2U) return;
        if (*answer == 1U) unit = ImportUnit::inches;
    }
    runner_.start(
        "Importing " + name, [this, file, unit](Progress& progress) -> OperationRunner::Finish {
            try {
                auto part = std::make_shared<ImportedPart>(PartImport::read(file, unit, progress));
                return [this, part, file] { add(*part, file); };
            } catch (const Cancelled&) {
                throw;
            } catch (const std::exception& error) {
                return [this, message = std::string("Could not import ") + error.what()] {
                    status_.showError(message);
                };
            }
        });
}

void ImportFlow::add(const ImportedPart& part, const std::filesystem::path& file) {
    const std::vector<Body> bodies =
        PartImport::bodiesOf(part, file, state_.document().bodyCounter);
    state_.mutate("Import", [&](CADDocument& document) {
        document.bodies.insert(document.bodies.end(), bodies.begin(), bodies.end());
        document.bodyCounter += static_cast<std::int64_t>(bodies.size());
    });
    Selection imported;
    std::optional<AABB> box;
    for (const Body& body : bodies) {
        imported.bodies.insert(body.id);
        if (const auto bounds = body.mesh.bounds()) box = box ? box->united(*bounds) : *bounds;
    }
    state_.setSelection(std::move(imported));
    viewport_.frame(box);
    status_.setMessage(importedMessage(bodies, file));
}

}  // namespace brontile
