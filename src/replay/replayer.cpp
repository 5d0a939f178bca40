#include "replay/replayer.hpp"

#include <fstream>
#include <ostream>
#include <sstream>

#include "replay/script_reading.hpp"
#include "replay/session_trace.hpp"
#include "replay/step_kinds.hpp"

namespace brontile::replay {
namespace {

void setViewport(ReplayTarget& target, const OrderedJson& viewport) {
    onlyKeys(viewport, {"width", "height"}, "viewport");
    const double w = numberAt(member(viewport, "width", "viewport"), "viewport width");
    const double h = numberAt(member(viewport, "height", "viewport"), "viewport height");
    if (!(w >= 1 && h >= 1)) throw BadScript("the viewport must be at least 1 × 1");
    target.setViewportSize(w, h);
}

// Runs one step and writes its trace line.
void run(ReplayTarget& target, const OrderedJson& step, std::size_t number, std::ostream& out) {
    if (!step.is_object() || step.empty()) throw BadScript("a step must be an object");
    const std::string action = step.begin().key();
    for (const auto& [key, value] : step.items()) {
        if (key != action && key != "modifiers" && key != "clicks") {
            throw BadScript("unknown key \"" + key + "\"");
        }
    }
    const StepKind kind = stepKind(action);
    if (kind == nullptr) throw BadScript("unknown action \"" + action + "\"");
    kind(target, {step.begin().value(), modifiersAt(find(step, "modifiers")),
                  clicksAt(find(step, "clicks"))});
    target.settle();
    // The recovery copy of this step's state is on disk before its line goes out: a crash in a
    // later step finds it there.
    target.session().files().recovery().flush();
    if (const auto answer = target.takeUnmatchedAnswer()) {
        throw BadScript("the alert answer \"" + *answer + "\" names no button of the alert");
    }
    // Out at once: a run that hangs or crashes in a later step still shows every step before it.
    out << sessionTrace(target.session(), number, target.takeRequests(), target.panelsShown())
               .dump()
        << '\n'
        << std::flush;
}

// The parsed script, or nothing after saying on `err` why it is not one.
std::optional<OrderedJson> parseScript(std::string_view script, std::ostream& err) {
    OrderedJson parsed;
    try {
        parsed = OrderedJson::parse(script);
    } catch (const std::exception& error) {
        err << "bad script: not JSON: " << error.what() << '\n';
        return std::nullopt;
    }
    if (!parsed.is_object() || !parsed.contains("steps") || !parsed["steps"].is_array()) {
        err << "bad script: expected an object with a \"steps\" list\n";
        return std::nullopt;
    }
    for (const auto& [key, value] : parsed.items()) {
        if (key != "steps" && key != "viewport") {
            err << "bad script: unknown key \"" << key << "\"\n";
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace

int replay(std::string_view script, ReplayTarget& target, std::ostream& out, std::ostream& err) {
    const auto parsed = parseScript(script, err);
    if (!parsed) return kBadScript;
    try {
        setViewport(target, parsed->contains("viewport")
                                ? (*parsed)["viewport"]
                                : OrderedJson{{"width", 1200}, {"height", 800}});
    } catch (const BadScript& error) {
        err << "bad script: viewport: " << error.what() << '\n';
        return kBadScript;
    } catch (const std::exception& error) {
        err << "failed at start: " << error.what() << '\n';
        return kFailed;
    }
    std::size_t number = 0;
    try {
        for (const OrderedJson& step : (*parsed)["steps"]) run(target, step, ++number, out);
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

}  // namespace brontile::replay
