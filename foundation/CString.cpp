#include "foundation/CString.h"

#include "foundation/AsciiCase.h"
#include "foundation/WideFormat.h"

#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <new>
#include <utility>

namespace tessvald::string {

namespace {

// Buffers are sized (n + 1) * 2 bytes in 32 bits; a size that does not fit
// is a request for the largest size, which cannot be met.
wchar_t* AllocateChars(std::uint32_t nLength)
{
    const std::uint64_t nBytes = (static_cast<std::uint64_t>(nLength) + 1u) * sizeof(wchar_t);
    if (nBytes > 0xFFFFFFFFull)
        throw std::bad_alloc();
    return new wchar_t[static_cast<std::size_t>(nLength) + 1u]();
}

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

} // namespace

CString::CString() : m_nLength(0), m_pszData(nullptr), m_pszBuffer(nullptr)
{
    m_pszData = AllocateChars(0);
}

CString::CString(const wchar_t* pszText) : m_nLength(0), m_pszData(nullptr), m_pszBuffer(nullptr)
{
    Assign(pszText);
}

CString::CString(const CString& other) : m_nLength(0), m_pszData(nullptr), m_pszBuffer(nullptr)
{
    Assign(other);
}

CString& CString::operator=(const wchar_t* pszText)
{
    Assign(pszText);
    return *this;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

CString::~CString()
{
    delete[] m_pszData;
    delete[] m_pszBuffer;
}

bool CString::Assign(const wchar_t* pszText)
{
    if (pszText == nullptr) {
        Clear();
        return false;
    }
    const std::size_t nLength = std::wcslen(pszText);
    if (nLength > 0xFFFFFFFEu)
        throw std::bad_alloc();
    // Copied before the old text goes: the argument may point into it.
    wchar_t* pszCopy = AllocateChars(static_cast<std::uint32_t>(nLength));
    std::wmemcpy(pszCopy, pszText, nLength);
    delete[] m_pszData;
    m_pszData = pszCopy;
    m_nLength = static_cast<std::uint32_t>(nLength);
    return true;
}

bool CString::Assign(const CString& other)
{
    if (this == &other)
        return m_pszData != nullptr;
    return Assign(other.m_pszData);
}

void CString::Clear()
{
    delete[] m_pszData;
    m_pszData = nullptr;
    m_nLength = 0;
}

bool CString::IsEmpty() const
{
    return m_nLength == 0 || (m_nLength == 1 && m_pszData != nullptr && m_pszData[0] == L'\0');
}

bool CString::Allocate(std::uint32_t nLength)
{
    Clear();
    m_pszData = AllocateChars(nLength);
    m_nLength = nLength;
    return true;
}

wchar_t* CString::GetBuffer(std::uint32_t nLength)
{
    FreeBuffer();
    m_pszBuffer = AllocateChars(nLength);
    return m_pszBuffer;
}

const wchar_t* CString::ReleaseBuffer()
{
    if (m_pszBuffer == nullptr) {
        Clear();
        return L"";
    }
    Assign(m_pszBuffer);
    return m_pszData;
}

void CString::FreeBuffer()
{
    delete[] m_pszBuffer;
    m_pszBuffer = nullptr;
}

bool CString::Format(CString& target, const wchar_t* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const bool bResult = FormatV(target, pszFormat, args);
    va_end(args);
    return bResult;
}

bool CString::FormatV(CString& target, const wchar_t* pszFormat, va_list args)
{
    if (pszFormat == nullptr)
        return false;
    va_list countArgs;
    va_copy(countArgs, args);
    const int nCount = CountFormattedV(pszFormat, countArgs);
    va_end(countArgs);
    if (nCount < 0)
        return false;

    // The formatted text's terminator is counted in the length, and the
    // buffer keeps one more NUL behind it. The text is built aside and
    // swapped in, so the target's own text may be one of the arguments.
    const auto nChars = static_cast<std::uint32_t>(nCount);
    CString result;
    result.Allocate(nChars + 1u);
    int nProduced = FormatBufferV(result.m_pszData, static_cast<std::size_t>(nChars) + 1u, pszFormat, args);
    if (nProduced < 0)
        nProduced = 0;
    result.m_nLength = static_cast<std::uint32_t>(nProduced) + 1u;
    std::swap(target.m_nLength, result.m_nLength);
    std::swap(target.m_pszData, result.m_pszData);
    return nProduced > 0;
}

bool CString::Append(const wchar_t* pszText)
{
    if (pszText == nullptr)
        return false;
    return Format(*this, L"%s%s", m_pszData != nullptr ? m_pszData : L"", pszText);
}

CString CString::Substring(std::uint32_t nStart, std::uint32_t nEnd) const
{
    CString result;
    if (m_pszData == nullptr)
        return result;
    if (nEnd == npos || nEnd > m_nLength)
        nEnd = m_nLength;
    if (nStart > nEnd || nStart >= m_nLength)
        return result;
    result.Allocate(nEnd - nStart);
    for (std::uint32_t i = 0; i < nEnd - nStart && m_pszData[nStart + i] != L'\0'; ++i)
        result.m_pszData[i] = m_pszData[nStart + i];
    return result;
}

std::int32_t CString::Find(wchar_t ch) const
{
    if (m_pszData == nullptr)
        return -1;
    for (std::uint32_t i = 0; i < m_nLength; ++i) {
        if (m_pszData[i] == ch)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t CString::ReverseFind(wchar_t ch) const
{
    if (m_pszData == nullptr)
        return -1;
    for (std::uint32_t i = m_nLength; i > 0; --i) {
        if (m_pszData[i - 1] == ch)
            return static_cast<std::int32_t>(i - 1);
    }
    return -1;
}

CString CString::TrimLeft() const
{
    if (m_pszData == nullptr)
        return CString();
    for (std::uint32_t i = 0; i < m_nLength; ++i) {
        if (!IsBlank(m_pszData[i]))
            return Substring(i);
    }
    return CString();
}

CString CString::TrimRight() const
{
    if (m_pszData == nullptr)
        return CString();
    for (std::uint32_t i = m_nLength; i > 0; --i) {
        const wchar_t ch = m_pszData[i - 1];
        if (!IsBlank(ch) && ch != L'\0')
            return Substring(0, i);
    }
    return CString();
}

CString CString::Trim() const
{
    return TrimLeft().TrimRight();
}

CString CString::ToUpper() const
{
    if (m_pszData == nullptr)
        return CString();
    CString result;
    result.Allocate(m_nLength);
    for (std::uint32_t i = 0; i <= m_nLength; ++i) {
        result.m_pszData[i] = AsciiUpper(m_pszData[i]);
    }
    return result;
}

bool CString::Equals(const wchar_t* pszText, bool bIgnoreCase) const
{
    if (pszText == nullptr || m_pszData == nullptr)
        return false;
    return TextEquals(m_pszData, pszText, bIgnoreCase);
}

std::int32_t CString::ToLong() const
{
    if (m_pszData == nullptr)
        return 0;
    // long is 32 bits on Windows, so wcstol clamps to the range we want.
    return static_cast<std::int32_t>(std::wcstol(m_pszData, nullptr, 10));
}

} // namespace tessvald::string
