// The streaming JSON writer: the text it produces is valid, pretty-printed JSON whose numbers and
// strings read back exactly, and misuse is caught rather than written.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>

#include "base/json_codec.hpp"

namespace brontile {
namespace {

std::string written(double number) {
    JsonWriter out;
    out.value(number);
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

    JsonWriter out;
    out.value(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(std::move(out).finish(), "-9223372036854775808");
}

TEST(JsonWriterStrings, EscapesWhatJsonRequiresKeepsUnicodeAndRefusesOtherBytes) {
    const std::string text = "quote \" backslash \\ newline \n tab \t bell \x07 ünïcode ✓ 😀";
    JsonWriter out;
    out.value(text);
    const std::string json = std::move(out).finish();
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
    out.beginObject()
        .key("a")
        .beginArray()
        .value(std::int64_t{1})
        .beginObject()
        .endObject()
        .endArray()
        .key("b")
        .beginArray()
        .endArray()
        .key("c")
        .value(true)
        .endObject();
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
