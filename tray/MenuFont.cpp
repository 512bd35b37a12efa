#include "tray/MenuFont.h"

#include "foundation/Dpi.h"
#include "settings/DisplayOptions.h"

#include <cstddef>

namespace {

// The form of NONCLIENTMETRICSW without iPaddedBorderWidth, which every
// system version accepts.
constexpr UINT kClassicMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);

LOGFONTW ChooseMenuFont()
{
    if (!g_bSystemFont)
        return g_logFont;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = kClassicMetricsSize;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kClassicMetricsSize, &metrics, 0))
        return g_logFont;
    return metrics.lfMenuFont;
}

} // namespace

CMenuFont::CMenuFont() : m_logFont(), m_nDpi(tessvald::kBaseDpi)
{
}

CMenuFont::~CMenuFont() = default;

bool CMenuFont::Create(UINT nDpi)
{
    m_logFont = ChooseMenuFont();
    m_logFont.lfHeight = MulDiv(m_logFont.lfHeight, static_cast<int>(nDpi), static_cast<int>(tessvald::SystemDpi()));
    m_nDpi = nDpi;
    m_hFont.Reset(CreateFontIndirectW(&m_logFont));
    return m_hFont.IsValid();
}

void CMenuFont::Release()
{
    m_hFont.Reset();
}
