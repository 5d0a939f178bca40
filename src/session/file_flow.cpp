#include "session/file_flow.hpp"

#include <exception>

#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "io/native_package_io.hpp"

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

// What a save has to say beyond the file's name: an older copy it could not clear away.
std::string leftoverNote(const PackageSaveResult& saved) {
    if (!saved.leftoverBackup) return {};
    return " \u2014 the previous version could not be removed and stays in the hidden folder " +
           lastComponent(*saved.leftoverBackup);
}

// "Exported part.stl", naming any visible body that is not closed: it still goes out (a person
// may want it), but the person hears which.
std::string exportedMessage(const CADDocument& document, const std::filesystem::path& location) {
    std::string message = "Exported " + lastComponent(location);
    const std::vector<std::string> open = MeshCheck::openVisibleBodies(document);
    for (std::size_t i = 0; i < open.size(); ++i) {
        message += (i == 0 ? " \u2014 not closed: " : ", ") + open[i];
    }
    return message;
}

// "part — ~/parts/part.brontdoc — 2026-12-07 14:02 UTC", and why a damaged copy cannot open.
std::string recoveryLine(const RecoveryEntry& entry) {
    const RecoveryManifest& manifest = entry.manifest;
    std::string line = manifest.title;
    line += " \u2014 ";
    line += manifest.file ? manifest.file->string() : std::string("never saved");
    line += " \u2014 ";
    line += formatDateTime(manifest.time).value_or("?");
    if (entry.damage) {
        line += " (damaged, set aside: ";
        line += *entry.damage;
        line += ")";
    }
    return line;
}

}  // namespace

FileFlow::FileFlow(SessionPlatform& platform, DocumentEditor& editor, InteractionState& state,
                   StatusLines& status, ViewportState& viewport, SessionNotifier& notifier,
                   OperationRunner& runner)
    : platform_(platform),
      editor_(editor),
      state_(state),
      status_(status),
      viewport_(viewport),
      notifier_(notifier),
      runner_(runner),
      files_(&realFileSystem()),
      recovery_(platform) {
    // The notifier lives as long as the session that owns this flow.
    notifier.observe([this](SessionProperty property) {
        if (property == SessionProperty::isDirty && editor_.isDirty()) {
            CADDocument copy = editor_.document();
            copy.camera = viewport_.camera.toState();
            recovery_.record(std::move(copy), fileURL_);
        }
    });
}

std::string FileFlow::windowTitle() const {
    std::string title = fileURL_ ? fileURL_->stem().string() : editor_.document().metadata.title;
    if (editor_.isDirty()) title += " \u2014 Edited";
    return title;
}

bool FileFlow::confirmDiscardIfNeeded() {
    if (!editor_.isDirty()) return true;
    const auto answer = platform_.alert({"Discard unsaved changes?",
                                         windowTitle() + " has changes that have not been saved.",
                                         {"Save\u2026", "Discard", "Cancel"}});
    if (answer == 0U) {
        save();
        return !editor_.isDirty();
    }
    return answer == 1U;
}

void FileFlow::newDocument() {
    if (!confirmDiscardIfNeeded()) return;
    load(CADDocument::empty("Untitled", platform_.now()), std::nullopt);
    status_.setMessage("New document");
}

void FileFlow::openDocument() {
    if (!confirmDiscardIfNeeded()) return;
    const auto location = chosenLocation(
        platform_.openPanel({"Choose a .brontdoc document package", "Open", kPackageExtension}));
    if (location) openDocumentAt(*location);
}

void FileFlow::openDocumentAt(const std::filesystem::path& location) {
    CADDocument opened;
    try {
        opened = NativePackageIO::load(location, *files_);
    } catch (const std::exception& error) {
        status_.showError(std::string("Open failed: ") + error.what());
        return;
    }
    load(std::move(opened), location);
    status_.setMessage("Opened " + lastComponent(location));
}

void FileFlow::load(CADDocument document, std::optional<std::filesystem::path> location,
                    bool unsaved) {
    // The document going was either saved or let go on purpose: its copy goes with it.
    recovery_.end();
    notifier_.publish(fileURL_, std::move(location), SessionProperty::fileURL);
    if (unsaved) {
        editor_.replaceUnsaved(std::move(document));
    } else {
        editor_.replace(std::move(document));
    }
    state_.startOver();
    viewport_.placeCamera(OrbitCamera(editor_.document().camera));
    status_.dismissError();
}

void FileFlow::save() { fileURL_ ? write(*fileURL_) : saveDocumentAs(); }

void FileFlow::saveDocumentAs() {
    auto location = chosenLocation(platform_.savePanel(
        {"Documents are saved as .brontdoc packages",
         editor_.document().metadata.title + "." + kPackageExtension, std::nullopt}));
    if (!location) return;
    if (location->extension() != "." + kPackageExtension) {
        location = location->string() + "." + kPackageExtension;
    }
    if (mayReplace(*location)) write(*location);
}

