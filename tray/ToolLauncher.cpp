#include "tray/ToolLauncher.h"

#include "foundation/ScopedHandle.h"
#include "foundation/WideFormat.h"
#include "resources/resource.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "tray/MessageBoxes.h"
#include "tray/TrayMenus.h"

#include <shellapi.h>

using tessvald::CFileHandle;
using tessvald::string::FormatBuffer;

namespace {

constexpr DWORD kPathSize = 1024;

// The shell's result codes up to 32 are error codes; 0 means it ran out of
// memory, which the system calls code 8.
DWORD LaunchErrorCode(INT_PTR nResult)
{
    return nResult == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<DWORD>(nResult);
}

} // namespace

bool FileExists(const wchar_t* pszPath)
{
    if (pszPath == nullptr)
        return false;
    CFileHandle file(
        CreateFileW(pszPath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

void EnableToolEntries()
{
    CConfigReadBatch batch(g_config);
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return;
    // Runs before every showing of the tools menu, so it reads only the key
    // it needs; a path that is missing or too long reads as empty, exactly
    // as in the full record.
    for (ULONG n = 1; n <= nCount; ++n) {
        wchar_t szSection[32] = {};
        FormatBuffer(szSection, 32, L"tool%lu", n);
        wchar_t szPath[kPathSize] = {};
        g_config.ReadString(szSection, L"path", szPath, kPathSize);
        const UINT nState = FileExists(szPath) ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
        EnableMenuItem(g_hToolsMenu, IDM_EDIT_TOOLS + n, MF_BYCOMMAND | nState);
    }
}

void LaunchTool(HWND hOwner, ULONG nTool)
{
    CRecord record;
    record.SetSection(L"tool%lu", nTool);
    {
        CConfigReadBatch batch(g_config);
        ReadRecord(&record);
    }
    // Passed exactly as stored: nothing is expanded, quoted or shortened.
    const auto nResult = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", record.m_strPath.GetData(), record.m_strParam.GetData(),
                      record.m_strWorking.GetData(), static_cast<int>(record.m_nShow)));
    if (nResult > 32)
        return;
    ShowError(hOwner, LaunchErrorCode(nResult), L"Ambertille", L"Programm \"%s\" konnte nicht gestartet werden!",
              record.m_strName.GetData());
}
