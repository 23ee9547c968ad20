#pragma once

// How far each edge of a control follows the growth of its window beyond the template's size,
// in thousandths of the growth: {0, 0, 0, 0} keeps the control where the template puts it,
// {0, 0, 1000, 1000} grows it by all the extra room, {1000, 0, 1000, 0} moves it with the right
// edge. Controls side by side share the growth by fractions (a left edge at 500 and a right one
// at 1000); thousandths, so that thirds come out within a pixel of each other.
struct EdgeShares
{
    static constexpr int kWhole = 1000;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The two ways most controls follow: growing with the window, and moving with its right edge.
inline constexpr EdgeShares kGrowBoth{0, 0, EdgeShares::kWhole, EdgeShares::kWhole};
inline constexpr EdgeShares kFollowRight{EdgeShares::kWhole, 0, EdgeShares::kWhole, 0};
