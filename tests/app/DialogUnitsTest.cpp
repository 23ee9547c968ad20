#include "CaseName.h"
#include "DialogUnits.h"

#include <gtest/gtest.h>

namespace {

struct BaseCase
{
    const char *name;
    int alphabetWidth;
    int fontHeight;
    int baseX;
    int baseY;
};
void PrintTo(const BaseCase &c, std::ostream *out) { *out << c.name; }

class DialogBaseUnits : public ::testing::TestWithParam<BaseCase> {};

TEST_P(DialogBaseUnits, averageOfTheLettersRoundedToWholePixels)
{
    const BaseCase &c = GetParam();
    const DialogUnits units = DialogUnits::fromMeasures(c.alphabetWidth, c.fontHeight);
    EXPECT_EQ(units.baseX(), c.baseX);
    EXPECT_EQ(units.baseY(), c.baseY);
}

INSTANTIATE_TEST_SUITE_P(Fonts, DialogBaseUnits,
                         ::testing::Values(BaseCase{"exact_seven", 364, 12, 7, 12},
                                           BaseCase{"half_rounds_up", 338, 12, 7, 12},
                                           BaseCase{"just_below_half", 337, 12, 6, 12},
                                           BaseCase{"six", 312, 13, 6, 13},
                                           BaseCase{"zero_width_font", 0, 0, 0, 0}),
                         CaseName());

struct PixelCase
{
    const char *name;
    int baseX;
    int baseY;
    QRect units;
    QRect pixels;
};
void PrintTo(const PixelCase &c, std::ostream *out) { *out << c.name; }

class DialogUnitsToPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(DialogUnitsToPixels, eachCoordinateScaledAndRoundedLikeWindows)
{
    const PixelCase &c = GetParam();
    EXPECT_EQ(DialogUnits(c.baseX, c.baseY).toPixels(c.units), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, DialogUnitsToPixels,
    ::testing::Values(
        // 314 × 7 / 4 = 549.5 and 53 × 12 / 8 = 79.5: halves round up, as MulDiv does.
        PixelCase{"banner_at_7x12", 7, 12, QRect(7, 7, 314, 53), QRect(12, 11, 550, 80)},
        PixelCase{"list_at_6x13", 6, 13, QRect(7, 62, 317, 170), QRect(11, 101, 476, 276)},
        PixelCase{"quarters_to_nearest", 5, 10, QRect(1, 1, 2, 3), QRect(1, 1, 3, 4)},
        PixelCase{"negative_halves_away_from_zero", 6, 12, QRect(-1, -3, 0, 0), QRect(-2, -5, 0, 0)}),
    CaseName());

TEST(MulDiv, roundsHalvesAwayFromZeroWhateverTheSigns)
{
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(-5, -1, 2), 3);
    EXPECT_EQ(MulDiv(7, 1, 4), 2);
    // No overflow in the product.
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
}

} // namespace
