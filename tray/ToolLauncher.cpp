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

namespace {

// The shell's result codes up to 32 are error codes; 0 means it ran out of
// memory, which the system calls code 8.
DWORD LaunchErrorCode(INT_PTR nResult)
{
    return nResult == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<DWORD>(nResult);
}

} // namespace

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
