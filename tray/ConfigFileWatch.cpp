#include "tray/ConfigFileWatch.h"

#include "foundation/ScopedHandle.h"
#include "settings/CConfig.h"

BY_HANDLE_FILE_INFORMATION g_configFileInfo = {};

bool GetFileInfo(const wchar_t* pszPath, BY_HANDLE_FILE_INFORMATION* pInfo)
{
    if (pInfo == nullptr || pszPath == nullptr)
        return false;
    tessvald::CFileHandle file(CreateFileW(pszPath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    return GetFileInformationByHandle(file.Get(), pInfo) != FALSE;
}

bool HasConfigFileChanged()
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInfo(g_config.GetFileName(), &info))
        return false;
    if (info.nFileSizeHigh == g_configFileInfo.nFileSizeHigh && info.nFileSizeLow == g_configFileInfo.nFileSizeLow
        && info.ftLastWriteTime.dwHighDateTime == g_configFileInfo.ftLastWriteTime.dwHighDateTime
        && info.ftLastWriteTime.dwLowDateTime == g_configFileInfo.ftLastWriteTime.dwLowDateTime)
        return false;
    g_configFileInfo = info;
    return true;
}

void RememberConfigFileState()
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileInfo(g_config.GetFileName(), &info))
        g_configFileInfo = info;
}
