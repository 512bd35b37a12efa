#pragma once

#include <cstdarg>
#include <cstdint>

namespace tessvald::string {

// The one string class of the program: heap-owned UTF-16 text with its
// length, and a separate scratch buffer for platform calls that write text.
// Storage is always exact; a change of contents frees and reallocates.
class CString
{
public:
    static constexpr std::uint32_t npos = 0xFFFFFFFFu;

    CString();
    CString(const wchar_t* pszText);
    CString(const CString& other);
    CString& operator=(const wchar_t* pszText);
    CString& operator=(const CString& other);
    virtual ~CString();

    bool Assign(const wchar_t* pszText);
    bool Assign(const CString& other);
    void Clear();
    const wchar_t* GetData() const { return m_pszData; }
    // For the controls and calls that take no null: a string without data
    // reads as empty.
    const wchar_t* GetText() const { return m_pszData != nullptr ? m_pszData : L""; }
    std::uint32_t GetLength() const { return m_nLength; }
    bool IsEmpty() const;
    bool Allocate(std::uint32_t nLength);

    wchar_t* GetBuffer(std::uint32_t nLength);
    const wchar_t* ReleaseBuffer();
    void FreeBuffer();

    // printf-style with the Windows wide convention: "%s" takes a wide
    // string. The length counts the terminator of the formatted text.
    static bool Format(CString& target, const wchar_t* pszFormat, ...);
    static bool FormatV(CString& target, const wchar_t* pszFormat, va_list args);
    bool Append(const wchar_t* pszText);

    CString Substring(std::uint32_t nStart, std::uint32_t nEnd = npos) const;
    std::int32_t Find(wchar_t ch) const;
    std::int32_t ReverseFind(wchar_t ch) const;
    CString TrimLeft() const;
    CString TrimRight() const;
    CString Trim() const;
    CString ToUpper() const;
    bool Equals(const wchar_t* pszText, bool bIgnoreCase) const;
    std::int32_t ToLong() const;

private:
    std::uint32_t m_nLength;
    wchar_t* m_pszData;
    wchar_t* m_pszBuffer;
};

} // namespace tessvald::string
