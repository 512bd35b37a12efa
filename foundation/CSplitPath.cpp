#include "foundation/CSplitPath.h"

#include "foundation/WideFormat.h"

#include <cstdarg>
#include <cwchar>

namespace tessvald::string {

namespace {

// Copies [pszBegin, pszEnd) into a part of nCapacity characters with its
// terminator; false when it does not fit.
bool CopyPart(wchar_t* pszPart, std::size_t nCapacity, const wchar_t* pszBegin, const wchar_t* pszEnd)
{
    const std::size_t nLength = static_cast<std::size_t>(pszEnd - pszBegin);
    if (nLength >= nCapacity)
        return false;
    std::wmemcpy(pszPart, pszBegin, nLength);
    pszPart[nLength] = L'\0';
    return true;
}

} // namespace

CSplitPath::CSplitPath(const wchar_t* pszPath) : m_pszResult(nullptr)
{
    ClearParts();
    Split(pszPath);
}

CSplitPath::~CSplitPath()
{
    delete[] m_pszResult;
}

void CSplitPath::ClearParts()
{
    m_szDrive[0] = L'\0';
    m_szDir[0] = L'\0';
    m_szName[0] = L'\0';
    m_szExt[0] = L'\0';
}

bool CSplitPath::Split(const wchar_t* pszPath)
{
    if (pszPath == nullptr)
        return false;
    const wchar_t* pszEnd = pszPath + std::wcslen(pszPath);

    const wchar_t* pszRest = pszPath;
    if (pszPath[0] != L'\0' && pszPath[1] == L':')
        pszRest = pszPath + 2;

    const wchar_t* pszNameStart = pszRest;
    for (const wchar_t* p = pszRest; p < pszEnd; ++p) {
        if (*p == L'\\' || *p == L'/')
            pszNameStart = p + 1;
    }

    const wchar_t* pszExtStart = pszEnd;
    for (const wchar_t* p = pszEnd; p > pszNameStart; --p) {
        if (p[-1] == L'.') {
            pszExtStart = p - 1;
            break;
        }
    }

    const bool bFits = CopyPart(m_szDrive, 3, pszPath, pszRest)
        && CopyPart(m_szDir, 256, pszRest, pszNameStart)
        && CopyPart(m_szName, 256, pszNameStart, pszExtStart)
        && CopyPart(m_szExt, 256, pszExtStart, pszEnd);
    if (!bFits)
        ClearParts();
    return bFits;
}

const wchar_t* CSplitPath::Assemble(const wchar_t* pszFormat, std::size_t nLength, ...)
{
    // Null before the allocation, which may throw: the destructor must not
    // free the old result a second time.
    delete[] m_pszResult;
    m_pszResult = nullptr;
    m_pszResult = new wchar_t[nLength + 1]();
    va_list args;
    va_start(args, nLength);
    const int nWritten = FormatBufferV(m_pszResult, nLength + 1, pszFormat, args);
    va_end(args);
    if (nWritten < 0 || static_cast<std::size_t>(nWritten) != nLength) {
        delete[] m_pszResult;
        m_pszResult = nullptr;
    }
    return m_pszResult;
}

const wchar_t* CSplitPath::MakePath(const wchar_t* pszExtension, bool bQuote)
{
    if (pszExtension == nullptr)
        pszExtension = L"";
    const std::size_t nLength = std::wcslen(m_szDrive) + std::wcslen(m_szDir) + std::wcslen(m_szName)
        + std::wcslen(pszExtension) + (bQuote ? 2 : 0);
    return Assemble(bQuote ? L"\"%s%s%s%s\"" : L"%s%s%s%s", nLength,
                    m_szDrive, m_szDir, m_szName, pszExtension);
}

const wchar_t* CSplitPath::GetFolder(bool bQuote)
{
    const std::size_t nLength = std::wcslen(m_szDrive) + std::wcslen(m_szDir) + (bQuote ? 2 : 0);
    return Assemble(bQuote ? L"\"%s%s\"" : L"%s%s", nLength, m_szDrive, m_szDir);
}

bool CSplitPath::IsEqual(const wchar_t* pszA, const wchar_t* pszB, bool bIgnoreCase)
{
    return TextEquals(pszA, pszB, bIgnoreCase);
}

} // namespace tessvald::string
