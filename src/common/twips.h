#pragma once

#include <QtGlobal>

// Window geometry is kept in twips, as the program's layout rules give it: 15 twips make one pixel at 96 dpi
// (Qt scales device-independent pixels for high-dpi screens).
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
