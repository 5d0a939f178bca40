#include "session/document_session.hpp"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <variant>

#include "base/tolerances.hpp"
#include "commands/app_command_id.hpp"
#include "commands/undoable_command.hpp"
#include "io/native_package_io.hpp"
#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

namespace Cmd = AppCommandID;

// How far, in view points, a sketch curve or glyph may be from the pointer and still be picked.
constexpr double kSketchPickPixels = 7;
// Constraint markers are drawn this many view points across.
constexpr double kMarkerPixels = 5;

// The tool commands that are remembered for "edit.repeatLast", with their tools.
const std::vector<std::pair<CommandID, ToolID>>& rememberedTools() {
    static const std::vector<std::pair<CommandID, ToolID>> table{
        {Cmd::toolLine, ToolID::line},           {Cmd::toolRectangle, ToolID::rectangle},
        {Cmd::toolCircle, ToolID::circle},       {Cmd::toolArc, ToolID::arc},
        {Cmd::toolPolygon, ToolID::polygon},     {Cmd::toolOffset, ToolID::offset},
        {Cmd::toolTrim, ToolID::trim},           {Cmd::toolExtrude, ToolID::extrude},
        {Cmd::toolRevolve, ToolID::revolve},     {Cmd::toolFillet, ToolID::fillet},
        {Cmd::toolShell, ToolID::shell},         {Cmd::toolMove, ToolID::move},
        {Cmd::toolRotate, ToolID::rotate},       {Cmd::toolScale, ToolID::scale},
        {Cmd::toolMirror, ToolID::mirror},       {Cmd::toolPattern, ToolID::pattern},
        {Cmd::toolUnion, ToolID::unite},         {Cmd::toolSubtract, ToolID::subtract},
        {Cmd::toolIntersect, ToolID::intersect},
    };
    return table;
}

// Whether every coordinate is finite and small enough for a finite volume. Checking the bound
// instead of computing the volume keeps a commit on a large body from triangulating it again.
bool storableMesh(const SolidMesh& mesh) {
    for (const Vec3& v : mesh.vertices()) {
        for (const double c : {v.x, v.y, v.z}) {
            if (!(std::abs(c) <= kMaxCoordinate)) return false;
        }
    }
    return true;
}

// Whether every number of the sketch is one a document can store: coordinates within the same
// bound as a body's, finite sizes, angles and constraint values.
bool storableSketch(const Sketch& sketch) {
    const auto fits = [](std::initializer_list<double> values) {
        return std::ranges::all_of(values, [](double c) { return std::abs(c) <= kMaxCoordinate; });
    };
    for (const SketchEntity& entity : sketch.entities) {
        const bool fine = std::visit(
            [&](const auto& g) {
                using G = std::decay_t<decltype(g)>;
                if constexpr (std::is_same_v<G, SketchLine>) {
                    return fits({g.start.x, g.start.y, g.end.x, g.end.y});
                } else if constexpr (std::is_same_v<G, SketchCircle>) {
                    return fits({g.center.x, g.center.y, g.radius});
                } else {
                    return fits({g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle});
                }
            },
            entity.geometry);
        if (!fine) return false;
    }
    return std::ranges::all_of(sketch.constraints, [&](const SketchConstraint& c) {
        return !c.value || fits({*c.value});
    });
}

// The commands that constrain the selected sketch geometry by kind.
const std::vector<std::pair<CommandID, SketchConstraintKind>>& constraintCommands() {
    using enum SketchConstraintKind;
    static const std::vector<std::pair<CommandID, SketchConstraintKind>> table{
        {Cmd::constraintHorizontal, horizontal}, {Cmd::constraintVertical, vertical},
        {Cmd::constraintParallel, parallel},     {Cmd::constraintPerpendicular, perpendicular},
        {Cmd::constraintCoincident, coincident}, {Cmd::constraintMidpoint, midpoint},
        {Cmd::constraintTangent, tangent},
    };
    return table;
}

}  // namespace

