#include "resolve/CMsiResolver.h"

#include "foundation/SystemLibrary.h"

#include <cwchar>

namespace tessvald::shelllink {

namespace {

// GetProcAddress hands out a generic function address; going through the
// one function type that converts to any other keeps the cast well-defined.
template <class TFunction>
TFunction GetFunction(HMODULE hModule, const char* pszName)
{
    using Generic = void (*)();
    return reinterpret_cast<TFunction>(reinterpret_cast<Generic>(GetProcAddress(hModule, pszName)));
}

} // namespace

CMsiResolver::CMsiResolver()
    : m_pfnGetShortcutTarget(nullptr), m_pfnGetComponentPath(nullptr), m_nState(INSTALLSTATE_UNKNOWN),
      m_szProductCode(), m_szFeatureId(), m_szComponentCode()
{
}

CMsiResolver::~CMsiResolver() = default;

bool CMsiResolver::Initialize()
{
    if (!m_hMsi)
        m_hMsi.Reset(LoadSystemLibrary(L"msi.dll"));
    if (!m_hMsi)
        return false;
    m_pfnGetShortcutTarget = GetFunction<PFN_GetShortcutTarget>(m_hMsi.Get(), "MsiGetShortcutTargetW");
    m_pfnGetComponentPath = GetFunction<PFN_GetComponentPath>(m_hMsi.Get(), "MsiGetComponentPathW");
    return m_pfnGetShortcutTarget != nullptr && m_pfnGetComponentPath != nullptr;
}

bool CMsiResolver::QueryShortcutTarget(const wchar_t* pszPath)
{
    std::wmemset(m_szProductCode, L'\0', kCodeLength);
    std::wmemset(m_szFeatureId, L'\0', kCodeLength);
    std::wmemset(m_szComponentCode, L'\0', kCodeLength);
    return m_pfnGetShortcutTarget(pszPath, m_szProductCode, m_szFeatureId, m_szComponentCode)
        == ERROR_SUCCESS;
}

bool CMsiResolver::IsAdvertised(const wchar_t* pszPath)
{
    if (pszPath == nullptr || m_pfnGetShortcutTarget == nullptr)
        return false;
    return QueryShortcutTarget(pszPath);
}

bool CMsiResolver::GetTargetPath(const wchar_t* pszPath, wchar_t* pszBuffer, DWORD& nCapacity)
{
    m_nState = INSTALLSTATE_UNKNOWN;
    if (pszPath == nullptr || pszBuffer == nullptr)
        return false;
    if (m_pfnGetShortcutTarget == nullptr || m_pfnGetComponentPath == nullptr)
        return false;
    if (!QueryShortcutTarget(pszPath))
        return false;

    // The size query's state is of no interest: it only reports the length,
    // without the terminator.
    wchar_t szProbe[1] = { L'\0' };
    DWORD nLength = 0;
    m_pfnGetComponentPath(m_szProductCode, m_szComponentCode, szProbe, &nLength);
    if (nLength >= nCapacity) {
        m_nState = INSTALLSTATE_MOREDATA;
        return false;
    }

    nLength = nCapacity;
    // Absent, advertised or run-from-source components still name a path;
    // only the installer's errors are negative.
    m_nState = m_pfnGetComponentPath(m_szProductCode, m_szComponentCode, pszBuffer, &nLength);
    if (m_nState < 0)
        return false;
    nCapacity = nLength;
    return true;
}

} // namespace tessvald::shelllink
