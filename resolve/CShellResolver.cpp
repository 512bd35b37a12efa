#include "resolve/CShellResolver.h"

#include <shlguid.h>

namespace tessvald::shelllink {

CShellResolver::CShellResolver() : m_bComInitialized(false), m_nErrorCode(0)
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

// A failure of the Windows API comes back wrapped in an HRESULT; the
// message box explains the plain code. Any other HRESULT is a code that
// the system describes itself.
bool CShellResolver::Succeeded(HRESULT hr)
{
    if (SUCCEEDED(hr)) {
        m_nErrorCode = 0;
        return true;
    }
    m_nErrorCode = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
    return false;
}

bool CShellResolver::CreateInstance()
{
    if (m_pShellLink || m_pPersistFile)
        return true;
    if (!Succeeded(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    m_pShellLink.Receive())))
        return false;
    // A failing call leaves its out-pointer null; only the shell link is
    // left to give back.
    if (!Succeeded(m_pShellLink->QueryInterface(IID_IPersistFile, m_pPersistFile.Receive()))) {
        m_pShellLink.Reset();
        return false;
    }
    return true;
}

bool CShellResolver::Load(const wchar_t* pszPath)
{
    if (pszPath == nullptr || !IsCreated())
        return false;
    return Succeeded(m_pPersistFile->Load(pszPath, STGM_READ));
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

bool CShellResolver::GetFlags(DWORD& nFlags)
{
    nFlags = 0;
    CComRef<IShellLinkDataList> pDataList;
    if (!IsCreated() || FAILED(m_pShellLink->QueryInterface(IID_IShellLinkDataList, pDataList.Receive())))
        return false;
    return SUCCEEDED(pDataList->GetFlags(&nFlags));
}

bool CShellResolver::IsTargetFolder()
{
    if (!IsCreated())
        return false;
    wchar_t szPath[MAX_PATH + 1] = {};
    WIN32_FIND_DATAW data = {};
    if (FAILED(m_pShellLink->GetPath(szPath, MAX_PATH, &data, 0)))
        return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace tessvald::shelllink
