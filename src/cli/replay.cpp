#include "cli/replay.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <ostream>
#include <span>
#include <sstream>

#include "cli/replay_target.hpp"
#include "cli/session_trace.hpp"
#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"

namespace brontile::cli {
namespace {

// A script that asks for something it cannot: the message says what, the runner adds the step.
class BadScript : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds that keep a script's run finite: click counts and drag steps, and the fake clock's
// whole run (its dates stay far inside what a document can store).
constexpr double kMaxCount = 1e6;
constexpr double kMaxClock = 1e9;

// Readers of step arguments that refuse anything else with a message naming the argument.
double numberAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_number()) throw BadScript(std::string(what) + " must be a number");
    const double value = json.get<double>();
    if (!std::isfinite(value)) throw BadScript(std::string(what) + " must be finite");
    return value;
}

std::string textAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_string()) throw BadScript(std::string(what) + " must be a string");
    return json.get<std::string>();
}

bool boolAt(const OrderedJson& json, std::string_view what) {
    if (!json.is_boolean()) throw BadScript(std::string(what) + " must be true or false");
    return json.get<bool>();
}

std::vector<double> numbersAt(const OrderedJson& json, std::size_t count, std::string_view what) {
    if (!json.is_array() || json.size() != count) {
        throw BadScript(std::string(what) + " must be a list of " + std::to_string(count) +
                        " numbers");
    }
    std::vector<double> values;
    for (const auto& item : json) values.push_back(numberAt(item, what));
    return values;
}

const OrderedJson& member(const OrderedJson& object, std::string_view key, std::string_view what) {
    if (!object.is_object()) throw BadScript(std::string(what) + " must be an object");
    const auto it = object.find(key);
    if (it == object.end())
        throw BadScript(std::string(what) + " needs \"" + std::string(key) + "\"");
    return *it;
}

// Only the listed keys may appear in the object.
void onlyKeys(const OrderedJson& object, std::span<const std::string_view> keys,
              std::string_view what) {
    for (const auto& [key, value] : object.items()) {
        if (std::ranges::find(keys, key) == keys.end()) {
            throw BadScript(std::string(what) + " has an unknown key \"" + key + "\"");
        }
    }
}

void onlyKeys(const OrderedJson& object, std::initializer_list<std::string_view> keys,
              std::string_view what) {
    onlyKeys(object, std::span(keys.begin(), keys.size()), what);
}

ModifierSet modifiersAt(const OrderedJson* json) {
    ModifierSet set;
    if (json == nullptr) return set;
    if (!json->is_array()) throw BadScript("modifiers must be a list");
    for (const auto& item : *json) {
        const std::string name = textAt(item, "a modifier");
        if (name == "shift") {
            set.insert(ModifierSet::shift);
        } else if (name == "option") {
            set.insert(ModifierSet::option);
        } else if (name == "command") {
            set.insert(ModifierSet::command);
        } else if (name == "control") {
            set.insert(ModifierSet::control);
        } else {
            throw BadScript("unknown modifier \"" + name + "\"");
        }
    }
    return set;
}

const OrderedJson* find(const OrderedJson& object, std::string_view key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// The command line's target: a headless session on a platform that answers from queues.
class SessionTarget final : public ReplayTarget {
public:
    SessionTarget() : session_(platform_) {}

    DocumentSession& session() override { return session_; }
    void setViewportSize(double width, double height) override {
        session_.viewport().viewSize = {width, height};
    }
    void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clicks) override {
        PointerEvent event;
        event.phase = phase;
        event.location = at;
        event.ray = session_.viewport().ray(at);
        event.modifiers = modifiers;
        event.clickCount = clicks;
        session_.viewportPointer(event);
    }
    void key(const KeyPress& press) override { static_cast<void>(session_.viewportKey(press)); }
    void type(const std::string& text) override {
        // Tab submits only when it is what opened the field.
        const bool wasEditing = session_.hudEditing();
        session_.dispatch("hud.edit");
        if (!wasEditing && session_.hudEditing()) static_cast<void>(session_.submitHUDText(text));
    }
    void command(const CommandID& id) override { session_.dispatch(id); }
    void orbit(double deltaX, double deltaY) override { session_.viewportOrbit(deltaX, deltaY); }
    void pan(double deltaX, double deltaY) override { session_.viewportPan(deltaX, deltaY); }
    void zoom(double factor, const Vec2& at) override { session_.viewportZoom(factor, at); }
    [[nodiscard]] double clock() const override { return platform_.monotonicSeconds(); }
    void advanceClock(double seconds) override { platform_.advance(seconds); }
    void answerOpenPanel(std::optional<std::filesystem::path> location) override {
        platform_.answerOpenPanel(std::move(location));
    }
    void answerSavePanel(std::optional<std::filesystem::path> location) override {
        platform_.answerSavePanel(std::move(location));
    }
    void answerAlert(std::string button) override { platform_.answerAlert(std::move(button)); }
    std::vector<Request> takeRequests() override { return platform_.takeRequests(); }
    std::optional<std::string> takeUnmatchedAnswer() override {
        return platform_.takeUnmatchedAnswer();
    }

private:
    ScriptedPlatform platform_{kReplayStart};
    DocumentSession session_;
};

