// JSON in its building blocks: the streaming writer gives valid, pretty-printed JSON whose numbers
// and strings read back exactly and catches misuse rather than writing it; dates that open can
// always be saved again; and messages about bad values stay short however long the value is.
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
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
    const DateTime future = std::chrono::sys_days{std::chrono::year{12000} / 1 / 1};
    EXPECT_THROW((void)toJsonText(future), JsonEncodeError)
        << "nor is a date saved that cannot open";
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

template <class T>
std::string written(T value) {
    JsonWriter out;
    out.value(value);
    return std::move(out).finish();
}

TEST(JsonWriterNumbers, EveryFiniteDoubleReadsBackBitForBit) {
    std::mt19937_64 random(20261206);
    for (int i = 0; i < 200'000; ++i) {
        const double number = std::bit_cast<double>(random());
        if (!std::isfinite(number)) continue;
        const Json parsed = Json::parse(written(number));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(parsed.get<double>()),
                  std::bit_cast<std::uint64_t>(number))
            << written(number);
    }
}

TEST(JsonWriterNumbers, ShortestFormsAndSignedZero) {
    EXPECT_EQ(written(0.1), "0.1");
    EXPECT_EQ(written(320.0), "320");
    EXPECT_EQ(written(-2.5e-8), "-2.5e-08");
    EXPECT_EQ(written(-0.0), "-0.0");
    EXPECT_TRUE(std::signbit(Json::parse(written(-0.0)).get<double>()));
    EXPECT_THROW(written(std::numeric_limits<double>::quiet_NaN()), JsonEncodeError);
    EXPECT_THROW(written(-std::numeric_limits<double>::infinity()), JsonEncodeError);
    EXPECT_EQ(written(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(JsonWriterStrings, EscapesWhatJsonRequiresKeepsUnicodeAndRefusesOtherBytes) {
    const std::string text = "quote \" backslash \\ newline \n tab \t bell \x07 ünïcode ✓ 😀";
    const std::string json = written(std::string_view(text));
    EXPECT_NE(json.find("\\u0007"), std::string::npos);
    EXPECT_NE(json.find("ünïcode ✓ 😀"), std::string::npos);
    EXPECT_EQ(Json::parse(json).get<std::string>(), text);
    // Text that is not UTF-8 is refused.
    for (const std::string bad :
         {"\xff", "a\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        EXPECT_THROW(JsonWriter().value(bad), JsonEncodeError) << bad.size();
    }
}

TEST(JsonWriterLayout, PrettyPrintsNestedAndEmptyContainers) {
    JsonWriter out;
    out.beginObject().key("a").beginArray().value(std::int64_t{1});
    out.beginObject().endObject().endArray();
    out.key("b").beginArray().endArray().key("c").value(true).endObject();
    EXPECT_EQ(std::move(out).finish(),
              "{\n  \"a\": [\n    1,\n    {}\n  ],\n  \"b\": [],\n  \"c\": true\n}");
}

TEST(JsonWriterMisuse, IsAProgrammingErrorNotBadOutput) {
    EXPECT_THROW(JsonWriter().beginObject().key("b").value(true).key("a"), std::logic_error)
        << "keys must ascend";
    EXPECT_THROW(JsonWriter().beginObject().key("a").value(true).key("a"), std::logic_error);
    EXPECT_THROW(JsonWriter().beginObject().value(true), std::logic_error) << "value without key";
    EXPECT_THROW(JsonWriter().beginArray().key("a"), std::logic_error);
    EXPECT_THROW(JsonWriter().beginArray().endObject(), std::logic_error);
    EXPECT_THROW(JsonWriter().beginObject().key("a").endObject(), std::logic_error);
    EXPECT_THROW(std::move(JsonWriter().beginArray()).finish(), std::logic_error);
    JsonWriter twice;
    twice.value(true);
    EXPECT_THROW(twice.value(false), std::logic_error);
}

}  // namespace
}  // namespace brontile
