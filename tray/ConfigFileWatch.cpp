#include "tray/ConfigFileWatch.h"

#include "foundation/ScopedHandle.h"
#include "settings/CConfig.h"

BY_HANDLE_FILE_INFORMATION g_configFileInfo = {};

namespace {

bool s_bConfigStateKnown = true;

} // namespace

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

namespace {

// The state of a file that is not there: all zero, as no real file is.
bool IsNoFile(const BY_HANDLE_FILE_INFORMATION& info)
{
    const BY_HANDLE_FILE_INFORMATION none = {};
    return info.nFileSizeHigh == none.nFileSizeHigh && info.nFileSizeLow == none.nFileSizeLow
        && info.ftLastWriteTime.dwHighDateTime == 0 && info.ftLastWriteTime.dwLowDateTime == 0;
}

} // namespace

// A file that went away is a change too: the menus must show no tools
// then, not the ones of a file that is gone.
bool HasConfigFileChanged()
{
    if (!s_bConfigStateKnown) {
        RememberConfigFileState();
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInfo(g_config.GetFileName(), &info)) {
        if (IsNoFile(g_configFileInfo))
            return false;
        g_configFileInfo = BY_HANDLE_FILE_INFORMATION{};
        return true;
    }
    if (info.nFileSizeHigh == g_configFileInfo.nFileSizeHigh && info.nFileSizeLow == g_configFileInfo.nFileSizeLow
        && info.ftLastWriteTime.dwHighDateTime == g_configFileInfo.ftLastWriteTime.dwHighDateTime
        && info.ftLastWriteTime.dwLowDateTime == g_configFileInfo.ftLastWriteTime.dwLowDateTime)
        return false;
    g_configFileInfo = info;
    return true;
}

void RememberConfigFileState()
{
    s_bConfigStateKnown = true;
    BY_HANDLE_FILE_INFORMATION info = {};
    g_configFileInfo = GetFileInfo(g_config.GetFileName(), &info) ? info : BY_HANDLE_FILE_INFORMATION{};
}

void ForgetConfigFileState()
{
    s_bConfigStateKnown = false;
}
