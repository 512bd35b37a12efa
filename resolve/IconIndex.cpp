#include "resolve/IconIndex.h"

#include "foundation/ScopedHandle.h"
#include "resolve/CResourceLocator.h"
#include "resolve/ResourceModule.h"

using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;

bool FindIconIndex(const wchar_t* pszPath, LONG nId, LONG& nIndex)
{
    if (nId >= 0 || pszPath == nullptr)
        return false;
    CModuleHandle module = LoadResourceModule(pszPath);
    if (!module)
        return false;
    const ULONG nWanted = static_cast<ULONG>(-static_cast<LONGLONG>(nId));
    CResourceLocator locator;
    for (LONG nPosition = 0; locator.Locate(module.Get(), RT_GROUP_ICON, nPosition); ++nPosition) {
        // Groups with string names never match a number.
        if (locator.m_pszName == nullptr && locator.m_nId == nWanted) {
            nIndex = nPosition;
            return true;
        }
    }
    return false;
}
