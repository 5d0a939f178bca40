// The session's file operations: the unsaved-changes question, new, open, save, save as and
// export, each against the platform's panels and alerts.
#include <exception>

#include "io/atomic_file.hpp"
#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "io/native_package_io.hpp"
#include "session/document_session.hpp"

namespace brontile {
namespace {

const std::string kPackageExtension{NativePackageIO::packageExtension};

std::string lastComponent(const std::filesystem::path& location) {
    return location.filename().string();
}

// The place a panel chose, without trailing separators: a package is a folder, and a folder's
// path may come back as "part.brontdoc/". Nothing when no name is left (the root, or nothing).
std::optional<std::filesystem::path> chosenLocation(std::optional<std::filesystem::path> chosen) {
    if (!chosen) return std::nullopt;
    std::filesystem::path location = std::move(*chosen);
    while (!location.has_filename() && location.has_relative_path()) {
        location = location.parent_path();
    }
    if (!location.has_filename()) return std::nullopt;
    return location;
}

}  // namespace

bool DocumentSession::confirmDiscardIfNeeded() {
    if (!isDirty_) return true;
    const auto answer = platform_.alert({"Discard unsaved changes?",
                                         windowTitle() + " has changes that have not been saved.",
                                         {"Save\u2026", "Discard", "Cancel"}});
    if (answer == 0U) {
        if (fileURL_) {
            write(*fileURL_);
        } else {
            saveDocumentAs();
        }
        return !isDirty_;
    }
    return answer == 1U;
}

void DocumentSession::newDocument() {
    if (!confirmDiscardIfNeeded()) return;
    load(CADDocument::empty("Untitled", platform_.now()), std::nullopt);
    setStatusMessage("New document");
}

void DocumentSession::openDocument() {
    if (!confirmDiscardIfNeeded()) return;
    const auto location = chosenLocation(
        platform_.openPanel({"Choose a .brontdoc document package", "Open", kPackageExtension}));
    if (location) openDocumentAt(*location);
}

void DocumentSession::openDocumentAt(const std::filesystem::path& location) {
    CADDocument opened;
    try {
        opened = NativePackageIO::load(location);
    } catch (const std::exception& error) {
        setErrorMessage(std::string("Open failed: ") + error.what());
        return;
    }
    load(std::move(opened), location);
    setStatusMessage("Opened " + lastComponent(location));
}

void DocumentSession::load(CADDocument document, std::optional<std::filesystem::path> location) {
    publish(document_, std::move(document), SessionProperty::document);
    viewport_->needsRebuild = true;
    publish(fileURL_, std::move(location), SessionProperty::fileURL);
    publish(isDirty_, false, SessionProperty::isDirty);
    setSelection(Selection::empty);
    setActiveSketchID(std::nullopt);
    setOverlay(SceneOverlay::empty);
    setHud(std::nullopt);
    history_.clear();
    publish(historyVersion_, historyVersion_ + 1, SessionProperty::historyVersion);
    viewport_->camera = OrbitCamera(document_.camera);
    viewport_->stopMotion();
    hitIndex_.retainOnly(document_);
    setTool(ToolID::select);
}

void DocumentSession::saveDocumentAs() {
    auto location = chosenLocation(
        platform_.savePanel({"Documents are saved as .brontdoc packages",
                             document_.metadata.title + "." + kPackageExtension, std::nullopt}));
    if (!location) return;
    if (location->extension() != "." + kPackageExtension) {
        location = location->string() + "." + kPackageExtension;
        // The panel confirmed the name without the extension; a package that already has the
        // full name must not be replaced without asking.
        std::error_code ignored;
        if (std::filesystem::exists(*location, ignored)) {
            const auto answer =
                platform_.alert({"\u201C" + lastComponent(*location) +
                                     "\u201D already exists. Do you want to replace it?",
                                 std::nullopt,
                                 {"Replace", "Cancel"}});
            if (answer != 0U) return;
        }
    }
    write(*location);
}

void DocumentSession::write(const std::filesystem::path& location) {
    CADDocument copy = document_;
    copy.camera = viewport_->camera.toState();
    copy.metadata.title = location.stem().string();
    try {
        static_cast<void>(NativePackageIO::save(copy, location, platform_.now()));
    } catch (const std::exception& error) {
        setErrorMessage(std::string("Save failed: ") + error.what());
        return;
    }
    publish(document_, std::move(copy), SessionProperty::document);
    viewport_->needsRebuild = true;
    publish(fileURL_, std::optional(location), SessionProperty::fileURL);
    publish(isDirty_, false, SessionProperty::isDirty);
    setStatusMessage("Saved " + lastComponent(location));
}

void DocumentSession::exportDocument(InterchangeFormat format) {
    const std::string extension{rawValue(format)};
    const std::string stem = fileURL_ ? fileURL_->stem().string() : document_.metadata.title;
    const auto location =
        chosenLocation(platform_.savePanel({std::nullopt, stem + "." + extension, extension}));
    if (!location) return;
    try {
        MeshExport::writeFile(document_, format, *location);
    } catch (const std::exception& error) {
        setErrorMessage(std::string("Export failed: ") + error.what());
        return;
    }
    // An open body still goes out (a person may want it), but the person hears which.
    std::string message = "Exported " + lastComponent(*location);
    const std::vector<std::string> open = MeshCheck::openVisibleBodies(document_);
    for (std::size_t i = 0; i < open.size(); ++i) {
        message += (i == 0 ? " \u2014 not closed: " : ", ") + open[i];
    }
    setStatusMessage(message);
}

}  // namespace brontile