bool FileFlow::mayReplace(const std::filesystem::path& location) {
    try {
        if (!files_->exists(location)) return true;
    } catch (const std::exception&) {
        // What cannot even be looked at cannot be replaced either: the save says why.
        return true;
    }
    const auto answer = platform_.alert(
        {"\u201C" + lastComponent(location) + "\u201D already exists. Do you want to replace it?",
         std::nullopt,
         {"Replace", "Cancel"}});
    return answer == 0U;
}

CADDocument FileFlow::documentToWrite(const std::filesystem::path& location) const {
    CADDocument copy = editor_.document();
    copy.camera = viewport_.camera.toState();
    copy.metadata.title = location.stem().string();
    return copy;
}

void FileFlow::write(const std::filesystem::path& location) {
    CADDocument copy = documentToWrite(location);
    PackageSaveResult saved;
    try {
        saved = NativePackageIO::save(copy, location, platform_.now(), *files_);
    } catch (const std::exception& error) {
        status_.showError(std::string("Save failed: ") + error.what());
        return;
    }
    editor_.markSaved(std::move(copy));
    recovery_.clear();
    notifier_.publish(fileURL_, std::optional(location), SessionProperty::fileURL);
    status_.dismissError();
    status_.setMessage("Saved " + lastComponent(location) + leftoverNote(saved));
}

void FileFlow::exportDocument(InterchangeFormat format) {
    const std::string extension{rawValue(format)};
    const std::string stem =
        fileURL_ ? fileURL_->stem().string() : editor_.document().metadata.title;
    const auto location =
        chosenLocation(platform_.savePanel({std::nullopt, stem + "." + extension, extension}));
    if (!location) return;
    // The bodies as they are now: the window goes on while this copy is written.
    runner_.start("Exporting " + lastComponent(*location),
                  [this, document = editor_.document(), format,
                   location = *location](Progress& progress) -> OperationRunner::Finish {
                      try {
                          MeshExport::writeFile(document, format, location, progress);
                      } catch (const Cancelled&) {
                          throw;
                      } catch (const std::exception& error) {
                          return [this, message = std::string("Export failed: ") + error.what()] {
                              status_.showError(message);
                          };
                      }
                      return [this, message = exportedMessage(document, location)] {
                          status_.dismissError();
                          status_.setMessage(message);
                      };
                  });
}

std::vector<RecoveryEntry> FileFlow::offerRecovery() {
    const auto& store = recovery_.store();
    if (!store) return {};
    const std::vector<RecoveryEntry> entries = store->leftovers();
    if (entries.empty()) return {};
    std::string list;
    for (const RecoveryEntry& entry : entries) {
        if (!list.empty()) list += '\n';
        list += recoveryLine(entry);
    }
    const auto answer = platform_.alert(
        {"Brontile quit unexpectedly. Recover your unsaved work?", list, {"Recover", "Discard"}});
    std::vector<RecoveryEntry> others;
    // The newest goes into this window, unless it already holds work of its own.
    bool windowFree = !editor_.isDirty() && !fileURL_;
    for (const RecoveryEntry& entry : entries) {
        try {
            if (entry.damage) {
                store->setAside(entry.folder);
            } else if (answer != 0U) {
                store->discard(entry.folder);
            } else if (windowFree) {
                // One that cannot be read is set aside by recover and named on the error line.
                windowFree = !recover(entry.folder);
            } else {
                others.push_back(entry);
            }
        } catch (const std::exception& error) {
            status_.showError(std::string("Recovery failed: ") + error.what());
        }
    }
    return others;
}

bool FileFlow::recover(const std::filesystem::path& folder) {
    const auto& store = recovery_.store();
    if (!store) return false;
    CADDocument document;
    std::optional<std::filesystem::path> file;
    try {
        document = store->load(folder);
    } catch (const std::exception& error) {
        status_.showError(std::string("Recovery failed: ") + error.what());
        try {
            store->setAside(folder);
        } catch (const std::exception&) {
            // Then it stays where it is, and says so again next time.
        }
        return false;
    }
    // A copy whose manifest was lost is still the work; it only no longer knows its file.
    if (auto manifest = store->manifest(folder)) file = std::move(manifest->file);
    const std::string title = document.metadata.title;
    load(std::move(document), std::move(file), true);
    // The old folder goes only once this session holds its own copy of the same state.
    recovery_.flush();
    try {
        store->discard(folder);
    } catch (const std::exception&) {
        // Left where it is, it is offered again next time: nothing is lost.
    }
    status_.setMessage("Recovered " + title + " \u2014 not saved yet");
    return true;
}

}  // namespace brontile
