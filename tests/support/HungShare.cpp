#include "support/HungShare.h"

#include <windows.h>

namespace testsupport {

std::wstring HungSharePath()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    const DWORD nLength = GetEnvironmentVariableW(L"AMBERTILLE_HUNG_SHARE", szPath, MAX_PATH + 1);
    if (nLength == 0 || nLength > MAX_PATH)
        return std::wstring();
    return szPath;
}

} // namespace testsupport
