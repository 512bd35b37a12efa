#include "tray/IconCache.h"

#include "foundation/AsciiCase.h"
#include "resolve/EntryResolver.h"
#include "tray/IconFile.h"

#include <cwchar>

using tessvald::string::CString;

namespace {

// File names match as the file system matches them, ignoring the case of
// ASCII letters.
std::wstring MakeKey(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight)
{
    std::wstring key = tessvald::string::AsciiLower(std::wstring(pszFile) + L'|' + pszPath);
    key += L'|' + std::to_wstring(nIndex) + L'|' + std::to_wstring(nWidth) + L'x' + std::to_wstring(nHeight);
    return key;
}

} // namespace

CIconCache::CIcon::CIcon(std::wstring strKey, const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath,
                         int nWidth, int nHeight, ULONG nSerial)
    : m_strKey(std::move(strKey)), m_strFile(pszFile), m_nIndex(nIndex), m_strPath(pszPath), m_nWidth(nWidth),
      m_nHeight(nHeight), m_nSerial(nSerial), m_eState(EState::Pending), m_nUsers(0)
{
}

CIconCache::CIcon::~CIcon() = default;

CIconCache::CIconCache() : m_nNextSerial(1), m_pfnLoad(LoadEntryIcon)
{
}

CIconCache::~CIconCache() = default;

CIconCache::CIcon* CIconCache::Acquire(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth,
                                       int nHeight)
{
    // "%WINDIR%\notepad.exe" and its expansion are one file and one icon.
    CString strFile;
    CString strPath;
    const bool bFile = ExpandEnvironment(pszFile, strFile);
    if (!ExpandEnvironment(pszPath, strPath) && !bFile)
        return nullptr;
    std::wstring key = MakeKey(strFile.GetText(), nIndex, strPath.GetText(), nWidth, nHeight);
    auto found = m_icons.find(key);
    if (found == m_icons.end()) {
        const ULONG nSerial = m_nNextSerial++;
        auto pIcon =
            std::make_unique<CIcon>(key, strFile.GetText(), nIndex, strPath.GetText(), nWidth, nHeight, nSerial);
        m_bySerial[nSerial] = pIcon.get();
        m_newSerials.push_back(nSerial);
        found = m_icons.emplace(std::move(key), std::move(pIcon)).first;
    }
    ++found->second->m_nUsers;
    return found->second.get();
}

void CIconCache::Release(CIcon* pIcon)
{
    if (pIcon == nullptr || --pIcon->m_nUsers > 0)
        return;
    m_bySerial.erase(pIcon->m_nSerial);
    m_icons.erase(pIcon->m_strKey);
}

void CIconCache::LoadNow(CIcon& icon)
{
    if (icon.m_eState != CIcon::EState::Pending)
        return;
    icon.m_hIcon.Reset(
        m_pfnLoad(icon.m_strFile.GetText(), icon.m_nIndex, icon.m_strPath.GetText(), icon.m_nWidth, icon.m_nHeight));
    icon.m_eState = icon.m_hIcon ? CIcon::EState::Loaded : CIcon::EState::Failed;
}

bool CIconCache::Deliver(ULONG nSerial, HICON hIcon)
{
    tessvald::CIconHandle picture(hIcon);
    CIcon* pIcon = FindPending(nSerial);
    if (pIcon == nullptr)
        return false;
    pIcon->m_hIcon = std::move(picture);
    pIcon->m_eState = pIcon->m_hIcon ? CIcon::EState::Loaded : CIcon::EState::Failed;
    return true;
}

bool CIconCache::IsPending(ULONG nSerial) const
{
    return FindPending(nSerial) != nullptr;
}

std::vector<const CIconCache::CIcon*> CIconCache::TakeNew()
{
    std::vector<const CIcon*> icons;
    for (ULONG nSerial : m_newSerials)
        if (const CIcon* pIcon = FindPending(nSerial))
            icons.push_back(pIcon);
    m_newSerials.clear();
    return icons;
}

std::size_t CIconCache::LoadedCount() const
{
    std::size_t nCount = 0;
    for (const auto& entry : m_icons)
        if (entry.second->m_hIcon)
            ++nCount;
    return nCount;
}

std::size_t CIconCache::PendingCount() const
{
    std::size_t nCount = 0;
    for (const auto& entry : m_icons)
        if (entry.second->m_eState == CIcon::EState::Pending)
            ++nCount;
    return nCount;
}

CIconCache::CIcon* CIconCache::FindPending(ULONG nSerial) const
{
    const auto found = m_bySerial.find(nSerial);
    if (found == m_bySerial.end() || found->second->m_eState != CIcon::EState::Pending)
        return nullptr;
    return found->second;
}
