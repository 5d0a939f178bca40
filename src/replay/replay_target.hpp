// What a replayed script acts on: a headless session on a scripted platform (brontile-cli), or
// the real window (brontile --replay), which turns each action into the events a person's mouse,
// keyboard and dialogs would give it. The script reader is the same for both.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.hpp"
#include "replay/session_trace.hpp"
#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"
#include "viewport/camera_motion.hpp"

namespace brontile::replay {

// Every replay names things and dates files the same way: identities come from this seed and
// the clock starts at this moment.
inline constexpr std::uint64_t kReplaySeed = 0x42726F6E74696C65;  // "Brontile"
inline const DateTime kReplayStart =
    DateTime{} + std::chrono::seconds(1'767'225'600);  // 2026-01-01

class ReplayTarget {
public:
    using Request = ScriptedPlatform::Request;

    ReplayTarget() = default;
    ReplayTarget(const ReplayTarget&) = delete;
    ReplayTarget& operator=(const ReplayTarget&) = delete;
    virtual ~ReplayTarget() = default;

    // The session whose state the trace reports.
    [[nodiscard]] virtual DocumentSession& session() = 0;
    // The viewport's size in points, before the first step.
    virtual void setViewportSize(double width, double height) = 0;

    // A primary-button press, drag, release or hover at a view point.
    virtual void pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers, int clicks) = 0;
    virtual void key(const KeyPress& press) = 0;
    // Text typed into the HUD's value field, opening it first as Tab does.
    virtual void type(const std::string& text) = 0;
    virtual void command(const CommandID& id) = 0;
    // An orbit or pan drag, or a zoom at a view point.
    virtual void moveCamera(const CameraMotion& motion) = 0;

    // Seconds on the platform's clock since the replay began.
    [[nodiscard]] virtual double clock() const = 0;
    // Moves the platform's clock on, firing the timers that fall due.
    virtual void advanceClock(double seconds) = 0;

    // Answers for the next panel or alert of each kind; an alert's answer names its button.
    virtual void answerOpenPanel(std::optional<std::filesystem::path> location) = 0;
    virtual void answerSavePanel(std::optional<std::filesystem::path> location) = 0;
    virtual void answerAlert(std::string button) = 0;
    // The panels and alerts asked since the last call, oldest first.
    [[nodiscard]] virtual std::vector<Request> takeRequests() = 0;
    // An alert answer that named no button of the alert it was given to, since the last call.
    [[nodiscard]] virtual std::optional<std::string> takeUnmatchedAnswer() = 0;
    // Which of the window's own panels are open.
    [[nodiscard]] virtual PanelsShown panelsShown() const = 0;

    // After every step, before its trace line: the window lets a frame draw.
    virtual void settle() {}
};

}  // namespace brontile::replay