DocumentSession::DocumentSession(SessionPlatform& platform, std::optional<KeymapStore> keymap)
    : platform_(platform),
      document_(CADDocument::empty("Untitled", platform.now())),
      statusMessage_(std::string(kWelcomeHint)),
      keymap_(keymap ? std::move(*keymap) : KeymapStore::loadDefault()),
      viewport_(std::make_unique<ViewportState>(OrbitCamera(document_.camera))) {
    statusHint_ = tools_.active().hint();
    // The viewport and the timer belong to the session, so neither outlives it.
    viewport_->sceneProvider = [this](RenderScene& scene) {
        const double unit = viewport_->worldUnitsPerPixel();
        sceneCache_.rebuild({document_, selection_, hover_, overlay_, activeSketchID_,
                             kMarkerPixels * unit, unit, showSection_},
                            scene);
    };
    autosaveTimer_ = platform_.repeat(kAutosaveInterval, [this] { autosave(); });
}

DocumentSession::~DocumentSession() = default;

void DocumentSession::observe(Observer observer) { observers_.push_back(std::move(observer)); }

void DocumentSession::notify(SessionProperty property) {
    for (const Observer& observer : observers_) observer(property);
}

std::optional<Sketch> DocumentSession::activeSketch() const {
    return activeSketchID_ ? document_.sketch(*activeSketchID_) : std::nullopt;
}

std::string DocumentSession::windowTitle() const {
    std::string title = fileURL_ ? fileURL_->stem().string() : document_.metadata.title;
    if (isDirty_) title += " \u2014 Edited";
    return title;
}

// --- Recording changes

std::optional<std::string> DocumentSession::unstorable(const CADDocument& before,
                                                       const CADDocument& after) const {
    for (std::size_t i = 0; i < after.bodies.size(); ++i) {
        const Body& body = after.bodies[i];
        // Most changes keep the bodies where they were; look further only for the others.
        const Body* old = i < before.bodies.size() && before.bodies[i].id == body.id
                              ? &before.bodies[i]
                              : nullptr;
        std::optional<Body> moved;
        if (!old && (moved = before.body(body.id))) old = &*moved;
        if (old && old->mesh == body.mesh) continue;
        if (!storableMesh(body.mesh)) {
            return "the result has coordinates that are not finite numbers or lie impossibly "
                   "far out, so its volume is not a finite number";
        }
    }
    for (std::size_t i = 0; i < after.sketches.size(); ++i) {
        const Sketch& sketch = after.sketches[i];
        if (i < before.sketches.size() && before.sketches[i] == sketch) continue;
        if (!storableSketch(sketch)) {
            return "the sketch would hold numbers that are not finite or lie impossibly far out";
        }
    }
    return std::nullopt;
}

void DocumentSession::mutate(const std::string& name, const Change& change) {
    const CADDocument before = document_;
    CADDocument after = document_;
    // A change that fails part way is dropped whole, never half applied.
    try {
        change(after);
    } catch (const std::exception& error) {
        setErrorMessage(error.what());
        return;
    }
    if (after == before) return;
    // A typed value must never make the document unsavable: such a change is refused whole.
    if (const auto why = unstorable(before, after)) {
        setErrorMessage("\u201C" + name + "\u201D was not applied: " + *why + ".");
        return;
    }
    after.metadata.modifiedAt = platform_.now();
    auto command = std::make_shared<SnapshotCommand<CADDocument>>(
        name, before, std::move(after), [this](const CADDocument& snapshot) { apply(snapshot); });
    try {
        history_.execute(std::move(command));
    } catch (const std::exception& error) {
        setErrorMessage(error.what());
    }
    publish(historyVersion_, historyVersion_ + 1, SessionProperty::historyVersion);
}

void DocumentSession::apply(const CADDocument& snapshot) {
    publish(document_, snapshot, SessionProperty::document);
    viewport_->needsRebuild = true;
    publish(isDirty_, true, SessionProperty::isDirty);
    Selection pruned = selection_;
    pruned.prune(document_);
    if (pruned != selection_) setSelection(std::move(pruned));
    if (activeSketchID_ && !document_.sketch(*activeSketchID_)) setActiveSketchID(std::nullopt);
}

void DocumentSession::undo() { stepHistory(false); }

void DocumentSession::redo() { stepHistory(true); }

