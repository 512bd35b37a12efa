#pragma once

#include <windows.h>

namespace tessvald {

// Dots per inch where one pixel is one pixel: the unit of the program's
// own lengths (margins, icon sizes), scaled to the screen's.
constexpr UINT kBaseDpi = 96;

// The functions that tell a monitor's or a window's own DPI exist only on
// newer systems (Windows 8.1 and 10); they are looked up at run time, and
// where they are missing every answer is the system's DPI, the one DPI
// such a system knows for a program.

// The DPI the system scales the program's measures by (the primary
// monitor's when the user logged on).
UINT SystemDpi();
// The DPI of the monitor that holds this point of the screen.
UINT MonitorDpiAt(POINT pt);
// The DPI of the monitor the window is on.
UINT WindowDpi(HWND hWnd);
// A system metric (SM_CXICON, SM_CXSMICON, ...) at this DPI.
int MetricForDpi(int nIndex, UINT nDpi);
// A length in pixels at 96 dpi, at this one; never below 1 for a length
// that is at least 1.
int ScaleForDpi(int nPixels, UINT nDpi);

} // namespace tessvald
