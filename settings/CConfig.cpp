#include "settings/CConfig.h"

#include "foundation/WideFormat.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsBackup.h"

#include <cwchar>
#include <cstdlib>
#include <string>

using tessvald::string::CString;
using tessvald::string::FormatBuffer;
using tessvald::string::TextEquals;

CConfig g_config;

namespace {

bool IsBlankText(const wchar_t* pszText)
{
    return pszText == nullptr || pszText[0] == L'\0';
}

} // namespace

CConfig::CConfig() : m_strFileName(), m_nReadBatches(0), m_bLookedInBatch(false), m_bReadable(false)
{
}

CConfig::~CConfig() = default;

bool CConfig::SetFileName(const wchar_t* pszFileName)
{
    m_strFileName.Assign(pszFileName);
    ForgetSnapshot();
    return !m_strFileName.IsEmpty();
}

const wchar_t* CConfig::GetFileName() const
{
    return m_strFileName.GetData();
}

bool CConfig::ReadString(const wchar_t* pszSection, const wchar_t* pszKey, wchar_t* pszBuffer, DWORD nSize) const
{
    if (IsBlankText(pszSection) || IsBlankText(pszKey) || pszBuffer == nullptr || nSize == 0
        || m_strFileName.IsEmpty())
        return false;

    const CProfileSnapshot* pSnapshot = CurrentSnapshot();
    const wchar_t* pszValue = nullptr;
    std::size_t nLength = 0;
    if (pSnapshot == nullptr || !pSnapshot->Find(pszSection, pszKey, pszValue, nLength))
        return false;
    // A value that does not fit is refused, never cut.
    if (nLength == 0 || nLength >= nSize)
        return false;
    std::wmemcpy(pszBuffer, pszValue, nLength);
    pszBuffer[nLength] = L'\0';
    return true;
}

bool CConfig::ReadBool(const wchar_t* pszSection, const wchar_t* pszKey, bool& bValue) const
{
    wchar_t szValue[20] = {};
    if (!ReadString(pszSection, pszKey, szValue, 20))
        return false;
    if (TextEquals(szValue, L"TRUE", true) || TextEquals(szValue, L"1", false)) {
        bValue = true;
        return true;
    }
    if (TextEquals(szValue, L"FALSE", true) || TextEquals(szValue, L"0", false)) {
        bValue = false;
        return true;
    }
    return false;
}

bool CConfig::ReadLong(const wchar_t* pszSection, const wchar_t* pszKey, LONG& nValue) const
{
    wchar_t szValue[40] = {};
    if (!ReadString(pszSection, pszKey, szValue, 40))
        return false;
    nValue = CString(szValue).ToLong();
    return true;
}

bool CConfig::ReadULong(const wchar_t* pszSection, const wchar_t* pszKey, ULONG& nValue) const
{
    wchar_t szValue[40] = {};
    if (!ReadString(pszSection, pszKey, szValue, 40))
        return false;
    // unsigned long is 32 bits here: "-1" reads as 4294967295 and larger
    // values clamp there, as the standard conversion does.
    nValue = std::wcstoul(szValue, nullptr, 10);
    return true;
}

bool CConfig::ReadSectionKeys(const wchar_t* pszSection,
                              std::vector<std::pair<std::wstring, std::wstring>>& keys) const
{
    keys.clear();
    const CProfileSnapshot* pSnapshot = m_strFileName.IsEmpty() ? nullptr : CurrentSnapshot();
    return pSnapshot != nullptr && pSnapshot->Keys(pszSection, keys);
}

ULONG CConfig::ReadHighestSectionNumber(const wchar_t* pszPrefix) const
{
    if (m_strFileName.IsEmpty())
        return 0;
    const CProfileSnapshot* pSnapshot = CurrentSnapshot();
    return pSnapshot == nullptr ? 0 : pSnapshot->HighestNumberedSection(pszPrefix);
}

bool CConfig::WriteString(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue, bool bQuote) const
{
    if (IsBlankText(pszSection) || IsBlankText(pszKey) || IsBlankText(pszValue) || m_strFileName.IsEmpty())
        return false;
    return WriteValues({ { pszSection, pszKey, pszValue, bQuote } });
}

bool CConfig::WriteBool(const wchar_t* pszSection, const wchar_t* pszKey, bool bValue, bool bWordForm) const
{
    const wchar_t* pszValue = bWordForm ? (bValue ? L"TRUE" : L"FALSE") : (bValue ? L"1" : L"0");
    return WriteString(pszSection, pszKey, pszValue);
}

bool CConfig::WriteLong(const wchar_t* pszSection, const wchar_t* pszKey, LONG nValue) const
{
    wchar_t szValue[20] = {};
    FormatBuffer(szValue, 20, L"%ld", nValue);
    return WriteString(pszSection, pszKey, szValue);
}

bool CConfig::WriteULong(const wchar_t* pszSection, const wchar_t* pszKey, ULONG nValue) const
{
    wchar_t szValue[20] = {};
    FormatBuffer(szValue, 20, L"%lu", nValue);
    return WriteString(pszSection, pszKey, szValue);
}

bool CConfig::DeleteKey(const wchar_t* pszSection, const wchar_t* pszKey) const
{
    if (IsBlankText(pszSection) || IsBlankText(pszKey) || m_strFileName.IsEmpty())
        return false;
    // Without a file there is no key to take away, and nothing to create.
    if (GetFileAttributesW(m_strFileName.GetData()) == INVALID_FILE_ATTRIBUTES)
        return true;
    return WriteValues({ { pszSection, pszKey, std::wstring(), false } });
}

// A file that cannot be read right now is not rewritten: its list would be
// lost.
bool CConfig::WriteValues(const std::vector<SProfileValue>& values) const
{
    if (m_strFileName.IsEmpty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring text;
    const bool bWritten = ReadSettingsText(m_strFileName.GetData(), text)
        && SaveSettingsText(m_strFileName.GetData(), EditProfileText(text, values));
    const DWORD nError = GetLastError();
    ForgetSnapshot();
    SetLastError(nError);
    return bWritten;
}

bool CConfig::IsReadable() const
{
    return CurrentSnapshot() != nullptr || IsMissingFileError(m_snapshot.GetError());
}

DWORD CConfig::GetReadError() const
{
    return m_snapshot.GetError();
}

unsigned long long CConfig::GetContentHash() const
{
    const CProfileSnapshot* pSnapshot = CurrentSnapshot();
    return pSnapshot == nullptr ? 0 : pSnapshot->GetContentHash();
}

void CConfig::BeginReadBatch() const
{
    if (m_nReadBatches++ == 0)
        m_bLookedInBatch = false;
}

void CConfig::EndReadBatch() const
{
    if (m_nReadBatches > 0)
        --m_nReadBatches;
}

const CProfileSnapshot* CConfig::CurrentSnapshot() const
{
    if (m_nReadBatches == 0 || !m_bLookedInBatch) {
        m_bReadable = m_snapshot.Refresh(m_strFileName.GetData());
        m_bLookedInBatch = m_nReadBatches > 0;
    }
    return m_bReadable ? &m_snapshot : nullptr;
}

// The file's size and times may not move when a write lands within the
// same clock tick, so a write of our own always drops the snapshot.
void CConfig::ForgetSnapshot() const
{
    m_snapshot.Invalidate();
    m_bLookedInBatch = false;
}
