#pragma once

#include <windows.h>

// Notices changes that others make to the settings file, so the menus are
// rebuilt only when its size or last-write time moved.
extern BY_HANDLE_FILE_INFORMATION g_configFileInfo;

bool GetFileInfo(const wchar_t* pszPath, BY_HANDLE_FILE_INFORMATION* pInfo);
// True when the file differs from the state last seen, or when that state
// was forgotten; the state is then updated.
bool HasConfigFileChanged();
void RememberConfigFileState();
// After a read that failed (the file was locked): the next look counts as
// a change, so the file is read again.
void ForgetConfigFileState();
