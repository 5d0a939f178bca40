// Colours, the body palette, length units, and lengths as the user reads and types them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "geometry/length_unit.hpp"
#include "geometry/rgba.hpp"
#include "geometry/unit_formatter.hpp"

namespace brontile {
namespace {

TEST(Colours, PaletteWrapsInBothDirections) {
    EXPECT_EQ(BodyPalette::color(0), (RGBA{0.72f, 0.75f, 0.8f, 1.0f}));
    EXPECT_EQ(BodyPalette::color(6), BodyPalette::color(0));
    EXPECT_EQ(BodyPalette::color(-1), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(-7), BodyPalette::colors[5]);
    EXPECT_EQ(BodyPalette::color(INT64_MIN), BodyPalette::colors[4]);  // −2^63 ≡ 4 (mod 6)
}

TEST(Colours, LightenedCapsColourChannelsButNotAlpha) {
    const RGBA c = RGBA::selection.withAlpha(0.5f).lightened(0.5f);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.g, 1.0f);
    EXPECT_FLOAT_EQ(c.b, 0.66f);
    EXPECT_EQ(c.a, 0.5f);
    EXPECT_EQ(RGBA::edge.lightened(-0.5f).r, 0.09f - 0.5f);  // no lower clamp
    EXPECT_EQ(RGBA::arrowReverse.simd(), (Float4{1.0f, 0.62f, 0.28f, 1.0f}));
}

TEST(LengthUnits, CasesInOrderWithTheirRawValuesAndLabels) {
    const auto all = allCases<LengthUnit>();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], LengthUnit::millimeters);
    EXPECT_EQ(rawValue(LengthUnit::inches), "inches");
    EXPECT_EQ(fromRawValue<LengthUnit>("millimeters"), LengthUnit::millimeters);
    EXPECT_EQ(fromRawValue<LengthUnit>("Millimeters"), std::nullopt);
    EXPECT_EQ(title(LengthUnit::inches), "Inches");
    EXPECT_EQ(shortLabel(LengthUnit::millimeters), "mm");
    EXPECT_EQ(millimetersPerUnit(LengthUnit::inches), 25.4);
    EXPECT_EQ(snapIncrementMM(LengthUnit::inches), 1.5875);
}

struct FormatCase {
    double valueMM;
    LengthUnit unit;
    std::optional<int> decimals;
    std::string text;
};

class FormattingLengths : public testing::TestWithParam<FormatCase> {};

TEST_P(FormattingLengths, GivesTheExpectedText) {
    const auto& c = GetParam();
    EXPECT_EQ(UnitFormatter::string(c.valueMM, c.unit, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormattingLengths,
    testing::Values(FormatCase{12.5, LengthUnit::millimeters, std::nullopt, "12.5 mm"},
                    FormatCase{25.4, LengthUnit::inches, std::nullopt, "1 in"},
                    FormatCase{10, LengthUnit::millimeters, 2, "10 mm"},
                    FormatCase{-0.001, LengthUnit::millimeters, std::nullopt, "0 mm"},
                    FormatCase{1.23456, LengthUnit::inches, std::nullopt, "0.049 in"},
                    FormatCase{0, LengthUnit::millimeters, std::nullopt, "0 mm"},
                    FormatCase{-0.004, LengthUnit::millimeters, 2, "0 mm"},
                    FormatCase{-2.5, LengthUnit::millimeters, std::nullopt, "-2.5 mm"},
                    FormatCase{1500, LengthUnit::millimeters, 0, "1500 mm"},
                    FormatCase{2.675, LengthUnit::millimeters, 1, "2.7 mm"},
                    FormatCase{1.0 / 3, LengthUnit::millimeters, -4, "0 mm"},
                    FormatCase{1.0 / 3, LengthUnit::millimeters, 500,
                               "0.33333333333333331483 mm"}));

struct ParseCase {
    std::string typed;
    LengthUnit unit;
    std::optional<double> mm;
};

class ParsingLengths : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsingLengths, GivesTheExpectedMillimetres) {
    const auto& c = GetParam();
    const auto mm = UnitFormatter::parseMillimeters(c.typed, c.unit);
    ASSERT_EQ(mm.has_value(), c.mm.has_value()) << '"' << c.typed << '"';
    if (mm) {
        EXPECT_NEAR(*mm, *c.mm, 1e-12) << '"' << c.typed << '"';
    }
}

constexpr auto mm = LengthUnit::millimeters;
constexpr auto in = LengthUnit::inches;

INSTANTIATE_TEST_SUITE_P(Examples, ParsingLengths,
                         testing::Values(ParseCase{"25.4", mm, 25.4}, ParseCase{"1in", mm, 25.4},
                                         ParseCase{"1 in", mm, 25.4}, ParseCase{"1\"", mm, 25.4},
                                         ParseCase{"3/4 in", mm, 19.05}, ParseCase{"2 mm", in, 2},
                                         ParseCase{"1/2", in, 12.7},
                                         ParseCase{"  2.5MM  ", in, 2.5},
                                         ParseCase{"\n 7 \t", mm, 7}, ParseCase{"-1.5e1", mm, -15},
                                         ParseCase{"+3", in, 76.2}, ParseCase{".5", mm, 0.5},
                                         ParseCase{"1/2/", mm, 0.5}));

INSTANTIATE_TEST_SUITE_P(
    Refusals, ParsingLengths,
    testing::Values(ParseCase{"1 / 2", mm, std::nullopt}, ParseCase{"abc", mm, std::nullopt},
                    ParseCase{"1/0", mm, std::nullopt}, ParseCase{"1/2/3", mm, std::nullopt},
                    ParseCase{"", mm, std::nullopt}, ParseCase{"   ", in, std::nullopt},
                    ParseCase{"mm", mm, std::nullopt}, ParseCase{"inf", mm, std::nullopt},
                    ParseCase{"nan", mm, std::nullopt}, ParseCase{"1e999", mm, std::nullopt},
                    ParseCase{"1e308/1e-308", mm, std::nullopt},
                    ParseCase{"0x10", mm, std::nullopt}, ParseCase{"+-3", mm, std::nullopt},
                    ParseCase{"1,5", mm, std::nullopt}, ParseCase{"1\nmm", mm, std::nullopt},
                    ParseCase{"5 cm", mm, std::nullopt}));

}  // namespace
}  // namespace brontile
