#include "tray/ToolLauncher.h"

#include "foundation/ComApartment.h"
#include "foundation/WideFormat.h"
#include "resolve/EntryResolver.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/MessageBoxes.h"
#include "tray/TrayMenus.h"

#include <shellapi.h>

#include <string>

using tessvald::string::CString;

namespace {

struct SShellError
{
    INT_PTR nShellCode;
    DWORD nSystemCode;
};

// The shell's own result codes share their numbers with unrelated system
// errors (31, "no program is associated", is the system's "general
// failure"), so they are translated before the system's text is shown.
constexpr SShellError kShellErrors[] = {
    { 0, ERROR_NOT_ENOUGH_MEMORY },
    { SE_ERR_FNF, ERROR_FILE_NOT_FOUND },
    { SE_ERR_PNF, ERROR_PATH_NOT_FOUND },
    { SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED },
    { SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY },
    { ERROR_BAD_FORMAT, ERROR_BAD_FORMAT },
    { SE_ERR_SHARE, ERROR_SHARING_VIOLATION },
    { SE_ERR_ASSOCINCOMPLETE, ERROR_NO_ASSOCIATION },
    { SE_ERR_DDETIMEOUT, ERROR_TIMEOUT },
    { SE_ERR_DDEFAIL, ERROR_DDE_FAIL },
    { SE_ERR_DDEBUSY, ERROR_BUSY },
    { SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION },
    { SE_ERR_DLLNOTFOUND, ERROR_DLL_NOT_FOUND },
};

// The shell's own result code, translated, decides: Windows leaves the
// matching system code as the last error too, but Wine leaves one of some
// call made on the way (193, "not a valid application", for a document
// without a program). A declined elevation prompt is told by the last
// error alone.
DWORD LaunchErrorCode(const SHELLEXECUTEINFOW& info, DWORD nLastError)
{
    if (nLastError == ERROR_CANCELLED)
        return ERROR_CANCELLED;
    const auto nResult = reinterpret_cast<INT_PTR>(info.hInstApp);
    for (const SShellError& error : kShellErrors) {
        if (error.nShellCode == nResult)
            return error.nSystemCode;
    }
    return nLastError != ERROR_SUCCESS ? nLastError : ERROR_GEN_FAILURE;
}

// Stored texts keep their variables ("%WINDIR%\notepad.exe"); the shell
// gets them expanded. A text that cannot be expanded is passed as it is.
CString Expanded(const CString& strText)
{
    CString strExpanded;
    if (strText.IsEmpty() || !ExpandEnvironment(strText.GetData(), strExpanded))
        return strText;
    return strExpanded;
}

// What the shell is asked to start, and under which name a failure speaks
// of it.
struct SStart
{
    const wchar_t* pszName;
    const wchar_t* pszVerb;
    const wchar_t* pszFile;
    const wchar_t* pszParameters;
    const wchar_t* pszDirectory;
    int nShow;
};

void StartWithShell(HWND hOwner, const SStart& start, ShellExecuteHook pfnShellExecute)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The shell's own boxes would speak of its codes, not of our tool.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = start.pszVerb;
    info.lpFile = start.pszFile;
    info.lpParameters = start.pszParameters;
    info.lpDirectory = start.pszDirectory;
    info.nShow = start.nShow;
    // The shell may hand the start to an extension that wants COM.
    EnterComApartment();
    SetLastError(ERROR_SUCCESS);
    if (pfnShellExecute(&info))
        return;
    const DWORD nError = LaunchErrorCode(info, GetLastError());
    // The user said no to the elevation prompt: nothing failed.
    if (nError == ERROR_CANCELLED)
        return;
    ShowError(hOwner, nError, L"Ambertille", L"Programm \"%s\" konnte nicht gestartet werden!", start.pszName);
}

} // namespace

void LaunchFile(HWND hOwner, const wchar_t* pszName, const wchar_t* pszPath, bool bElevate,
                ShellExecuteHook pfnShellExecute)
{
    const std::wstring path = pszPath != nullptr ? pszPath : L"";
    const std::size_t nSlash = path.find_last_of(L'\\');
    const std::wstring folder = nSlash == std::wstring::npos ? std::wstring() : path.substr(0, nSlash);
    StartWithShell(hOwner, { pszName, bElevate ? L"runas" : L"open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL },
                   pfnShellExecute);
}

void LaunchTool(HWND hOwner, ULONG nTool, bool bElevate, ShellExecuteHook pfnShellExecute)
{
    CRecord record;
    SetToolSection(record, nTool);
    {
        CConfigReadBatch batch(g_config);
        // Held locked by another program for a moment: the tool is there,
        // the list just cannot be read now.
        if (!g_config.IsReadable()) {
            ShowError(hOwner, g_config.GetReadError(), L"Ambertille",
                      L"Die Programmliste kann gerade nicht gelesen werden. Versuchen Sie es gleich noch einmal.");
            return;
        }
        ReadRecord(&record);
    }
    // The section may have gone since the menu was built (the file was
    // emptied or deleted): the shell must not be asked to open nothing.
    if (record.m_strPath.IsEmpty())
        return;
    // Parameters pass exactly as stored: nothing is quoted or shortened.
    const CString strPath = Expanded(record.m_strPath);
    const CString strWorking = Expanded(record.m_strWorking);
    StartWithShell(hOwner,
                   { record.m_strName.GetData(), bElevate || record.m_bRunAs ? L"runas" : L"open", strPath.GetData(),
                     record.m_strParam.GetData(), strWorking.GetData(), static_cast<int>(record.m_nShow) },
                   pfnShellExecute);
}
