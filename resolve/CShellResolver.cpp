#include "resolve/CShellResolver.h"

#include <shlguid.h>

namespace tessvald::shelllink {

CShellResolver::CShellResolver() : m_bComInitialized(false)
{
    // COM counts an "already initialised" answer (S_FALSE) like a first
    // one; leaving it unbalanced would add one reference per shortcut read
    // to the thread's COM, which then outlives the thread's own end.
    m_bComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

CShellResolver::~CShellResolver()
{
    // The shell object must be gone before its apartment is torn down.
    m_pPersistFile.Reset();
    m_pShellLink.Reset();
    if (m_bComInitialized)
        CoUninitialize();
}

bool CShellResolver::IsCreated() const
{
    return m_pShellLink && m_pPersistFile;
}

bool CShellResolver::CanFill(const wchar_t* pszBuffer, int nCapacity) const
{
    return pszBuffer != nullptr && nCapacity > 0 && IsCreated();
}

bool CShellResolver::CreateInstance()
{
    if (m_pShellLink || m_pPersistFile)
        return true;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                m_pShellLink.Receive())))
        return false;
    // A failing call leaves its out-pointer null; only the shell link is
    // left to give back.
    if (FAILED(m_pShellLink->QueryInterface(IID_IPersistFile, m_pPersistFile.Receive()))) {
        m_pShellLink.Reset();
        return false;
    }
    return true;
}

bool CShellResolver::Load(const wchar_t* pszPath)
{
    if (pszPath == nullptr || !IsCreated())
        return false;
    return SUCCEEDED(m_pPersistFile->Load(pszPath, STGM_READ));
}

bool CShellResolver::GetPath(wchar_t* pszBuffer, int nCapacity)
{
    if (!CanFill(pszBuffer, nCapacity))
        return false;
    return SUCCEEDED(m_pShellLink->GetPath(pszBuffer, nCapacity, nullptr, 0));
}

bool CShellResolver::GetArguments(wchar_t* pszBuffer, int nCapacity)
{
    if (!CanFill(pszBuffer, nCapacity))
        return false;
    return SUCCEEDED(m_pShellLink->GetArguments(pszBuffer, nCapacity));
}

bool CShellResolver::GetWorkingDirectory(wchar_t* pszBuffer, int nCapacity)
{
    if (!CanFill(pszBuffer, nCapacity))
        return false;
    return SUCCEEDED(m_pShellLink->GetWorkingDirectory(pszBuffer, nCapacity));
}

bool CShellResolver::GetDescription(wchar_t* pszBuffer, int nCapacity)
{
    if (!CanFill(pszBuffer, nCapacity))
        return false;
    return SUCCEEDED(m_pShellLink->GetDescription(pszBuffer, nCapacity));
}

bool CShellResolver::GetIconLocation(wchar_t* pszBuffer, int nCapacity, int& nIndex)
{
    nIndex = -1;
    if (!CanFill(pszBuffer, nCapacity))
        return false;
    return SUCCEEDED(m_pShellLink->GetIconLocation(pszBuffer, nCapacity, &nIndex));
}

bool CShellResolver::GetShowCmd(int& nShowCmd)
{
    nShowCmd = -1;
    if (!IsCreated())
        return false;
    return SUCCEEDED(m_pShellLink->GetShowCmd(&nShowCmd));
}

} // namespace tessvald::shelllink
