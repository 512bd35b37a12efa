#include "foundation/Dpi.h"

#include "foundation/ScopedDC.h"
#include "foundation/ScopedHandle.h"
#include "foundation/SystemLibrary.h"

namespace tessvald {

namespace {

// MDT_EFFECTIVE_DPI: what the user chose for the monitor, the one the
// system scales by.
constexpr int kEffectiveDpi = 0;

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

template <class TFunction>
TFunction Lookup(const CModuleHandle& module, const char* pszName)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module.Get(), pszName)));
}

// Looked up once; the libraries stay loaded for the life of the process.
struct SDpiFunctions
{
    SDpiFunctions()
        : m_user32(LoadSystemLibrary(L"user32.dll")), m_shcore(LoadSystemLibrary(L"shcore.dll")),
          m_pfnMonitorDpi(Lookup<GetDpiForMonitorFunction>(m_shcore, "GetDpiForMonitor")),
          m_pfnWindowDpi(Lookup<GetDpiForWindowFunction>(m_user32, "GetDpiForWindow")),
          m_pfnMetricForDpi(Lookup<GetSystemMetricsForDpiFunction>(m_user32, "GetSystemMetricsForDpi"))
    {
    }

    CModuleHandle m_user32;
    CModuleHandle m_shcore;
    GetDpiForMonitorFunction m_pfnMonitorDpi;
    GetDpiForWindowFunction m_pfnWindowDpi;
    GetSystemMetricsForDpiFunction m_pfnMetricForDpi;
};

const SDpiFunctions& Functions()
{
    static const SDpiFunctions s_functions;
    return s_functions;
}

} // namespace

UINT SystemDpi()
{
    CClientDC dc(nullptr);
    const int nDpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kBaseDpi;
}

UINT MonitorDpiAt(POINT pt)
{
    UINT nDpiX = 0;
    UINT nDpiY = 0;
    const auto pfnMonitorDpi = Functions().m_pfnMonitorDpi;
    if (pfnMonitorDpi == nullptr
        || FAILED(pfnMonitorDpi(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &nDpiX, &nDpiY))
        || nDpiY == 0)
        return SystemDpi();
    return nDpiY;
}

UINT WindowDpi(HWND hWnd)
{
    const auto pfnWindowDpi = Functions().m_pfnWindowDpi;
    const UINT nDpi = pfnWindowDpi != nullptr && hWnd != nullptr ? pfnWindowDpi(hWnd) : 0;
    return nDpi != 0 ? nDpi : SystemDpi();
}

int MetricForDpi(int nIndex, UINT nDpi)
{
    const auto pfnMetricForDpi = Functions().m_pfnMetricForDpi;
    if (pfnMetricForDpi != nullptr)
        return pfnMetricForDpi(nIndex, nDpi);
    return MulDiv(GetSystemMetrics(nIndex), static_cast<int>(nDpi), static_cast<int>(SystemDpi()));
}

int ScaleForDpi(int nPixels, UINT nDpi)
{
    const int nScaled = MulDiv(nPixels, static_cast<int>(nDpi), static_cast<int>(kBaseDpi));
    return nPixels >= 1 && nScaled < 1 ? 1 : nScaled;
}

} // namespace tessvald
