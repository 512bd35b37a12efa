#include "resolve/FileIcon.h"

#include "foundation/ScopedHandle.h"
#include "resolve/CResourceLocator.h"
#include "resolve/IconIndex.h"
#include "resolve/ResourceModule.h"
#include "resolve/SafeIconFile.h"

using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;
using tessvald::string::CString;

namespace {

void SetGroupName(LPCWSTR lpName, CString* pGroupName)
{
    if (pGroupName == nullptr)
        return;
    if (IS_INTRESOURCE(lpName))
        CString::Format(*pGroupName, L"%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(lpName)));
    else
        pGroupName->Assign(lpName);
}

} // namespace

HICON LoadIconFromFile(const wchar_t* pszFile, LONG nIndex, int nWidth, int nHeight, CString* pGroupName)
{
    if (pGroupName != nullptr)
        pGroupName->Assign(L"");
    if (pszFile == nullptr || pszFile[0] == L'\0')
        return nullptr;
    const UINT nFlags = nWidth == 0 && nHeight == 0 ? LR_DEFAULTSIZE : LR_DEFAULTCOLOR;
    CModuleHandle module = LoadResourceModule(pszFile);
    CResourceLocator locator;
    LPCWSTR lpName = nullptr;
    if (nIndex < 0)
        lpName = module ? IconGroupName(nIndex) : nullptr;
    else if (locator.Locate(module.Get(), RT_GROUP_ICON, nIndex))
        lpName = locator.GetName();
    if (lpName == nullptr)
        return LoadIconFile(pszFile, nWidth, nHeight, nFlags);
    HICON hIcon = static_cast<HICON>(LoadImageW(module.Get(), lpName, IMAGE_ICON, nWidth, nHeight, nFlags));
    if (hIcon != nullptr)
        SetGroupName(lpName, pGroupName);
    return hIcon;
}
