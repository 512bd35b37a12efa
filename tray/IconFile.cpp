#include "tray/IconFile.h"

#include "foundation/ComApartment.h"
#include "foundation/CSplitPath.h"
#include "resolve/FileIcon.h"

#include <shellapi.h>

#include <initializer_list>

using tessvald::string::CSplitPath;

namespace {

// The shell hands out its two system sizes; any other is scaled from the
// nearer one.
HICON FitIcon(HICON hIcon, int nWidth, int nHeight)
{
    if (hIcon == nullptr)
        return nullptr;
    ICONINFO info = {};
    BITMAP bitmap = {};
    bool bFits = false;
    if (GetIconInfo(hIcon, &info)) {
        bFits = GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap) != 0
            && bitmap.bmWidth == nWidth;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    if (bFits)
        return hIcon;
    return static_cast<HICON>(CopyImage(hIcon, IMAGE_ICON, nWidth, nHeight, LR_COPYDELETEORG));
}

UINT ShellSizeFlag(int nWidth)
{
    return nWidth > GetSystemMetrics(SM_CXSMICON) ? SHGFI_LARGEICON : SHGFI_SMALLICON;
}

HICON AskShell(const wchar_t* pszPath, DWORD nAttributes, UINT nFlags, int nWidth, int nHeight)
{
    EnterComApartment();
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(pszPath, nAttributes, &info, sizeof(info), nFlags | SHGFI_ICON | ShellSizeFlag(nWidth)) == 0)
        return nullptr;
    return FitIcon(info.hIcon, nWidth, nHeight);
}

bool IsProgram(const wchar_t* pszPath)
{
    CSplitPath split(pszPath);
    for (const wchar_t* pszExt : { L".exe", L".com", L".bat", L".cmd" }) {
        if (CSplitPath::IsEqual(split.m_szExt, pszExt, true))
            return true;
    }
    return false;
}

// The shell's generic icons; where it has none (Wine answers without an
// icon), the system's own program icon, copied so that it may be destroyed.
HICON LoadGenericIcon(const wchar_t* pszPath, int nWidth, int nHeight)
{
    EnterComApartment();
    SHSTOCKICONINFO info = {};
    info.cbSize = sizeof(info);
    const UINT nSize = nWidth > GetSystemMetrics(SM_CXSMICON) ? SHGSI_LARGEICON : SHGSI_SMALLICON;
    if (SUCCEEDED(SHGetStockIconInfo(IsProgram(pszPath) ? SIID_APPLICATION : SIID_DOCNOASSOC, SHGSI_ICON | nSize,
                                     &info))
        && info.hIcon != nullptr)
        return FitIcon(info.hIcon, nWidth, nHeight);
    return static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, nWidth, nHeight, 0));
}

} // namespace

HICON LoadShellIcon(const wchar_t* pszPath, int nWidth, int nHeight)
{
    const wchar_t* pszAsked = pszPath != nullptr ? pszPath : L"";
    if (pszAsked[0] != L'\0') {
        if (HICON hIcon = AskShell(pszAsked, 0, 0, nWidth, nHeight))
            return hIcon;
        // Not there (or not reachable): the icon of its type, which for a
        // program is the generic program icon; the file is not touched.
        if (HICON hIcon = AskShell(pszAsked, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES, nWidth, nHeight))
            return hIcon;
    }
    return LoadGenericIcon(pszAsked, nWidth, nHeight);
}

HICON LoadEntryIcon(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight)
{
    if (HICON hIcon = LoadIconFromFile(pszFile, nIndex, nWidth, nHeight))
        return hIcon;
    return LoadShellIcon(pszPath, nWidth, nHeight);
}
