// File ▸ Import: a part file chosen, its unit asked when the file does not say, read off the
// window's thread with progress and cancel, and its solids added as bodies in one step "Import",
// selected and framed. A body that is not closed comes in flagged on the status line; a file
// that cannot be read is refused on the error line, and nothing changes.
#pragma once

#include <filesystem>

#include "io/imported_part.hpp"
#include "session/interaction_state.hpp"
#include "session/operation_runner.hpp"
#include "session/session_platform.hpp"
#include "session/status_lines.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class ImportFlow {
public:
    // Everything given must outlive the flow.
    ImportFlow(SessionPlatform& platform, InteractionState& state, StatusLines& status,
               ViewportState& viewport, OperationRunner& runner)
        : platform_(platform),
          state_(state),
          status_(status),
          viewport_(viewport),
          runner_(runner) {}

    // Asks for the file, then imports it.
    void importPart();
    void importPartAt(const std::filesystem::path& file);

private:
    void add(const ImportedPart& part, const std::filesystem::path& file);

    SessionPlatform& platform_;
    InteractionState& state_;
    StatusLines& status_;
    ViewportState& viewport_;
    OperationRunner& runner_;
};

}  // namespace brontile