class Replayer {
public:
    Replayer(ReplayTarget& target, std::ostream& out)
        : out_(out), target_(target), session_(target.session()) {}

    void setViewport(const OrderedJson& viewport) {
        onlyKeys(viewport, {"width", "height"}, "viewport");
        const double w = numberAt(member(viewport, "width", "viewport"), "viewport width");
        const double h = numberAt(member(viewport, "height", "viewport"), "viewport height");
        if (!(w >= 1 && h >= 1)) throw BadScript("the viewport must be at least 1 × 1");
        target_.setViewportSize(w, h);
    }

    void run(const OrderedJson& step, std::size_t number) {
        if (!step.is_object() || step.empty()) throw BadScript("a step must be an object");
        const std::string action = step.begin().key();
        const OrderedJson& argument = step.begin().value();
        for (const auto& [key, value] : step.items()) {
            if (key != action && key != "modifiers" && key != "clicks") {
                throw BadScript("unknown key \"" + key + "\"");
            }
        }
        const ModifierSet modifiers = modifiersAt(find(step, "modifiers"));
        const int clicks = clicksAt(find(step, "clicks"));
        perform(action, argument, modifiers, clicks);
        target_.settle();
        if (const auto answer = target_.takeUnmatchedAnswer()) {
            throw BadScript("the alert answer \"" + *answer + "\" names no button of the alert");
        }
        out_ << sessionTrace(session_, number, target_.takeRequests()).dump() << '\n';
    }

private:
    static int clicksAt(const OrderedJson* json) {
        if (json == nullptr) return 1;
        return static_cast<int>(wholeNumberAt(*json, "clicks", kMaxCount));
    }

    // A whole number from 1 to `max`.
    static double wholeNumberAt(const OrderedJson& json, std::string_view what, double max) {
        const double value = numberAt(json, what);
        if (value < 1 || value > max || value != std::floor(value)) {
            throw BadScript(std::string(what) + " must be a whole number from 1 to " +
                            OrderedJson(max).dump());
        }
        return value;
    }

    // A point object, {"world": [x, y, z]} or {"screen": [x, y]} and nothing else.
    Vec2 pointAt(const OrderedJson& point, std::string_view what) {
        if (!point.is_object()) throw BadScript(std::string(what) + " must be an object");
        onlyKeys(point, {"world", "screen"}, what);
        return screenPoint(point);
    }

    // The view point of {"world": [x, y, z]} or {"screen": [x, y]}, one of them.
    Vec2 screenPoint(const OrderedJson& point) {
        if (find(point, "screen") && find(point, "world")) {
            throw BadScript("a point takes \"world\" or \"screen\", not both");
        }
        if (const OrderedJson* screen = find(point, "screen")) {
            const auto xy = numbersAt(*screen, 2, "screen");
            return {xy[0], xy[1]};
        }
        if (const OrderedJson* world = find(point, "world")) {
            const auto p = numbersAt(*world, 3, "world");
            const ViewportState& viewport = session_.viewport();
            const auto at = viewport.camera.viewPoint({p[0], p[1], p[2]}, viewport.viewSize);
            if (!at) throw BadScript("the world point lies behind the camera");
            return *at;
        }
        throw BadScript("a point needs \"world\" or \"screen\"");
    }

