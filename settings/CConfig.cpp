#include "settings/CConfig.h"

#include "foundation/ScopedHandle.h"
#include "foundation/WideFormat.h"
#include "settings/CProfileText.h"
#include "settings/ProfileFormat.h"

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

// A file that the profile functions create themselves is written in the
// ANSI code page, which turns every other character into '?'; given the
// UTF-16 byte order mark first, they write UTF-16.
void CreateUnicodeFileIfMissing(const wchar_t* pszFileName)
{
    if (GetFileAttributesW(pszFileName) != INVALID_FILE_ATTRIBUTES)
        return;
    tessvald::CFileHandle file(CreateFileW(pszFileName, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD nWritten = 0;
    WriteFile(file.Get(), kUtf16Bom, sizeof(kUtf16Bom), &nWritten, nullptr);
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

    std::wstring text;
    AppendProfileValue(text, pszValue, bQuote);

    CreateUnicodeFileIfMissing(m_strFileName.GetData());
    const BOOL bWritten = WritePrivateProfileStringW(pszSection, pszKey, text.c_str(), m_strFileName.GetData());
    // The flush must not hide why the write failed: the caller may show it.
    const DWORD nError = GetLastError();
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_strFileName.GetData());
    ForgetSnapshot();
    SetLastError(nError);
    return bWritten == TRUE;
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
    // Without a file there is no key to take away; the profile functions
    // would create an empty one.
    if (GetFileAttributesW(m_strFileName.GetData()) == INVALID_FILE_ATTRIBUTES)
        return true;
    const BOOL bDeleted = WritePrivateProfileStringW(pszSection, pszKey, nullptr, m_strFileName.GetData());
    const DWORD nError = GetLastError();
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_strFileName.GetData());
    ForgetSnapshot();
    SetLastError(nError);
    return bDeleted == TRUE;
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
