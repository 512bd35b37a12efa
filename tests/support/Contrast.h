#pragma once

#include <windows.h>

namespace testsupport {

// The relative luminance of a colour (sRGB, as the Web Content
// Accessibility Guidelines reckon it): 0 for black, 1 for white.
double RelativeLuminance(COLORREF nColour);
// The contrast ratio of two colours, from 1 (the same) to 21 (black on
// white), whichever is the lighter.
double ContrastRatio(COLORREF nFirst, COLORREF nSecond);

} // namespace testsupport
