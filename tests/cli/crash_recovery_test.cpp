// A replay that crashes at any step leaves the state of the step before in the recovery store:
// the command line run as a person would, crashed at each step of a short session in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/recover_commands.hpp"
#include "support/scratch_directory.hpp"

namespace brontile::cli {
namespace {

using Json = nlohmann::json;

const std::vector<std::string> kSteps{
    R"({"command": "tool.rectangle"})",
    R"({"click": {"world": [-20, -15, 0]}})",
    R"({"click": {"world": [20, 15, 0]}})",
    R"({"command": "tool.circle"})",
    R"({"click": {"world": [0, 0, 0]}})",
    R"({"type": "6"})",
    R"({"command": "tool.extrude"})",
    R"({"click": {"world": [-15, -10, 0]}})",
    R"({"type": "20"})",
    R"({"command": "edit.undo"})",
};

// The session's lines, run with the crash after `crashAfter` steps.
std::vector<Json> runCrashing(const test::ScratchDirectory& scratch, std::size_t crashAfter) {
    std::string script = R"({"steps": [)";
    for (std::size_t i = 0; i < kSteps.size(); ++i) {
        if (i == crashAfter) script += R"({"crash": true}, )";
        script += kSteps[i] + (i + 1 < kSteps.size() ? ", " : "");
    }
    if (crashAfter == kSteps.size()) script += R"(, {"crash": true})";
    script += "]}";
    const auto scriptPath = scratch.path() / "script.json";
    std::ofstream(scriptPath) << script;
    const auto tracePath = scratch.path() / "trace.jsonl";
    const std::string command = "BRONTILE_RECOVERY_DIR='" + (scratch.path() / "store").string() +
                                "' '" BRONTILE_CLI_PROGRAM "' replay '" + scriptPath.string() +
                                "' > '" + tracePath.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << crashAfter;
    std::vector<Json> lines;
    std::ifstream trace(tracePath);
    for (std::string line; std::getline(trace, line);) lines.push_back(Json::parse(line));
    return lines;
}

TEST(CrashRecovery, EveryCrashLeavesTheLastStepsStateAndNothingDamaged) {
    for (std::size_t crashAfter = 1; crashAfter <= kSteps.size(); ++crashAfter) {
        SCOPED_TRACE(crashAfter);
        test::ScratchDirectory scratch;
        const auto lines = runCrashing(scratch, crashAfter);
        ASSERT_EQ(lines.size(), crashAfter) << "no line after the crash";
        const RecoveryStore store(scratch.path() / "store");
        const auto left = store.leftovers();
        const Json& last = lines.back();
        if (!last["isDirty"].get<bool>()) {
            EXPECT_TRUE(left.empty());
            continue;
        }
        ASSERT_EQ(left.size(), 1U);
        EXPECT_FALSE(left[0].damage);
        const CADDocument recovered = store.load(left[0].folder);
        const Json& expected = last["document"];
        EXPECT_EQ(recovered.bodies.size(), expected["bodies"].size());
        ASSERT_EQ(recovered.sketches.size(), expected["sketches"].size());
        if (!recovered.sketches.empty()) {
            EXPECT_EQ(recovered.sketches[0].entities.size(),
                      expected["sketches"][0]["entities"].size());
        }
        for (std::size_t b = 0; b < recovered.bodies.size(); ++b) {
            EXPECT_NEAR(recovered.bodies[b].mesh.volume(),
                        expected["bodies"][b]["volume"].get<double>(), 1e-6);
        }
    }
}

}  // namespace
}  // namespace brontile::cli
