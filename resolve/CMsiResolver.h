#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>
#include <msi.h>

namespace tessvald::shelllink {

// Recognises shortcuts that Windows Installer advertised (their target is an
// installed component, not a path) and asks the installer where that
// component lives. The installer library is loaded at run time from the
// system folder only, so the program runs where it is missing and a file of
// that name beside the program is never loaded.
class CMsiResolver
{
public:
    CMsiResolver();
    CMsiResolver(const CMsiResolver&) = delete;
    CMsiResolver& operator=(const CMsiResolver&) = delete;
    virtual ~CMsiResolver();

    // True when the library and both functions were found.
    bool Initialize();
    bool IsAdvertised(const wchar_t* pszPath);
    // nCapacity: in, the characters the buffer takes with its terminator;
    // out, the length of the path written. A path that would fill the
    // buffer without room for the terminator is refused.
    bool GetTargetPath(const wchar_t* pszPath, wchar_t* pszBuffer, DWORD& nCapacity);
    // What the installer said of the component at the last GetTargetPath:
    // INSTALLSTATE_UNKNOWN when its product is not installed here,
    // INSTALLSTATE_MOREDATA when its path did not fit.
    INSTALLSTATE GetState() const { return m_nState; }

private:
    using PFN_GetShortcutTarget = UINT(WINAPI*)(LPCWSTR, LPWSTR, LPWSTR, LPWSTR);
    using PFN_GetComponentPath = INSTALLSTATE(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);

    // A code in braces is 38 characters and its terminator.
    static constexpr int kCodeLength = 39;

    CModuleHandle m_hMsi;
    PFN_GetShortcutTarget m_pfnGetShortcutTarget;
    PFN_GetComponentPath m_pfnGetComponentPath;
    INSTALLSTATE m_nState;
    wchar_t m_szProductCode[kCodeLength];
    wchar_t m_szFeatureId[kCodeLength];
    wchar_t m_szComponentCode[kCodeLength];

    bool QueryShortcutTarget(const wchar_t* pszPath);
};

} // namespace tessvald::shelllink
