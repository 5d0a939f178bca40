// Whether an operation is refused with the expected kind of error, and with which message.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brontile::test {

// Runs `run`, which must throw an `E` whose kind() is `kind` and, when one is given, whose
// message is `message`. The failure says what happened instead. Other exceptions pass through
// and fail the test on their own.
template <class E, class Run>
testing::AssertionResult throwsKind(Run&& run, typename E::Kind kind,
                                    const std::optional<std::string>& message = std::nullopt) {
    try {
        (void)run();
    } catch (const E& error) {
        if (error.kind() != kind) {
            return testing::AssertionFailure()
                   << "refused as kind " << static_cast<int>(error.kind()) << ", not "
                   << static_cast<int>(kind) << ": " << error.what();
        }
        if (message && error.what() != *message) {
            return testing::AssertionFailure()
                   << "refused with \"" << error.what() << "\" instead of \"" << *message << '"';
        }
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "was not refused";
}

// The message of the `E` that `run` throws, or "(not refused)"; other exceptions pass through.
template <class E, class Run>
std::string refusalMessage(Run&& run) {
    try {
        (void)run();
    } catch (const E& error) {
        return error.what();
    }
    return "(not refused)";
}

}  // namespace brontile::test
