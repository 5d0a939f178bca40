// Replays a script of user actions against a real session on a scripted platform, printing one
// JSON line of session state after every step. The program's own end-to-end test driver, and the
// way to reproduce a bug report.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/replay_target.hpp"

namespace brontile::cli {

// Exit codes: the script ran to its end; a bad script (unreadable JSON, an unknown action, a
// missing or wrong argument); anything else that went wrong.
inline constexpr int kReplayed = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadScript = 2;

// Runs the script text; trace lines go to `out`, the error (naming the step, counted from 1) to
// `err`.
// The headless session is made under the replay seed, so its names repeat from run to run.
int replay(std::string_view script, std::ostream& out, std::ostream& err);
int replayFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err);
// The same against any target (the caller made it under the replay seed).
int replay(std::string_view script, ReplayTarget& target, std::ostream& out, std::ostream& err);
// The script's text; nothing, after saying so on `err`, when it cannot be read.
[[nodiscard]] std::optional<std::string> readScript(const std::filesystem::path& script,
                                                    std::ostream& err);

}  // namespace brontile::cli
