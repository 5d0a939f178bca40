// Reading the building blocks of documents: dates that open can always be saved again, and
// messages about bad values stay short however long the value is.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/json_codec.hpp"

namespace brontile {
namespace {

enum class Finish { matte, gloss };

}  // namespace

template <>
struct RawValueCases<Finish> {
    static constexpr std::array<RawValueCase<Finish>, 2> cases{{
        {Finish::matte, "matte"},
        {Finish::gloss, "gloss"},
    }};
};

namespace {

// Reads `text` as a T stored under the key "value", so that messages name a place.
template <class T>
T readMember(const std::string& text) {
    const Json document = Json::object({{"value", text}});
    return JsonReader(document)["value"].as<T>();
}

// The message of the JsonDecodeError that `read` throws, or a note that it threw none. A huge
// message comes back as its start and its size, so that a failing check prints little.
template <class Read>
std::string decodeMessage(Read read) {
    try {
        read();
    } catch (const JsonDecodeError& e) {
        const std::string message = e.what();
        if (message.size() < 1000) return message;
        return message.substr(0, 200) + "... (" + std::to_string(message.size()) + " bytes)";
    }
    return "(no error)";
}

TEST(DatesWhenRead, OpenOnlyWhatCanBeSavedAgain) {
    // Offsets move a date across midnight of the first or last storable year.
    const struct {
        std::string written;
        std::string saved;
    } storable[] = {
        {"0000-01-01T01:00:00+01:00", "0000-01-01T00:00:00Z"},
        {"9999-12-31T22:59:59-01:00", "9999-12-31T23:59:59Z"},
        {"2025-03-01T00:30:00-02:30", "2025-03-01T03:00:00Z"},
    };
    for (const auto& date : storable) {
        const DateTime time = readMember<DateTime>(date.written);
        EXPECT_EQ(toJsonText(time), '"' + date.saved + '"') << date.written;
    }
    for (const std::string outside : {"0000-01-01T00:30:00+01:00", "9999-12-31T23:30:00-01:00"}) {
        EXPECT_EQ(decodeMessage([&] { (void)readMember<DateTime>(outside); }),
                  "Date \"" + outside + "\" lies outside the years 0000 to 9999 in UTC (at value)");
    }
}

TEST(DecodeMessages, QuoteAShortExcerptOfLongText) {
    const std::string huge(16 << 20, 'a');
    const std::string excerpt = std::string(80, 'a') + "\u2026";
    const struct {
        std::string name;
        std::function<void()> read;
        std::string message;
    } rows[] = {
        {"uuid", [&] { (void)readMember<Uuid>(huge); },
         "Invalid UUID \"" + excerpt + "\" (at value)"},
        {"date", [&] { (void)readMember<DateTime>(huge); },
         "Invalid date \"" + excerpt +
             "\"; expected ISO 8601 such as 2025-03-01T14:05:09Z (at value)"},
        {"raw value", [&] { (void)readMember<Finish>(huge); },
         "Unknown value \"" + excerpt + "\"; expected one of \"matte\" or \"gloss\" (at value)"},
    };
    for (const auto& row : rows) EXPECT_EQ(decodeMessage(row.read), row.message) << row.name;
    // A string broken off by a control character: the parser quotes what it read of it.
    const std::string malformed = decodeMessage([&] { (void)parseJsonText('"' + huge + '\x01'); });
    EXPECT_TRUE(malformed.starts_with("Malformed JSON: parse error at line 1, column "))
        << malformed;
    EXPECT_TRUE(malformed.ends_with("; last read: '\"" + std::string(79, 'a') + "\u2026'"))
        << malformed;
}

}  // namespace
}  // namespace brontile
