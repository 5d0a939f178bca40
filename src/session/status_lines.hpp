// The two lines under the viewport that speak for the whole session: the transient message
// ("Saved part.brontdoc", "Section view on") and the last error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/session_notifier.hpp"
#include "sketch/sketch_constraint.hpp"

namespace brontile {

class StatusLines {
public:
    explicit StatusLines(SessionNotifier& notifier) : notifier_(notifier) {}

    [[nodiscard]] const std::optional<std::string>& message() const { return message_; }
    [[nodiscard]] const std::optional<std::string>& error() const { return error_; }

    void setMessage(std::optional<std::string> message) {
        notifier_.publish(message_, std::move(message), SessionProperty::statusMessage);
    }
    // The sketch constraints the error is about, marked in the view while it shows.
    [[nodiscard]] const std::vector<SketchConstraintSel>& involvedConstraints() const {
        return involved_;
    }

    void showError(std::string error, std::vector<SketchConstraintSel> involved = {}) {
        // The marks change with the text, so observers of the error see both at once.
        involved_ = std::move(involved);
        notifier_.publish(error_, std::optional(std::move(error)), SessionProperty::errorMessage);
    }
    // An error stays until the person closes it or something they do next succeeds (a recorded
    // change, a file operation, choosing a tool): then it no longer describes the document.
    void dismissError() {
        involved_.clear();
        if (error_)
            notifier_.publish(error_, std::optional<std::string>(), SessionProperty::errorMessage);
    }

private:
    SessionNotifier& notifier_;
    std::optional<std::string> message_;
    std::optional<std::string> error_;
    std::vector<SketchConstraintSel> involved_;
};

}  // namespace brontile
