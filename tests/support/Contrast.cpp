#include "support/Contrast.h"

#include <algorithm>
#include <cmath>

namespace testsupport {

namespace {

double Linear(BYTE nChannel)
{
    const double dValue = nChannel / 255.0;
    return dValue <= 0.04045 ? dValue / 12.92 : std::pow((dValue + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(COLORREF nColour)
{
    return 0.2126 * Linear(GetRValue(nColour)) + 0.7152 * Linear(GetGValue(nColour))
        + 0.0722 * Linear(GetBValue(nColour));
}

double ContrastRatio(COLORREF nFirst, COLORREF nSecond)
{
    const double dFirst = RelativeLuminance(nFirst);
    const double dSecond = RelativeLuminance(nSecond);
    return (std::max(dFirst, dSecond) + 0.05) / (std::min(dFirst, dSecond) + 0.05);
}

} // namespace testsupport
