// The two lines under the viewport that speak for the whole session: the transient message
// ("Saved part.brontdoc", "Section view on") and the last error.
#pragma once

#include <optional>
#include <string>

#include "session/session_notifier.hpp"

namespace brontile {

class StatusLines {
public:
    explicit StatusLines(SessionNotifier& notifier) : notifier_(notifier) {}

    [[nodiscard]] const std::optional<std::string>& message() const { return message_; }
    [[nodiscard]] const std::optional<std::string>& error() const { return error_; }

    void setMessage(std::optional<std::string> message) {
        notifier_.publish(message_, std::move(message), SessionProperty::statusMessage);
    }
    void showError(std::string error) {
        notifier_.publish(error_, std::optional(std::move(error)), SessionProperty::errorMessage);
    }
    // An error stays until the person closes it or something they do next succeeds (a recorded
    // change, a file operation, choosing a tool): then it no longer describes the document.
    void dismissError() {
        if (error_)
            notifier_.publish(error_, std::optional<std::string>(), SessionProperty::errorMessage);
    }

private:
    SessionNotifier& notifier_;
    std::optional<std::string> message_;
    std::optional<std::string> error_;
};

}  // namespace brontile
