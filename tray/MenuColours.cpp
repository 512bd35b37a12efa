#include "tray/MenuColours.h"

#include <cwchar>

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
// The task bar's own mode; apps have another value beside it.
constexpr wchar_t kTaskbarLightValue[] = L"SystemUsesLightTheme";
constexpr wchar_t kColourSetChange[] = L"ImmersiveColorSet";

// Near the shell's own menus of each mode. Dark: the shell's greyed text
// and its selection are too faint against the background, so both are a
// step lighter here.
constexpr SMenuColours kLight = {
    RGB(0xF2, 0xF2, 0xF2), RGB(0x00, 0x00, 0x00), RGB(0x6D, 0x6D, 0x6D),
    RGB(0x91, 0xC9, 0xF7), RGB(0x00, 0x00, 0x00), RGB(0xC6, 0xC6, 0xC6),
};
constexpr SMenuColours kDark = {
    RGB(0x2B, 0x2B, 0x2B), RGB(0xFF, 0xFF, 0xFF), RGB(0x80, 0x80, 0x80),
    RGB(0x4D, 0x4D, 0x4D), RGB(0xFF, 0xFF, 0xFF), RGB(0x60, 0x60, 0x60),
};

SMenuColours SystemColours()
{
    return SMenuColours{
        GetSysColor(COLOR_MENU),      GetSysColor(COLOR_MENUTEXT),      GetSysColor(COLOR_GRAYTEXT),
        GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_GRAYTEXT),
    };
}

} // namespace

const SMenuColours& ModeColours(EColourMode eMode)
{
    return eMode == EColourMode::Dark ? kDark : kLight;
}

EColourMode ReadTaskbarMode()
{
    DWORD nLight = 1;
    DWORD nSize = sizeof(nLight);
    if (RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kTaskbarLightValue, RRF_RT_REG_DWORD, nullptr, &nLight,
                     &nSize)
        != ERROR_SUCCESS)
        return EColourMode::Light;
    return nLight == 0 ? EColourMode::Dark : EColourMode::Light;
}

bool IsHighContrastOn()
{
    HIGHCONTRASTW info = {};
    info.cbSize = sizeof(info);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(info), &info, 0) && (info.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

SMenuColours ChooseMenuColours(bool bHighContrast, EColourMode eMode)
{
    return bHighContrast ? SystemColours() : ModeColours(eMode);
}

bool IsColourChange(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_SYSCOLORCHANGE)
        return true;
    if (nMsg != WM_SETTINGCHANGE)
        return false;
    if (wParam == SPI_SETHIGHCONTRAST)
        return true;
    const auto* pszArea = reinterpret_cast<const wchar_t*>(lParam);
    return pszArea != nullptr && std::wcscmp(pszArea, kColourSetChange) == 0;
}

CMenuPalette::CMenuPalette() : m_colours(kLight), m_bStale(true)
{
}

CMenuPalette::~CMenuPalette() = default;

bool CMenuPalette::Refresh()
{
    if (!m_bStale && m_hBackground)
        return false;
    m_bStale = false;
    m_colours = ChooseMenuColours(IsHighContrastOn(), ReadTaskbarMode());
    m_hBackground.Reset(CreateSolidBrush(m_colours.nBackground));
    return true;
}