    void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clicks) {
        target_.pointer(phase, at, modifiers, clicks);
    }

    void perform(const std::string& action, const OrderedJson& argument, ModifierSet modifiers,
                 int clicks) {
        if (action == "command") return target_.command(CommandID(textAt(argument, "command")));
        if (action == "key") {
            const std::string key = textAt(argument, "key");
            if (key.empty()) throw BadScript("key must not be empty");
            return target_.key(KeyPress{key, modifiers});
        }
        if (action == "pointer") {
            onlyKeys(argument, {"phase", "world", "screen", "modifiers", "clicks"}, "pointer");
            const std::string phaseName = textAt(member(argument, "phase", "pointer"), "phase");
            const auto phase = fromRawValue<PointerPhase>(phaseName);
            if (!phase) throw BadScript("unknown pointer phase \"" + phaseName + "\"");
            const ModifierSet own = modifiersAt(find(argument, "modifiers"));
            const int count =
                find(argument, "clicks") ? clicksAt(find(argument, "clicks")) : clicks;
            return pointer(*phase, screenPoint(argument), own | modifiers, count);
        }
        if (action == "click" || action == "doubleClick") {
            const Vec2 at = pointAt(argument, action);
            pointer(PointerPhase::move, at, modifiers, 1);
            pointer(PointerPhase::down, at, modifiers, 1);
            pointer(PointerPhase::up, at, modifiers, 1);
            if (action == "doubleClick") {
                pointer(PointerPhase::down, at, modifiers, 2);
                pointer(PointerPhase::up, at, modifiers, 2);
            }
            return;
        }
        if (action == "drag") {
            onlyKeys(argument, {"from", "to", "steps", "modifiers"}, "drag");
            const Vec2 from = pointAt(member(argument, "from", "drag"), "from");
            const Vec2 to = pointAt(member(argument, "to", "drag"), "to");
            int steps = 8;
            if (const OrderedJson* n = find(argument, "steps")) {
                steps = static_cast<int>(wholeNumberAt(*n, "steps", kMaxCount));
            }
            const ModifierSet held = modifiersAt(find(argument, "modifiers")) | modifiers;
            pointer(PointerPhase::move, from, held, 1);
            pointer(PointerPhase::down, from, held, 1);
            for (int i = 1; i <= steps; ++i) {
                const Vec2 at = i == steps ? to : from + (to - from) * (double(i) / steps);
                pointer(PointerPhase::drag, at, held, 1);
            }
            return pointer(PointerPhase::up, to, held, 1);
        }
        if (action == "type") {
            return target_.type(textAt(argument, "type"));
        }
        if (action == "orbit" || action == "pan") {
            const auto d = numbersAt(argument, 2, action);
            return action == "orbit" ? target_.orbit(d[0], d[1]) : target_.pan(d[0], d[1]);
        }
        if (action == "zoom") {
            onlyKeys(argument, {"factor", "screen"}, "zoom");
            const double factor = numberAt(member(argument, "factor", "zoom"), "factor");
            if (!(factor > 0)) throw BadScript("factor must be greater than zero");
            const auto at = numbersAt(member(argument, "screen", "zoom"), 2, "screen");
            return target_.zoom(factor, {at[0], at[1]});
        }
        if (action == "advanceClock") {
            const double seconds = numberAt(argument, "advanceClock");
            if (seconds < 0) throw BadScript("advanceClock must not go back");
            if (target_.clock() + seconds > kMaxClock) {
                throw BadScript("the clock may run at most 1e9 s (about 31 years) in a script");
            }
            return target_.advanceClock(seconds);
        }
        if (action == "answer") return answer(argument);
        if (action == "inspector") return inspector(argument);
        throw BadScript("unknown action \"" + action + "\"");
    }

    void answer(const OrderedJson& argument) {
        if (!argument.is_object() || argument.size() != 1) {
            throw BadScript("answer must name one of openPanel, savePanel or alert");
        }
        const std::string kind = argument.begin().key();
        const OrderedJson& value = argument.begin().value();
        const auto location = [&]() -> std::optional<std::filesystem::path> {
            if (value.is_null()) return std::nullopt;
            return std::filesystem::path(textAt(value, kind));
        };
        if (kind == "openPanel") return target_.answerOpenPanel(location());
        if (kind == "savePanel") return target_.answerSavePanel(location());
        if (kind == "alert") return target_.answerAlert(textAt(value, "alert"));
        throw BadScript("answer must name one of openPanel, savePanel or alert");
    }

    BodyID bodyAt(const OrderedJson& argument) {
        const auto index = indexAt(member(argument, "body", "inspector"), "body",
                                   session_.document().bodies.size());
        return session_.document().bodies[index].id;
    }

    Uuid sketchAt(const OrderedJson& argument) {
        const auto index = indexAt(member(argument, "sketch", "inspector"), "sketch",
                                   session_.document().sketches.size());
        return session_.document().sketches[index].id;
    }

    static std::size_t indexAt(const OrderedJson& json, std::string_view what, std::size_t size) {
        const double value = numberAt(json, what);
        if (value < 0 || value != std::floor(value) || value >= static_cast<double>(size)) {
            throw BadScript(std::string(what) + " index " + json.dump() + " is out of range");
        }
        return static_cast<std::size_t>(value);
    }

    void inspector(const OrderedJson& argument) {
        const std::string op = textAt(member(argument, "op", "inspector"), "op");
        static const std::map<std::string, std::vector<std::string_view>, std::less<>> kArguments{
            {"selectBody", {"op", "body", "extend"}},
            {"toggleBodyVisibility", {"op", "body"}},
            {"renameBody", {"op", "body", "name"}},
            {"setActiveSketch", {"op", "sketch"}},
            {"toggleSketchVisibility", {"op", "sketch"}},
            {"deleteSketch", {"op", "sketch"}},
            {"deleteConstraint", {"op", "sketch", "constraint"}},
            {"setUnits", {"op", "units"}},
        };
        const auto known = kArguments.find(op);
        if (known == kArguments.end()) throw BadScript("unknown inspector op \"" + op + "\"");
        onlyKeys(argument, known->second, op);
        if (op == "selectBody") {
            const bool extend =
                find(argument, "extend") ? boolAt(argument["extend"], "extend") : false;
            return session_.selectBody(bodyAt(argument), extend);
        }
        if (op == "toggleBodyVisibility") return session_.toggleBodyVisibility(bodyAt(argument));
        if (op == "renameBody") {
            const BodyID body = bodyAt(argument);
            return session_.renameBody(body, textAt(member(argument, "name", "inspector"), "name"));
        }
        if (op == "setActiveSketch") {
            const OrderedJson& sketch = member(argument, "sketch", "inspector");
            return session_.setActiveSketch(sketch.is_null() ? std::nullopt
                                                             : std::optional(sketchAt(argument)));
        }
        if (op == "toggleSketchVisibility")
            return session_.toggleSketchVisibility(sketchAt(argument));
        if (op == "deleteSketch") return session_.deleteSketch(sketchAt(argument));
        if (op == "deleteConstraint") {
            const Uuid sketch = sketchAt(argument);
            const std::vector<SketchConstraint> constraints =
                session_.document().sketch(sketch)->constraints;
            const auto index = indexAt(member(argument, "constraint", "inspector"), "constraint",
                                       constraints.size());
            return session_.deleteConstraint(sketch, constraints[index].id);
        }
        if (op == "setUnits") {
            const std::string name = textAt(member(argument, "units", "inspector"), "units");
            const auto units = fromRawValue<LengthUnit>(name);
            if (!units) throw BadScript("unknown units \"" + name + "\"");
            return session_.setUnits(*units);
        }
        throw BadScript("unknown inspector op \"" + op + "\"");
    }

    std::ostream& out_;
    ReplayTarget& target_;
    DocumentSession& session_;
};

}  // namespace

