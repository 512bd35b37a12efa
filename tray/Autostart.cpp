#include "tray/Autostart.h"

#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"
#include "tray/AppGlobals.h"
#include "tray/MessageBoxes.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"AmbertilleWatchDog";

// The Run key is opened, never created: it belongs to the system.
LONG OpenRunKey(HKEY hRoot, tessvald::CRegKeyHandle& key)
{
    HKEY hKey = nullptr;
    const LONG nResult = RegOpenKeyExW(hRoot, kRunKey, 0, KEY_SET_VALUE, &hKey);
    if (nResult == ERROR_SUCCESS)
        key.Reset(hKey);
    return nResult;
}

// A missing value or a denied key is no error here: there is nothing of
// ours to remove then, or nothing we may remove.
void DeleteRunValue(HKEY hRoot)
{
    tessvald::CRegKeyHandle key;
    if (OpenRunKey(hRoot, key) == ERROR_SUCCESS)
        RegDeleteValueW(key.Get(), kRunValue);
}

bool HasRunValue(HKEY hRoot)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, kRunKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    tessvald::CRegKeyHandle key(hKey);
    return RegQueryValueExW(key.Get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The registry functions return their error without setting the thread's
// last error; the caller reports the reason from there.
bool Fail(LONG nError)
{
    SetLastError(static_cast<DWORD>(nError));
    return false;
}

} // namespace

bool RemoveAutostart()
{
    DeleteRunValue(HKEY_LOCAL_MACHINE);
    DeleteRunValue(HKEY_CURRENT_USER);
    return true;
}

void ReportAutostartLeft(HWND hOwner)
{
    if (!HasRunValue(HKEY_LOCAL_MACHINE))
        return;
    ShowError(hOwner, kNoSystemText, kProgramName,
              L"Der Autostart-Eintrag f\u00fcr alle Benutzer bleibt bestehen: Nur ein Administrator kann ihn "
              L"entfernen. Ambertille startet deshalb bei der n\u00e4chsten Anmeldung wieder.\n\n"
              L"So entfernen Sie ihn: \u00d6ffnen Sie die Eingabeaufforderung mit \u201EAls Administrator "
              L"ausf\u00fchren\u201C und geben Sie ein:\n\"%s\" -remove",
              g_strModulePath.GetData());
}

bool InstallAutostart(HKEY hRoot)
{
    RemoveAutostart();
    if (hRoot == nullptr)
        return Fail(ERROR_INVALID_HANDLE);

    tessvald::CRegKeyHandle key;
    const LONG nOpen = OpenRunKey(hRoot, key);
    if (nOpen != ERROR_SUCCESS)
        return Fail(nOpen);

    // The length that Format gives counts the terminator, so the stored
    // data includes it, as REG_SZ wants.
    tessvald::string::CString strData;
    tessvald::string::CString::Format(strData, L"\"%s\" -run", g_strModulePath.GetData());
    const LONG nSet = RegSetValueExW(key.Get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(strData.GetData()),
                                     strData.GetLength() * static_cast<DWORD>(sizeof(wchar_t)));
    if (nSet != ERROR_SUCCESS)
        return Fail(nSet);
    return true;
}
