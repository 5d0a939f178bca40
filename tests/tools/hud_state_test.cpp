// What a number typed into the HUD means: only a length is read in the document's unit.
#include <gtest/gtest.h>

#include "tools/hud_state.hpp"

namespace brontile {
namespace {

HUDState showing(HUDQuantity quantity, double value) {
    return {"Label", value, std::nullopt, true, std::nullopt, quantity};
}

TEST(HUDState, OnlyLengthsAreReadAndShownInTheDocumentsUnit) {
    const LengthUnit inches = LengthUnit::inches;
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::length, 0), "2", inches), 50.8);
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::angle, 0), "45\u00B0", inches), 45.0);
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::angle, 0), "90deg", inches), 90.0);
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::angle, 0), " 90 Deg", inches), 90.0);
    EXPECT_FALSE(parseHudValue(showing(HUDQuantity::angle, 0), "deg", inches));
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::length, 0), "3 cm", inches), 30.0);
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::factor, 0), "2", inches), 2.0);
    EXPECT_EQ(parseHudValue(showing(HUDQuantity::count, 0), "3", inches), 3.0);
    EXPECT_FALSE(parseHudValue(showing(HUDQuantity::count, 0), "3 in", inches));
    EXPECT_FALSE(parseHudValue(showing(HUDQuantity::angle, 0), "nan", inches));
    EXPECT_EQ(hudValueText(showing(HUDQuantity::length, 25.4), inches), "1 in");
    EXPECT_EQ(hudValueText(showing(HUDQuantity::angle, 90), inches), "90\u00B0");
    EXPECT_EQ(hudValueText(showing(HUDQuantity::count, 3), inches), "3");
    EXPECT_EQ(hudValueText(showing(HUDQuantity::factor, 1.5), inches), "1.5");
}

}  // namespace
}  // namespace brontile
