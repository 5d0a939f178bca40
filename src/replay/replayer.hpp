// Plays a script of user actions against a replay target, writing one JSON line of session
// state after every step. The program's own end-to-end test driver, and the way to reproduce a
// bug report.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "replay/replay_target.hpp"

namespace brontile::replay {

// Exit codes: the script ran to its end; anything else that went wrong; a bad script
// (unreadable JSON, an unknown action, a missing or wrong argument).
inline constexpr int kReplayed = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadScript = 2;

// Runs the script text against the target (made under the replay seed by the caller); trace
// lines go to `out`, the error (naming the step, counted from 1) to `err`.
int replay(std::string_view script, ReplayTarget& target, std::ostream& out, std::ostream& err);
// The script's text; nothing, after saying so on `err`, when it cannot be read.
[[nodiscard]] std::optional<std::string> readScript(const std::filesystem::path& script,
                                                    std::ostream& err);

}  // namespace brontile::replay
