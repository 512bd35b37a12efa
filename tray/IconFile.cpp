#include "tray/IconFile.h"

#include "foundation/ScopedHandle.h"
#include "resolve/CResourceLocator.h"
#include "resolve/ResourceModule.h"
#include "resolve/SafeIconFile.h"

using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;

HICON LoadIconFromFile(const wchar_t* pszFile, LONG nIndex, int nWidth, int nHeight)
{
    if (pszFile == nullptr || pszFile[0] == L'\0')
        return nullptr;
    CModuleHandle module = LoadResourceModule(pszFile);
    CResourceLocator locator;
    if (locator.Locate(module.Get(), RT_GROUP_ICON, nIndex))
        return static_cast<HICON>(
            LoadImageW(module.Get(), locator.GetName(), IMAGE_ICON, nWidth, nHeight, LR_DEFAULTCOLOR));
    return LoadIconFile(pszFile, nWidth, nHeight, 0);
}