void DocumentSession::stepHistory(bool forward) {
    const auto name = forward ? history_.redoActionName() : history_.undoActionName();
    try {
        forward ? history_.redo() : history_.undo();
    } catch (const std::exception& error) {
        setErrorMessage(error.what());
    }
    publish(historyVersion_, historyVersion_ + 1, SessionProperty::historyVersion);
    if (name) {
        setStatusMessage((forward ? "Redo " : "Undo ") + *name);
        // Only a snapshot that was applied can leave the tool's gesture pointing at meshes
        // that are gone; with nothing to step, a half-drawn shape stays.
        tools_.active().deactivate(*this);
    }
    setOverlay(SceneOverlay::empty);
    setHud(std::nullopt);
    viewport_->needsRebuild = true;
}

// --- Tools and sketches

void DocumentSession::setTool(const ToolID& id) {
    tools_.activate(id, *this);
    publish(activeToolID_, tools_.activeID(), SessionProperty::activeToolID);
    setStatusHint(tools_.active().hint());
}

void DocumentSession::rememberAndActivate(const CommandID& command, const ToolID& id) {
    lastToolCommand_ = command;
    setTool(id);
}

void DocumentSession::newSketch(std::optional<SketchPlane> plane) {
    static_cast<void>(SketchSupport::startSketch(
        *this, plane.value_or(faceSelectionPlane().value_or(SketchPlane::xy))));
    setTool(ToolID::line);
    const auto sketch = activeSketch();
    setStatusMessage("Sketching on " + (sketch ? sketch->name : std::string("sketch")) +
                     ". Draw a closed shape, then press E to extrude.");
}

void DocumentSession::finishSketch() {
    setActiveSketchID(std::nullopt);
    if (!selection_.sketchEntities.empty()) {
        Selection kept = selection_;
        kept.sketchEntities.clear();
        setSelection(std::move(kept));
    }
    if (isSketchTool(activeToolID_)) setTool(ToolID::select);
}

void DocumentSession::frameAll() {
    viewport_->stopMotion();
    if (const auto bounds = document_.bounds()) {
        viewport_->camera.frame(*bounds);
    } else {
        viewport_->camera.reset();
    }
    viewport_->needsRebuild = true;
}

void DocumentSession::commitHUD(double value) {
    setHudEditing(false);
    if (selection_.constraints.empty()) {
        tools_.active().hudCommit(value, *this);
    } else {
        commitConstraintDimension(value);
    }
    if (refocusViewport) refocusViewport();
}

bool DocumentSession::submitHUDText(std::string_view text) {
    const auto value = hud_ ? parseHudValue(*hud_, text, document_.units) : std::nullopt;
    if (!value) {
        setHudEditing(false);
        if (refocusViewport) refocusViewport();
        return false;
    }
    commitHUD(*value);
    return true;
}

void DocumentSession::autosave() {
    if (!isDirty_ || !fileURL_) return;
    CADDocument copy = document_;
    copy.camera = viewport_->camera.toState();
    try {
        static_cast<void>(NativePackageIO::save(copy, *fileURL_, platform_.now()));
    } catch (const std::exception&) {
        // Silent: the document stays dirty and the next tick tries again.
        return;
    }
    publish(isDirty_, false, SessionProperty::isDirty);
    setStatusMessage("Autosaved");
}

std::optional<HitResult> DocumentSession::hitTest(const Ray& ray) {
    return SceneHitTester::hit(ray, document_, kSketchPickPixels * viewport_->worldUnitsPerPixel(),
                               activeSketchID_, hitIndex_);
}

// --- Bodies

void DocumentSession::hideBodies() {
    const auto bodies = selection_.involvedBodies();
    if (bodies.empty()) return;
    mutate("Hide Bodies", [&](CADDocument& document) {
        for (Body& body : document.bodies) {
            if (bodies.contains(body.id)) body.isVisible = false;
        }
    });
    setSelection(Selection::empty);
}

void DocumentSession::isolateBodies() {
    const auto bodies = selection_.involvedBodies();
    if (bodies.empty()) return;
    mutate("Isolate", [&](CADDocument& document) {
        for (Body& body : document.bodies) body.isVisible = bodies.contains(body.id);
    });
}

