#include "ColourScheme.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Contrast as the web's accessibility guidelines define it: 1 (none) to 21 (black on white).
double luminance(const QColor &colour)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every text on its ground reads at the guidelines' enhanced level (7:1), a greyed text at the
// level for large text (3:1): the pairs the window's controls draw with.
TEST(ColourScheme, darkSchemeKeepsEveryTextReadableOnItsGround)
{
    const QPalette palette = DarkPalette();
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {{QPalette::WindowText, QPalette::Window},     {QPalette::Text, QPalette::Base},
                          {QPalette::ButtonText, QPalette::Button},     {QPalette::HighlightedText, QPalette::Highlight},
                          {QPalette::ToolTipText, QPalette::ToolTipBase}, {QPalette::Text, QPalette::AlternateBase}};
    for (const auto &[text, ground] : pairs) {
        EXPECT_GE(contrast(palette.color(QPalette::Active, text), palette.color(QPalette::Active, ground)), 7.0) << text << " on " << ground;
        EXPECT_GE(contrast(palette.color(QPalette::Disabled, text), palette.color(QPalette::Disabled, ground)), 3.0)
            << "disabled " << text << " on " << ground;
    }
    EXPECT_LT(luminance(palette.color(QPalette::Window)), 0.05) << "a dark scheme has a dark window";
}

} // namespace