int replay(std::string_view script, std::ostream& out, std::ostream& err) {
    // The same script names everything the same way on every run.
    const ScopedUuidSeed seed(kReplaySeed);
    std::optional<SessionTarget> target;
    try {
        target.emplace();
    } catch (const std::exception& error) {
        err << "failed at start: " << error.what() << '\n';
        return kFailed;
    }
    return replay(script, *target, out, err);
}

int replay(std::string_view script, ReplayTarget& target, std::ostream& out, std::ostream& err) {
    OrderedJson parsed;
    try {
        parsed = OrderedJson::parse(script);
    } catch (const std::exception& error) {
        err << "bad script: not JSON: " << error.what() << '\n';
        return kBadScript;
    }
    if (!parsed.is_object() || !parsed.contains("steps") || !parsed["steps"].is_array()) {
        err << "bad script: expected an object with a \"steps\" list\n";
        return kBadScript;
    }
    for (const auto& [key, value] : parsed.items()) {
        if (key != "steps" && key != "viewport") {
            err << "bad script: unknown key \"" << key << "\"\n";
            return kBadScript;
        }
    }
    std::size_t number = 0;
    try {
        Replayer replayer(target, out);
        try {
            replayer.setViewport(parsed.contains("viewport")
                                     ? parsed["viewport"]
                                     : OrderedJson{{"width", 1200}, {"height", 800}});
        } catch (const BadScript& error) {
            err << "bad script: viewport: " << error.what() << '\n';
            return kBadScript;
        }
        for (const OrderedJson& step : parsed["steps"]) {
            ++number;
            replayer.run(step, number);
        }
    } catch (const BadScript& error) {
        err << "bad script: step " << number << ": " << error.what() << '\n';
        return kBadScript;
    } catch (const std::exception& error) {
        err << "failed at step " << number << ": " << error.what() << '\n';
        return kFailed;
    }
    return kReplayed;
}

std::optional<std::string> readScript(const std::filesystem::path& script, std::ostream& err) {
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        err << "bad script: cannot read " << script << '\n';
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int replayFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err) {
    const auto text = readScript(script, err);
    return text ? replay(*text, out, err) : kBadScript;
}

}  // namespace brontile::cli
