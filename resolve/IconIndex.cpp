#include "resolve/IconIndex.h"

#include "foundation/ScopedHandle.h"
#include "resolve/ResourceModule.h"

using tessvald::CModuleHandle;

namespace {

struct PositionSearch
{
    LPCWSTR lpWanted;
    LONG nCounted;
    bool bFound;
};

// Groups with string names never match a number, but they hold positions.
BOOL CALLBACK MatchGroupProc(HMODULE, LPCWSTR, LPWSTR lpName, LONG_PTR lParam)
{
    auto* pSearch = reinterpret_cast<PositionSearch*>(lParam);
    if (IS_INTRESOURCE(lpName) && lpName == pSearch->lpWanted) {
        pSearch->bFound = true;
        return FALSE;
    }
    ++pSearch->nCounted;
    return TRUE;
}

} // namespace

LPCWSTR IconGroupName(LONG nId)
{
    if (nId >= 0 || nId < -0xFFFF)
        return nullptr;
    return MAKEINTRESOURCEW(static_cast<WORD>(-nId));
}

bool FindIconPosition(HMODULE hModule, LONG nId, LONG& nPosition)
{
    const LPCWSTR lpWanted = IconGroupName(nId);
    if (hModule == nullptr || lpWanted == nullptr)
        return false;
    PositionSearch search = { lpWanted, 0, false };
    EnumResourceNamesW(hModule, RT_GROUP_ICON, MatchGroupProc, reinterpret_cast<LONG_PTR>(&search));
    if (!search.bFound)
        return false;
    nPosition = search.nCounted;
    return true;
}

bool FindIconIndex(const wchar_t* pszPath, LONG nId, LONG& nIndex)
{
    if (nId >= 0 || pszPath == nullptr)
        return false;
    CModuleHandle module = LoadResourceModule(pszPath);
    return FindIconPosition(module.Get(), nId, nIndex);
}
