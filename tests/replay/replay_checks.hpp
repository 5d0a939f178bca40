// Running replay scripts in tests and reading their traces.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "replay/headless_target.hpp"
#include "replay/replayer.hpp"

namespace brontile::test {

using Json = replay::OrderedJson;

// What a headless replay of a script gave: its exit code, trace lines and error text.
struct Replayed {
    int code = 0;
    std::vector<Json> lines;
    std::string error;
};

inline Replayed runReplay(std::string_view script) {
    std::ostringstream out;
    std::ostringstream err;
    Replayed result;
    result.code = replay::replayHeadless(script, out, err);
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);) result.lines.push_back(Json::parse(line));
    result.error = err.str();
    return result;
}

// The trace lines of a script, given as text, that must run to its end.
inline std::vector<Json> replayedText(std::string_view script) {
    Replayed result = runReplay(script);
    EXPECT_EQ(result.code, replay::kReplayed) << result.error;
    return std::move(result.lines);
}

inline std::vector<Json> replayed(const Json& script) { return replayedText(script.dump()); }

// Steps that draw a 20 × 10 rectangle at the origin and extrude it by a typed 10: a box,
// selected, after 6 lines of trace.
inline const std::string kBoxSteps = R"(
    {"command": "tool.rectangle"},
    {"click": {"world": [0, 0, 0]}},
    {"click": {"world": [20, 10, 0]}},
    {"command": "tool.extrude"},
    {"click": {"world": [10, 5, 0]}},
    {"type": "10"})";

// The trace of the box steps followed by `steps` (a comma-separated list of step objects).
inline std::vector<Json> replayAfterBox(const std::string& steps) {
    return replayedText(R"({"steps": [)" + kBoxSteps + "," + steps + "]}");
}

// A body's volume in a trace line.
inline double volume(const Json& line, std::size_t body = 0) {
    return line["document"]["bodies"][body]["volume"].get<double>();
}

inline std::vector<std::string> bodyNames(const Json& line) {
    std::vector<std::string> names;
    for (const auto& body : line["document"]["bodies"]) names.push_back(body["name"]);
    return names;
}

}  // namespace brontile::test
