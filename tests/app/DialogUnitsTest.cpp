#include "DialogUnits.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(DialogUnits, baseUnitsAreTheLetterAverageRoundedToWholePixels)
{
    // alphabet width, font height, base x, base y
    for (auto [width, height, baseX, baseY] :
         {std::array{364, 12, 7, 12}, std::array{338, 12, 7, 12} /* half rounds up */,
          std::array{337, 12, 6, 12} /* just below half */, std::array{312, 13, 6, 13}, std::array{0, 0, 0, 0}}) {
        const DialogUnits units = DialogUnits::fromMeasures(width, height);
        EXPECT_EQ(units.baseX(), baseX) << width;
        EXPECT_EQ(units.baseY(), baseY) << width;
    }
}

TEST(DialogUnits, eachCoordinateScaledAndRoundedLikeWindows)
{
    const struct
    {
        int baseX, baseY;
        QRect units, pixels;
    } cases[] = {
        // 314 × 7 / 4 = 549.5 and 53 × 12 / 8 = 79.5: halves round up, as MulDiv does.
        {7, 12, QRect(7, 7, 314, 53), QRect(12, 11, 550, 80)},
        {6, 13, QRect(7, 62, 317, 170), QRect(11, 101, 476, 276)},
        {5, 10, QRect(1, 1, 2, 3), QRect(1, 1, 3, 4)},     // quarters to the nearest
        {6, 12, QRect(-1, -3, 0, 0), QRect(-2, -5, 0, 0)}, // negative halves away from zero
    };
    for (const auto &c : cases)
        EXPECT_EQ(DialogUnits(c.baseX, c.baseY).toPixels(c.units), c.pixels) << c.units.x() << "," << c.units.y();

    // MulDiv rounds halves away from zero whatever the signs, and the product does not overflow.
    for (auto [number, times, by, result] : {std::array{5, 1, 2, 3}, {-5, 1, 2, -3}, {5, 1, -2, -3}, {-5, -1, 2, 3}, {7, 1, 4, 2},
                                             {2000000000, 3, 4, 1500000000}})
        EXPECT_EQ(MulDiv(number, times, by), result) << number << " " << times << " " << by;
}

} // namespace