void DocumentSession::showAllBodies() {
    mutate("Show All Bodies", [](CADDocument& document) {
        for (Body& body : document.bodies) body.isVisible = true;
    });
}

// --- Dispatch

void DocumentSession::dispatch(const CommandID& id) {
    setStatusMessage(std::nullopt);
    if (id == Cmd::fileNew) return newDocument();
    if (id == Cmd::fileOpen) return openDocument();
    if (id == Cmd::fileSave) return fileURL_ ? write(*fileURL_) : saveDocumentAs();
    if (id == Cmd::fileSaveAs) return saveDocumentAs();
    if (id == Cmd::exportSTL) return exportDocument(InterchangeFormat::stl);
    if (id == Cmd::exportOBJ) return exportDocument(InterchangeFormat::obj);
    if (id == Cmd::export3MF) return exportDocument(InterchangeFormat::threeMF);
    if (id == Cmd::exportSTEP) return exportDocument(InterchangeFormat::step);
    if (id == Cmd::exportIGES) return exportDocument(InterchangeFormat::iges);
    if (id == Cmd::editUndo) return undo();
    if (id == Cmd::editRedo) return redo();
    if (id == Cmd::editDelete) return deleteSelection();
    if (id == Cmd::editSelectAll) {
        Selection all;
        for (const Body& body : document_.bodies) {
            if (body.isVisible) all.bodies.insert(body.id);
        }
        return setSelection(std::move(all));
    }
    if (id == Cmd::editDeselect) {
        setSelection(Selection::empty);
        return setHud(std::nullopt);
    }
    if (id == Cmd::editRepeatLast) {
        if (lastToolCommand_) dispatch(CommandID(*lastToolCommand_));
        return;
    }
    if (id == Cmd::editDuplicate) return duplicateSelection();
    if (id == Cmd::editConstruction) return toggleConstruction();
    if (id == Cmd::toolSelect) return setTool(ToolID::select);
    for (const auto& [command, tool] : rememberedTools()) {
        if (id == command) return rememberAndActivate(command, tool);
    }
    if (id == Cmd::toolMeasure) {
        if (applyDimensionFromSelection()) return;
        return rememberAndActivate(id, ToolID::measure);
    }
    if (id == Cmd::toolCancel) {
        tools_.cancel(*this);
        return publish(activeToolID_, tools_.activeID(), SessionProperty::activeToolID);
    }
    if (id == Cmd::toolConfirm) return tools_.confirm(*this);
    if (id == Cmd::sketchNew) return newSketch(std::nullopt);
    if (id == Cmd::sketchNewFront) return newSketch(SketchPlane::xz);
    if (id == Cmd::sketchNewRight) return newSketch(SketchPlane::yz);
    if (id == Cmd::sketchFinish) return finishSketch();
    for (const auto& [command, kind] : constraintCommands()) {
        if (id == command) return applyConstraintKind(kind);
    }
    if (id == Cmd::constraintEqual) return applyEqualConstraint();
    if (id == Cmd::constraintDimension) {
        static_cast<void>(applyDimensionFromSelection());
        return;
    }
    if (id == Cmd::bodyHide) return hideBodies();
    if (id == Cmd::bodyShowAll) return showAllBodies();
    if (id == Cmd::bodyIsolate) return isolateBodies();
    if (id == Cmd::viewFrameAll) return frameAll();
    if (id == Cmd::viewResetCamera) {
        viewport_->stopMotion();
        viewport_->camera.reset();
        viewport_->needsRebuild = true;
        return;
    }
    for (const auto& [command, preset] :
         {std::pair{Cmd::viewTop, ViewPreset::top}, std::pair{Cmd::viewFront, ViewPreset::front},
          std::pair{Cmd::viewRight, ViewPreset::right}, std::pair{Cmd::viewIso, ViewPreset::iso}}) {
        if (id == command) {
            viewport_->stopMotion();
            viewport_->camera.apply(preset);
            viewport_->needsRebuild = true;
            return;
        }
    }
    if (id == Cmd::viewToggleGrid) {
        CADDocument toggled = document_;
        toggled.showGrid = !toggled.showGrid;
        publish(document_, std::move(toggled), SessionProperty::document);
        viewport_->needsRebuild = true;
        return publish(isDirty_, true, SessionProperty::isDirty);
    }
    if (id == Cmd::viewSection) {
        publish(showSection_, !showSection_, SessionProperty::showSection);
        viewport_->needsRebuild = true;
        return setStatusMessage(showSection_ ? "Section view on" : "Section view off");
    }
    if (id == Cmd::paletteShow) return setShowPalette(true);
    if (id == Cmd::helpCheatSheet) return setShowCheatSheet(true);
    if (id == Cmd::hudEdit) {
        if (hud_ && hud_->editable) setHudEditing(true);
        return;
    }
    setStatusMessage("Unhandled command " + id.rawValue);
}

