// Replays against a session with no window: the panels and alerts are answered from the
// script's queues, the clock moves only when the script says so, and the window's own panels
// are remembered as shown.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string_view>

#include "replay/replay_target.hpp"

namespace brontile::replay {

class HeadlessTarget final : public ReplayTarget {
public:
    HeadlessTarget() : session_(platform_) { platform_.previewAfterEachStep(); }

    DocumentSession& session() override { return session_; }
    void setViewportSize(double width, double height) override {
        session_.viewport().viewSize = {width, height};
    }
    void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clicks) override {
        session_.input().pointer(phase, at, modifiers, clicks);
    }
    void key(const KeyPress& press) override { static_cast<void>(session_.input().key(press)); }
    void type(const std::string& text) override;
    void command(const CommandID& id) override { session_.dispatch(id); }
    void moveCamera(const CameraMotion& motion) override { session_.input().moveCamera(motion); }
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
    [[nodiscard]] PanelsShown panelsShown() const override {
        return {platform_.isShowing(WindowPanel::commandPalette),
                platform_.isShowing(WindowPanel::shortcutSheet)};
    }
    // A step's drag previews, only the newest of which is worked out.
    void settle() override { platform_.runPreviews(); }

private:
    ScriptedPlatform platform_{kReplayStart};
    DocumentSession session_;
};

// A replay keeps recovery copies only in the store BRONTILE_RECOVERY_DIR names, never in the
// person's own: a script's documents are nobody's work.
void useRecoveryStoreIfAsked(DocumentSession& session);

// Runs the script against a new headless session made under the replay seed, so that its names
// repeat from run to run.
int replayHeadless(std::string_view script, std::ostream& out, std::ostream& err);
int replayFile(const std::filesystem::path& script, std::ostream& out, std::ostream& err);

}  // namespace brontile::replay
