#include "settings/ShowModes.h"

namespace {

struct ShowMode
{
    LONG nValue;
    const wchar_t* pszName;
};

constexpr ShowMode kShowModes[] = {
    { SW_SHOWDEFAULT, L"Default" },
    { SW_SHOWNORMAL, L"Normal" },
    { SW_SHOWMINNOACTIVE, L"Minimize" },
    { SW_SHOWMAXIMIZED, L"Maximize" },
};

constexpr ULONG kShowModeCount = sizeof(kShowModes) / sizeof(kShowModes[0]);

} // namespace

ULONG GetShowModeCount()
{
    return kShowModeCount;
}

LONG GetShowModeValue(ULONG nRow)
{
    return nRow < kShowModeCount ? kShowModes[nRow].nValue : -1;
}

LONG FindShowMode(LONG nValue)
{
    for (ULONG nRow = 0; nRow < kShowModeCount; ++nRow) {
        if (kShowModes[nRow].nValue == nValue)
            return static_cast<LONG>(nRow);
    }
    return -1;
}

const wchar_t* GetShowModeName(ULONG nRow)
{
    return nRow < kShowModeCount ? kShowModes[nRow].pszName : L"";
}

const wchar_t* GetShowModeNameByValue(LONG nValue)
{
    return GetShowModeName(static_cast<ULONG>(FindShowMode(nValue)));
}