// --- ModelingContext

void DocumentSession::setSelection(Selection selection) {
    if (selection == selection_) return;
    publish(selection_, std::move(selection), SessionProperty::selection);
    viewport_->needsRebuild = true;
}

void DocumentSession::setHover(std::optional<HitTarget> target) {
    if (target == hover_) return;
    hover_ = std::move(target);
    viewport_->needsRebuild = true;
}

void DocumentSession::setActiveSketchID(std::optional<Uuid> id) {
    if (id == activeSketchID_) return;
    publish(activeSketchID_, id, SessionProperty::activeSketchID);
    viewport_->needsRebuild = true;
}

void DocumentSession::setOverlay(SceneOverlay overlay) {
    if (overlay == overlay_) return;
    overlay_ = std::move(overlay);
    // The scene draws the preview; it must be built again to show a new one.
    viewport_->needsRebuild = true;
}

void DocumentSession::setHud(std::optional<HUDState> hud) {
    const bool hidden = !hud.has_value();
    publish(hud_, std::move(hud), SessionProperty::hud);
    // Without a HUD there is nothing to type into: the viewport takes keys again.
    if (hidden && hudEditing_) setHudEditing(false);
}

void DocumentSession::setStatusHint(std::string hint) {
    publish(statusHint_, std::move(hint), SessionProperty::statusHint);
}

double DocumentSession::worldUnitsPerPixel() const { return viewport_->worldUnitsPerPixel(); }

void DocumentSession::orbit(double deltaX, double deltaY) {
    viewport_->applyOrbit(deltaX, deltaY, platform_.monotonicSeconds());
}

void DocumentSession::showError(const std::string& message) { setErrorMessage(message); }

void DocumentSession::setStatusMessage(std::optional<std::string> message) {
    publish(statusMessage_, std::move(message), SessionProperty::statusMessage);
}

void DocumentSession::setErrorMessage(std::optional<std::string> message) {
    publish(errorMessage_, std::move(message), SessionProperty::errorMessage);
}

void DocumentSession::setHudEditing(bool editing) {
    publish(hudEditing_, editing, SessionProperty::hudEditing);
}

void DocumentSession::setShowPalette(bool show) {
    publish(showPalette_, show, SessionProperty::showPalette);
}

void DocumentSession::setShowCheatSheet(bool show) {
    publish(showCheatSheet_, show, SessionProperty::showCheatSheet);
}

// --- ViewportInputDelegate

void DocumentSession::viewportPointer(const PointerEvent& event) {
    if (event.phase == PointerPhase::down) viewport_->stopMotion();
    if (hudEditing_) return;
    tools_.active().pointer(event, *this);
}

void DocumentSession::viewportOrbit(double deltaX, double deltaY) { orbit(deltaX, deltaY); }

void DocumentSession::viewportPan(double deltaX, double deltaY) {
    viewport_->applyPan(deltaX, deltaY, platform_.monotonicSeconds());
}

void DocumentSession::viewportZoom(double factor, const Vec2& at) {
    viewport_->applyZoom(factor, at, platform_.monotonicSeconds());
}

bool DocumentSession::viewportKey(const KeyPress& key) {
    if (hudEditing_) return false;
    const auto command = keymap_.command(key);
    if (!command) return false;
    dispatch(*command);
    return true;
}

}  // namespace brontile
