#include "replay/step_kinds.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace brontile::replay {
namespace {

// The view point of {"world": [x, y, z]} (where it appears with the current camera) or
// {"screen": [x, y]}, one of them.
Vec2 screenPoint(ReplayTarget& target, const OrderedJson& point) {
    if (find(point, "screen") && find(point, "world")) {
        throw BadScript("a point takes \"world\" or \"screen\", not both");
    }
    if (const OrderedJson* screen = find(point, "screen")) {
        const auto xy = numbersAt(*screen, 2, "screen");
        return {xy[0], xy[1]};
    }
    if (const OrderedJson* world = find(point, "world")) {
        const auto p = numbersAt(*world, 3, "world");
        const ViewportState& viewport = target.session().viewport();
        const auto at = viewport.camera.viewPoint({p[0], p[1], p[2]}, viewport.viewSize);
        if (!at) throw BadScript("the world point lies behind the camera");
        return *at;
    }
    throw BadScript("a point needs \"world\" or \"screen\"");
}

// A point object and nothing else.
Vec2 pointAt(ReplayTarget& target, const OrderedJson& point, std::string_view what) {
    if (!point.is_object()) throw BadScript(std::string(what) + " must be an object");
    onlyKeys(point, {"world", "screen"}, what);
    return screenPoint(target, point);
}

void command(ReplayTarget& target, const Step& step) {
    target.command(CommandID(textAt(step.argument, "command")));
}

void key(ReplayTarget& target, const Step& step) {
    const std::string name = textAt(step.argument, "key");
    if (name.empty()) throw BadScript("key must not be empty");
    target.key(KeyPress{name, step.modifiers});
}

void pointer(ReplayTarget& target, const Step& step) {
    const OrderedJson& argument = step.argument;
    onlyKeys(argument, {"phase", "world", "screen", "modifiers", "clicks"}, "pointer");
    const std::string phaseName = textAt(member(argument, "phase", "pointer"), "phase");
    const auto phase = fromRawValue<PointerPhase>(phaseName);
    if (!phase) throw BadScript("unknown pointer phase \"" + phaseName + "\"");
    const ModifierSet own = modifiersAt(find(argument, "modifiers"));
    const int clicks = find(argument, "clicks") ? clicksAt(find(argument, "clicks")) : step.clicks;
    target.pointer(*phase, screenPoint(target, argument), own | step.modifiers, clicks);
}

// Move, press and release at the point; a double click presses and releases again.
void click(ReplayTarget& target, const Step& step, bool twice) {
    const Vec2 at = pointAt(target, step.argument, twice ? "doubleClick" : "click");
    target.pointer(PointerPhase::move, at, step.modifiers, 1);
    target.pointer(PointerPhase::down, at, step.modifiers, 1);
    target.pointer(PointerPhase::up, at, step.modifiers, 1);
    if (!twice) return;
    target.pointer(PointerPhase::down, at, step.modifiers, 2);
    target.pointer(PointerPhase::up, at, step.modifiers, 2);
}

void drag(ReplayTarget& target, const Step& step) {
    const OrderedJson& argument = step.argument;
    onlyKeys(argument, {"from", "to", "steps", "modifiers"}, "drag");
    const Vec2 from = pointAt(target, member(argument, "from", "drag"), "from");
    const Vec2 to = pointAt(target, member(argument, "to", "drag"), "to");
    const OrderedJson* count = find(argument, "steps");
    const int steps = count ? static_cast<int>(wholeNumberAt(*count, "steps", kMaxCount)) : 8;
    const ModifierSet held = modifiersAt(find(argument, "modifiers")) | step.modifiers;
    target.pointer(PointerPhase::move, from, held, 1);
    target.pointer(PointerPhase::down, from, held, 1);
    for (int i = 1; i <= steps; ++i) {
        const Vec2 at = i == steps ? to : from + (to - from) * (double(i) / steps);
        target.pointer(PointerPhase::drag, at, held, 1);
    }
    target.pointer(PointerPhase::up, to, held, 1);
}

void orbitOrPan(ReplayTarget& target, const Step& step, bool orbit) {
    const auto d = numbersAt(step.argument, 2, orbit ? "orbit" : "pan");
    target.moveCamera(orbit ? CameraMotion(OrbitMotion{d[0], d[1]})
                            : CameraMotion(PanMotion{d[0], d[1]}));
}

void zoom(ReplayTarget& target, const Step& step) {
    onlyKeys(step.argument, {"factor", "screen"}, "zoom");
    const double factor = numberAt(member(step.argument, "factor", "zoom"), "factor");
    if (!(factor > 0)) throw BadScript("factor must be greater than zero");
    const auto at = numbersAt(member(step.argument, "screen", "zoom"), 2, "screen");
    target.moveCamera(ZoomMotion{factor, {at[0], at[1]}});
}

void advanceClock(ReplayTarget& target, const Step& step) {
    const double seconds = numberAt(step.argument, "advanceClock");
    if (seconds < 0) throw BadScript("advanceClock must not go back");
    if (target.clock() + seconds > kMaxClock) {
        throw BadScript("the clock may run at most 1e9 s (about 31 years) in a script");
    }
    target.advanceClock(seconds);
}

void answer(ReplayTarget& target, const Step& step) {
    const OrderedJson& argument = step.argument;
    if (!argument.is_object() || argument.size() != 1) {
        throw BadScript("answer must name one of openPanel, savePanel or alert");
    }
    const std::string kind = argument.begin().key();
    const OrderedJson& value = argument.begin().value();
    const auto location = [&]() -> std::optional<std::filesystem::path> {
        if (value.is_null()) return std::nullopt;
        return std::filesystem::path(textAt(value, kind));
    };
    if (kind == "openPanel") return target.answerOpenPanel(location());
    if (kind == "savePanel") return target.answerSavePanel(location());
    if (kind == "alert") return target.answerAlert(textAt(value, "alert"));
    throw BadScript("answer must name one of openPanel, savePanel or alert");
}

// Arms a stop of the next long operation at its k-th progress check.
void cancelAt(ReplayTarget& target, const Step& step) {
    const double check = numberAt(step.argument, "cancelAt");
    if (check < 0 || check != std::floor(check) || check > kMaxCheck) {
        throw BadScript("cancelAt must be a whole number from 0 to 1e12");
    }
    target.session().operations().cancelNextAt(static_cast<std::uint64_t>(check));
}

void inspector(ReplayTarget& target, const Step& step);

// Ends the run at once, as a crash would: no clean-up, no line for this step, the recovery copy
// of the last step left where it is. The exit code is 0, since the script asked for it.
void crash(ReplayTarget&, const Step& step) {
    if (!step.argument.is_boolean() || !step.argument.get<bool>()) {
        throw BadScript("crash must be true");
    }
    std::_Exit(0);
}

}  // namespace

