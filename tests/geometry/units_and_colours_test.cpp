// Colours, the body palette, and lengths as the user reads and types them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "geometry/length_unit.hpp"
#include "geometry/rgba.hpp"
#include "geometry/unit_formatter.hpp"

namespace brontile {
namespace {

constexpr auto mm = LengthUnit::millimeters;
constexpr auto in = LengthUnit::inches;

TEST(Colours, PaletteWrapsInBothDirectionsAndLightenedCapsColourChannelsOnly) {
    EXPECT_EQ(BodyPalette::color(6), BodyPalette::color(0));
    EXPECT_EQ(BodyPalette::color(-1), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(-7), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(INT64_MIN), BodyPalette::colors[4]);  // −2^63 ≡ 4 (mod 6)

    const RGBA c = RGBA::selection.withAlpha(0.5f).lightened(0.5f);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.g, 1.0f);
    EXPECT_FLOAT_EQ(c.b, 0.66f);
    EXPECT_EQ(c.a, 0.5f);
    EXPECT_EQ(RGBA::edge.lightened(-0.5f).r, 0.09f - 0.5f);  // no lower clamp
    EXPECT_EQ(RGBA::arrowReverse.simd(), (Float4{1.0f, 0.62f, 0.28f, 1.0f}));
    EXPECT_EQ(fromRawValue<LengthUnit>("Millimeters"), std::nullopt);  // raw values are exact
}

TEST(FormattingLengths, GivesTheExpectedText) {
    const struct {
        double valueMM;
        LengthUnit unit;
        std::optional<int> decimals;
        std::string text;
    } rows[] = {
        // clang-format off
        {12.5, mm, std::nullopt, "12.5 mm"},  {25.4, in, std::nullopt, "1 in"},
        {10, mm, 2, "10 mm"},                 {-0.001, mm, std::nullopt, "0 mm"},
        {0, mm, std::nullopt, "0 mm"},        {1.23456, in, std::nullopt, "0.049 in"},
        {-0.004, mm, 2, "0 mm"},              {-2.5, mm, std::nullopt, "-2.5 mm"},
        {1500, mm, 0, "1500 mm"},             {2.675, mm, 1, "2.7 mm"},
        {1.0 / 3, mm, -4, "0 mm"},            {1.0 / 3, mm, 500, "0.33333333333333331483 mm"},
        // clang-format on
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UnitFormatter::string(row.valueMM, row.unit, row.decimals), row.text)
            << row.valueMM;
    }
}

TEST(ParsingLengths, GivesTheExpectedMillimetresOrRefuses) {
    const struct {
        std::string typed;
        LengthUnit unit;
        std::optional<double> expectedMM;
    } rows[] = {
        // clang-format off
        {"25.4", mm, 25.4},    {"1in", mm, 25.4},   {"1 in", mm, 25.4}, {"1\"", mm, 25.4},
        {"3/4 in", mm, 19.05}, {"2 mm", in, 2},     {"1/2", in, 12.7},  {"  2.5MM  ", in, 2.5},
        {"\n 7 \t", mm, 7},    {"-1.5e1", mm, -15}, {"+3", in, 76.2},   {".5", mm, 0.5},
        {"1/2/", mm, 0.5},
        // Refused.
        {"1 / 2", mm, {}}, {"abc", mm, {}}, {"1/0", mm, {}}, {"1/2/3", mm, {}}, {"", mm, {}},
        {"   ", in, {}},   {"mm", mm, {}},  {"inf", mm, {}}, {"nan", mm, {}},   {"1e999", mm, {}},
        {"0x10", mm, {}},  {"+-3", mm, {}}, {"1,5", mm, {}}, {"1\nmm", mm, {}}, {"5 cm", mm, {}},
        {"1e308/1e-308", mm, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE('"' + row.typed + '"');
        const auto parsed = UnitFormatter::parseMillimeters(row.typed, row.unit);
        EXPECT_EQ(parsed.has_value(), row.expectedMM.has_value());
        if (parsed && row.expectedMM) {
            EXPECT_NEAR(*parsed, *row.expectedMM, 1e-12);
        }
    }
}

}  // namespace
}  // namespace brontile
