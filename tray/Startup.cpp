#include "tray/Startup.h"

#include "dialogs/CHelpDialog.h"
#include "foundation/ComApartment.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsFile.h"
#include "tray/AppGlobals.h"
#include "tray/Autostart.h"
#include "tray/ConfigFileWatch.h"
#include "tray/HelpFile.h"
#include "tray/MessageBoxes.h"
#include "tray/TrayWindow.h"


#include <string>

using tessvald::string::CString;

namespace {

constexpr DWORD kModulePathCapacity = 1024;

bool IsOption(const CString& strCommandLine, const wchar_t* pszOption)
{
    return strCommandLine.Trim().Equals(pszOption, true);
}

void FillModulePath()
{
    wchar_t* pszBuffer = g_strModulePath.GetBuffer(kModulePathCapacity);
    GetModuleFileNameW(g_hInstance, pszBuffer, kModulePathCapacity);
    g_strModulePath.ReleaseBuffer();
    g_strModulePath.FreeBuffer();
}

// The running tray application's hidden window is the mark of an instance.
bool IsAlreadyRunning()
{
    return FindWindowW(kTrayWindowClass, kProgramName) != nullptr;
}

void ShowHelpScreen()
{
    CHelpDialog dialog;
    dialog.DoModal(g_hInstance, g_hMainWnd);
}

void Install(HKEY hRoot)
{
    if (!InstallAutostart(hRoot))
        ShowError(nullptr, GetLastError(), kProgramName, L"Die Installation des Programmes schlug fehl!");
}

// Before the first menu is built: a settings file that a crash or an editor
// left missing or empty would otherwise show no tools at all, and the
// user's next save would make that final.
// The notice that says so, empty when nothing was restored.
CString RestoreLostSettings()
{
    std::wstring source;
    const ERestoredFrom eFrom = RestoreLostSettingsFile(g_config.GetFileName(), source);
    if (eFrom == ERestoredFrom::Nothing)
        return CString();
    RememberConfigFileState();
    const wchar_t* pszFormat = eFrom == ERestoredFrom::Backup
        ? L"Die Einstellungsdatei fehlte oder war leer. Sie wurde aus der Sicherungskopie \u201E%s\u201C "
          L"wiederhergestellt."
        : L"Die Einstellungsdatei fehlte oder war leer. Sie wurde aus einer nicht beendeten Speicherung "
          L"(\u201E%s\u201C) wiederhergestellt.";
    CString strNotice;
    CString::Format(strNotice, pszFormat, source.c_str());
    return strNotice;
}

// Only a file the system says is not there: one that cannot be looked at
// now (a share that is away) may well exist.
bool IsMissing(const wchar_t* pszPath)
{
    if (GetFileAttributesW(pszPath) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD nError = GetLastError();
    return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND;
}

// Every save leaves a backup beside the settings file, so a folder with
// neither has never held a list: the program was just put there. A file
// with the options alone is written at once, so that only this start counts
// as the first; being no list, it does not start the backup, which the
// first save of a list still does with that list. Where it cannot be
// written (a folder the user may not write to) nothing is said, as the
// notice would come again at every start.
bool CreateSettingsOnFirstStart()
{
    const wchar_t* pszPath = g_config.GetFileName();
    if (!IsMissing(pszPath) || !IsMissing(BackupPathOf(pszPath).c_str()))
        return false;
    if (!SaveOptions(nullptr))
        return false;
    RememberConfigFileState();
    return true;
}

// Windows puts a new icon out of sight behind the arrow of the notification
// area: a user who started the program and sees nothing would start it
// again and be refused.
constexpr wchar_t kFirstStartNotice[] =
    L"Ambertille l\u00e4uft jetzt im Infobereich der Taskleiste. Sie finden das Symbol hinter dem Pfeil "
    L"\u201EAusgeblendete Symbole einblenden\u201C neben der Uhr oder mit Win+B. Ziehen Sie es von dort in die "
    L"Taskleiste, damit es immer sichtbar bleibt.";

void RunTrayApplication()
{
    SetupConfigFile();
    const CString strNotice = PrepareSettingsFile();
    RunTray(strNotice.GetData());
}

} // namespace

CString PrepareSettingsFile()
{
    const CString strRestored = RestoreLostSettings();
    if (!strRestored.IsEmpty())
        return strRestored;
    return CString(CreateSettingsOnFirstStart() ? kFirstStartNotice : L"");
}

bool IsHelpOption(const CString& strCommandLine)
{
    return strCommandLine.Trim().IsEmpty() || IsOption(strCommandLine, L"-help");
}

bool IsHelpFileOption(const CString& strCommandLine)
{
    return IsOption(strCommandLine, L"-helpfile");
}

bool IsInstallOption(const CString& strCommandLine, HKEY& hRoot)
{
    hRoot = HKEY_CURRENT_USER;
    const std::int32_t nColon = strCommandLine.Find(L':');
    const CString strHead = nColon < 0 ? strCommandLine : strCommandLine.Substring(0, static_cast<std::uint32_t>(nColon));
    if (!IsOption(strHead, L"-install"))
        return false;
    if (nColon >= 0 && IsOption(strCommandLine.Substring(static_cast<std::uint32_t>(nColon) + 1), L"all"))
        hRoot = HKEY_LOCAL_MACHINE;
    return true;
}

bool IsRemoveOption(const CString& strCommandLine)
{
    return IsOption(strCommandLine, L"-remove");
}

bool IsRunOption(const CString& strCommandLine)
{
    return IsOption(strCommandLine, L"-run");
}

void StartUp(HINSTANCE hInstance)
{
    // Before anything can load a library: a DLL named like a system one
    // beside the program (a Downloads folder, a stick) must never be run,
    // and neither the program's folder nor the current one is searched.
    // The libraries that are not the system's known ones are loaded late
    // for this (see the build), once this is in force.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    g_hInstance = hInstance;
    FillModulePath();
    g_hAppIcon = static_cast<HICON>(
        LoadImageW(g_hInstance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

void PerformAction(const CString& strCommandLine)
{
    HKEY hRoot = nullptr;
    if (IsHelpOption(strCommandLine))
        return ShowHelpScreen();
    if (IsHelpFileOption(strCommandLine))
        return ShowHelpFile(nullptr);
    if (IsAlreadyRunning())
        return ShowError(nullptr, kNoSystemText, kProgramName,
                         L"Das Programm l\u00e4uft bereits und kann nicht noch mal gestartet werden!");
    if (IsInstallOption(strCommandLine, hRoot))
        return Install(hRoot);
    if (IsRemoveOption(strCommandLine)) {
        RemoveAutostart();
        return ReportAutostartLeft(nullptr);
    }
    if (IsRunOption(strCommandLine))
        return RunTrayApplication();
    ShowError(nullptr, kNoSystemText, kProgramName, L"Das Programm kann so nicht gestartet werden!");
}

void TearDown()
{
    RemoveTrayIcon();
    DestroyMainWindow();
    StopTrayWorkers();
    if (g_hAppIcon != nullptr) {
        DestroyIcon(g_hAppIcon);
        g_hAppIcon = nullptr;
    }
    UnregisterClassW(kTrayWindowClass, g_hInstance);
    LeaveComApartment();
}

int RunProgram(HINSTANCE hInstance, const wchar_t* pszCommandLine)
{
    StartUp(hInstance);
    PerformAction(CString(pszCommandLine));
    TearDown();
    // The message loop ends only with a WM_QUIT of 0, and every other path
    // ends without one.
    return 0;
}