StepKind stepKind(std::string_view action) {
    static const std::map<std::string, StepKind, std::less<>> kinds{
        {"command", command},
        {"key", key},
        {"pointer", pointer},
        {"click", [](ReplayTarget& t, const Step& s) { click(t, s, false); }},
        {"doubleClick", [](ReplayTarget& t, const Step& s) { click(t, s, true); }},
        {"drag", drag},
        {"type", [](ReplayTarget& t, const Step& s) { t.type(textAt(s.argument, "type")); }},
        {"orbit", [](ReplayTarget& t, const Step& s) { orbitOrPan(t, s, true); }},
        {"pan", [](ReplayTarget& t, const Step& s) { orbitOrPan(t, s, false); }},
        {"zoom", zoom},
        {"advanceClock", advanceClock},
        {"answer", answer},
        {"cancelAt", cancelAt},
        {"inspector", inspector},
        {"crash", crash},
    };
    const auto it = kinds.find(action);
    return it == kinds.end() ? nullptr : it->second;
}

namespace {

// --- The inspector's operations, by name, with the keys each takes

BodyID bodyAt(DocumentSession& session, const OrderedJson& argument) {
    const auto& bodies = session.document().bodies;
    return bodies[indexAt(member(argument, "body", "inspector"), "body", bodies.size())].id;
}

Uuid sketchAt(DocumentSession& session, const OrderedJson& argument) {
    const auto& sketches = session.document().sketches;
    return sketches[indexAt(member(argument, "sketch", "inspector"), "sketch", sketches.size())].id;
}

struct InspectorOp {
    std::vector<std::string_view> keys;
    void (*run)(DocumentSession& session, const OrderedJson& argument);
};

void selectBody(DocumentSession& s, const OrderedJson& a) {
    const bool extend = find(a, "extend") ? boolAt(a["extend"], "extend") : false;
    s.editing().selectBody(bodyAt(s, a), extend);
}

void renameBody(DocumentSession& s, const OrderedJson& a) {
    const BodyID body = bodyAt(s, a);
    s.editing().renameBody(body, textAt(member(a, "name", "inspector"), "name"));
}

void setActiveSketch(DocumentSession& s, const OrderedJson& a) {
    const OrderedJson& sketch = member(a, "sketch", "inspector");
    s.editing().setActiveSketch(sketch.is_null() ? std::nullopt : std::optional(sketchAt(s, a)));
}

void deleteConstraint(DocumentSession& s, const OrderedJson& a) {
    const Uuid sketch = sketchAt(s, a);
    const std::vector<SketchConstraint> constraints = s.document().sketch(sketch)->constraints;
    const auto index =
        indexAt(member(a, "constraint", "inspector"), "constraint", constraints.size());
    s.editing().deleteConstraint(sketch, constraints[index].id);
}

void setUnits(DocumentSession& s, const OrderedJson& a) {
    const std::string name = textAt(member(a, "units", "inspector"), "units");
    const auto units = fromRawValue<LengthUnit>(name);
    if (!units) throw BadScript("unknown units \"" + name + "\"");
    s.editing().setUnits(*units);
}

const std::map<std::string, InspectorOp, std::less<>>& inspectorOps() {
    using S = DocumentSession;
    using J = OrderedJson;
    static const std::map<std::string, InspectorOp, std::less<>> ops{
        {"selectBody", {{"op", "body", "extend"}, selectBody}},
        {"toggleBodyVisibility",
         {{"op", "body"},
          [](S& s, const J& a) { s.editing().toggleBodyVisibility(bodyAt(s, a)); }}},
        {"renameBody", {{"op", "body", "name"}, renameBody}},
        {"setActiveSketch", {{"op", "sketch"}, setActiveSketch}},
        {"toggleSketchVisibility",
         {{"op", "sketch"},
          [](S& s, const J& a) { s.editing().toggleSketchVisibility(sketchAt(s, a)); }}},
        {"deleteSketch",
         {{"op", "sketch"}, [](S& s, const J& a) { s.editing().deleteSketch(sketchAt(s, a)); }}},
        {"deleteConstraint", {{"op", "sketch", "constraint"}, deleteConstraint}},
        {"setUnits", {{"op", "units"}, setUnits}},
    };
    return ops;
}

void inspector(ReplayTarget& target, const Step& step) {
    const std::string op = textAt(member(step.argument, "op", "inspector"), "op");
    const auto known = inspectorOps().find(op);
    if (known == inspectorOps().end()) throw BadScript("unknown inspector op \"" + op + "\"");
    onlyKeys(step.argument, known->second.keys, op);
    known->second.run(target.session(), step.argument);
}

}  // namespace
}  // namespace brontile::replay
