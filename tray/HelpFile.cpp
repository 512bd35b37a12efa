#include "tray/HelpFile.h"

#include "foundation/ComApartment.h"
#include "foundation/CSplitPath.h"
#include "foundation/ScopedHandle.h"
#include "foundation/SystemLibrary.h"
#include "tray/AppGlobals.h"
#include "tray/MessageBoxes.h"

#include <shellapi.h>
#include <htmlhelp.h>

#include <cwchar>
#include <utility>

using tessvald::string::CString;

bool g_bHelpShown = false;

namespace {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

constexpr wchar_t kControlKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr wchar_t kControlName[] = L"hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 15;
constexpr DWORD kPathCapacity = 1024;

// Only a full path is taken from the registry: a bare name would be looked
// for beside the program first, where anyone may have put a file of that name.
bool IsFullPath(const wchar_t* pszPath)
{
    const bool bDrive = ((pszPath[0] >= L'A' && pszPath[0] <= L'Z') || (pszPath[0] >= L'a' && pszPath[0] <= L'z'))
        && pszPath[1] == L':' && (pszPath[2] == L'\\' || pszPath[2] == L'/');
    const bool bNetwork = pszPath[0] == L'\\' && pszPath[1] == L'\\';
    return bDrive || bNetwork;
}

// The registered file of the HTML Help control, expanded; empty when the
// registry names none or no full path.
CString ReadControlPath()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kControlKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return CString();
    tessvald::CRegKeyHandle key(hKey);

    wchar_t szValue[kPathCapacity + 1] = {};
    DWORD nType = 0;
    DWORD nBytes = kPathCapacity * sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &nType, reinterpret_cast<BYTE*>(szValue), &nBytes)
        != ERROR_SUCCESS)
        return CString();

    wchar_t szPath[kPathCapacity + 1] = {};
    if (nType == REG_EXPAND_SZ) {
        const DWORD nNeeded = ExpandEnvironmentStringsW(szValue, szPath, kPathCapacity + 1);
        if (nNeeded == 0 || nNeeded > kPathCapacity + 1)
            return CString();
    } else if (nType == REG_SZ) {
        std::wmemcpy(szPath, szValue, kPathCapacity + 1);
    } else {
        return CString();
    }
    return IsFullPath(szPath) ? CString(szPath) : CString();
}

HMODULE LoadRegisteredControl()
{
    const CString strPath = ReadControlPath();
    if (strPath.IsEmpty())
        return nullptr;
    return LoadLibraryExW(strPath.GetData(), nullptr, 0);
}

// The control stays loaded for the rest of the run once it is bound; a
// failed binding is remembered, so every later call answers at once.
class CHtmlHelpBinding
{
public:
    CHtmlHelpBinding() : m_pfnHtmlHelp(nullptr), m_bTried(false) {}
    virtual ~CHtmlHelpBinding() = default;

    HWND Call(HWND hCaller, const wchar_t* pszFile, UINT nCommand, DWORD_PTR nData)
    {
        if (!m_bTried) {
            m_bTried = true;
            Bind();
        }
        if (m_pfnHtmlHelp == nullptr)
            return nullptr;
        return m_pfnHtmlHelp(hCaller, pszFile, nCommand, nData);
    }

private:
    void Bind()
    {
        if (TryModule(LoadRegisteredControl()))
            return;
        TryModule(tessvald::LoadSystemLibrary(kControlName));
    }

    bool TryModule(HMODULE hModule)
    {
        tessvald::CModuleHandle module(hModule);
        if (!module)
            return false;
        FARPROC pfn = GetProcAddress(module.Get(), MAKEINTRESOURCEA(kHtmlHelpOrdinal));
        if (pfn == nullptr)
            return false;
        m_pfnHtmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(pfn));
        m_module = std::move(module);
        return true;
    }

    tessvald::CModuleHandle m_module;
    HtmlHelpProc m_pfnHtmlHelp;
    bool m_bTried;
};

HWND CallHtmlHelp(HWND hCaller, const wchar_t* pszFile, UINT nCommand, DWORD_PTR nData)
{
    static CHtmlHelpBinding s_binding;
    return s_binding.Call(hCaller, pszFile, nCommand, nData);
}

// The viewer and the shell each report a missing file in their own way, or
// not at all: the user would press F1 and see nothing happen.
bool HelpFileExists(const CString& strPath)
{
    const DWORD nAttributes = GetFileAttributesW(strPath.GetData());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReportMissingHelpFile(HWND hOwner, const CString& strPath)
{
    tessvald::string::CSplitPath path(strPath.GetData());
    ShowError(hOwner, kNoSystemText, kProgramName,
              L"Die Hilfedatei \u201E%s%s\u201C wurde nicht gefunden. Ambertille sucht sie im Ordner des "
              L"Programms:\n%s",
              path.m_szName, path.m_szExt, path.GetFolder(false));
}

} // namespace

CString GetHelpFilePath()
{
    tessvald::string::CSplitPath path(g_strModulePath.GetData());
    return CString(path.MakePath(L".chm", false));
}

void ShowHelpFile(HWND hOwner)
{
    const CString strPath = GetHelpFilePath();
    if (!HelpFileExists(strPath))
        return ReportMissingHelpFile(hOwner, strPath);
    // The help viewer is a browser control, and the shell's open an
    // extension: both want COM.
    EnterComApartment();
    if (hOwner == nullptr) {
        ShellExecuteW(nullptr, L"open", strPath.GetData(), L"", L"", SW_SHOWNORMAL);
        return;
    }
    if (CallHtmlHelp(hOwner, strPath.GetData(), HH_DISPLAY_TOC, 0) != nullptr)
        g_bHelpShown = true;
}

void CloseHelpFile()
{
    if (!g_bHelpShown)
        return;
    CallHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    g_bHelpShown = false;
}
