// Round trips through the JSON form: a value written and read back is equal and writes the same
// text again.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <optional>
#include <string>

#include "base/json_codec.hpp"
#include "support/test_data.hpp"

namespace brontile::test {

// The failure gives the reader's message, or where the second text departs from the first (no
// difference: the JSON form leaves out a field that equality compares).
template <class T>
testing::AssertionResult roundTripsThroughJson(const T& value) {
    const std::string text = toJsonText(value);
    std::optional<T> back;
    try {
        back = fromJsonText<T>(text);
    } catch (const std::exception& error) {
        return testing::AssertionFailure() << "does not read back: " << error.what();
    }
    const std::string again = toJsonText(*back);
    if (again == text && *back == value) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "reads back changed: " << describeFirstDifference(text, again) << "\n"
           << text;
}

}  // namespace brontile::test
