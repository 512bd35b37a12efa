#include "settings/CConfig.h"

#include "foundation/WideFormat.h"

#include <cwchar>
#include <cstdlib>
#include <memory>

using tessvald::string::CString;
using tessvald::string::FormatBuffer;
using tessvald::string::TextEquals;

CConfig g_config;

namespace {

bool IsBlankText(const wchar_t* pszText)
{
    return pszText == nullptr || pszText[0] == L'\0';
}

// The profile functions write values raw: a line break inside a value (a
// shortcut's description may hold one) would start new lines such as
// "[tool1]" in the file, so breaks are written as blanks.
CString MakeProfileValue(const wchar_t* pszValue, bool bQuote)
{
    CString strValue;
    if (bQuote)
        CString::Format(strValue, L"\"%s\"", pszValue);
    else
        strValue.Assign(pszValue);

    const std::uint32_t nLength = strValue.GetLength();
    const wchar_t* pszSource = strValue.GetData();
    wchar_t* pszTarget = strValue.GetBuffer(nLength);
    for (std::uint32_t i = 0; i < nLength; ++i)
        pszTarget[i] = (pszSource[i] == L'\r' || pszSource[i] == L'\n') ? L' ' : pszSource[i];
    strValue.ReleaseBuffer();
    strValue.FreeBuffer();
    return strValue;
}

} // namespace

CConfig::CConfig() : m_strFileName()
{
}

CConfig::~CConfig() = default;

bool CConfig::SetFileName(const wchar_t* pszFileName)
{
    m_strFileName.Assign(pszFileName);
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

    // One character more than the caller's buffer tells a value that just
    // fits from one that the platform would have cut.
    std::unique_ptr<wchar_t[]> temp(new wchar_t[static_cast<size_t>(nSize) + 1]());
    const DWORD nRead = GetPrivateProfileStringW(pszSection, pszKey, L"", temp.get(), nSize + 1,
                                                 m_strFileName.GetData());
    if (nRead == 0 || nRead >= nSize)
        return false;
    std::wmemcpy(pszBuffer, temp.get(), static_cast<size_t>(nRead) + 1);
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

bool CConfig::WriteString(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue, bool bQuote) const
{
    if (IsBlankText(pszSection) || IsBlankText(pszKey) || IsBlankText(pszValue) || m_strFileName.IsEmpty())
        return false;

    const CString strText = MakeProfileValue(pszValue, bQuote);

    const BOOL bWritten = WritePrivateProfileStringW(pszSection, pszKey, strText.GetData(), m_strFileName.GetData());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_strFileName.GetData());
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
