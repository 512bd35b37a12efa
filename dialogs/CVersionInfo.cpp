#include "dialogs/CVersionInfo.h"

#include "foundation/CString.h"
#include "foundation/WideFormat.h"

#include <cwchar>
#include <memory>
#include <new>

namespace tessvald::version {

namespace {

// "65535.65535.65535.65535" and its terminator fit with room to spare.
constexpr std::size_t kVersionChars = 25;
constexpr int kTranslationDigits = 8;

void FreeText(wchar_t*& pszText)
{
    delete[] pszText;
    pszText = nullptr;
}

// A new text from two 32-bit version words; null when it cannot be made.
wchar_t* FormatVersion(DWORD nMostSignificant, DWORD nLeastSignificant)
{
    wchar_t* pszText = new (std::nothrow) wchar_t[kVersionChars];
    if (pszText == nullptr)
        return nullptr;
    string::FormatBuffer(pszText, kVersionChars, L"%d.%d.%d.%d",
                         static_cast<int>(HIWORD(nMostSignificant)), static_cast<int>(LOWORD(nMostSignificant)),
                         static_cast<int>(HIWORD(nLeastSignificant)), static_cast<int>(LOWORD(nLeastSignificant)));
    return pszText;
}

// A terminated copy of at most nLength characters of a value; the reported
// length is trusted only as an upper bound.
wchar_t* CopyValue(const wchar_t* pszValue, UINT nLength)
{
    const std::size_t nChars = pszValue != nullptr ? wcsnlen(pszValue, nLength) : 0;
    wchar_t* pszText = new (std::nothrow) wchar_t[nChars + 1];
    if (pszText == nullptr)
        return nullptr;
    if (nChars > 0)
        std::wmemcpy(pszText, pszValue, nChars);
    pszText[nChars] = L'\0';
    return pszText;
}

} // namespace

CVersionInfo::CVersionInfo()
    : m_pszFixedFileVersion(nullptr), m_pszFixedProductVersion(nullptr), m_pszComments(nullptr),
      m_pszInternalName(nullptr), m_pszProductName(nullptr), m_pszCompanyName(nullptr),
      m_pszLegalCopyright(nullptr), m_pszProductVersion(nullptr), m_pszFileDescription(nullptr),
      m_pszLegalTrademarks(nullptr), m_pszPrivateBuild(nullptr), m_pszFileVersion(nullptr),
      m_pszOriginalFilename(nullptr), m_pszSpecialBuild(nullptr)
{
}

CVersionInfo::~CVersionInfo()
{
    Clear();
}

void CVersionInfo::Clear()
{
    FreeText(m_pszFixedFileVersion);
    FreeText(m_pszFixedProductVersion);
    FreeText(m_pszComments);
    FreeText(m_pszInternalName);
    FreeText(m_pszProductName);
    FreeText(m_pszCompanyName);
    FreeText(m_pszLegalCopyright);
    FreeText(m_pszProductVersion);
    FreeText(m_pszFileDescription);
    FreeText(m_pszLegalTrademarks);
    FreeText(m_pszPrivateBuild);
    FreeText(m_pszFileVersion);
    FreeText(m_pszOriginalFilename);
    FreeText(m_pszSpecialBuild);
}

bool CVersionInfo::Load(const wchar_t* pszFileName)
{
    // The values always describe one file, never a mix of two.
    Clear();
    if (pszFileName == nullptr || *pszFileName == L'\0')
        return false;
    const DWORD nSize = GetFileVersionInfoSizeW(pszFileName, nullptr);
    if (nSize == 0)
        return false;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[nSize]);
    if (!block || !GetFileVersionInfoW(pszFileName, 0, nSize, block.get()))
        return false;

    QueryFixedInfo(block.get());
    wchar_t szTranslation[kTranslationDigits + 1] = {};
    if (!QueryTranslation(block.get(), szTranslation, kTranslationDigits + 1))
        return true;
    const struct
    {
        const wchar_t* pszKey;
        wchar_t* CVersionInfo::*pField;
    } values[] = {
        { L"Comments", &CVersionInfo::m_pszComments },
        { L"InternalName", &CVersionInfo::m_pszInternalName },
        { L"ProductName", &CVersionInfo::m_pszProductName },
        { L"CompanyName", &CVersionInfo::m_pszCompanyName },
        { L"LegalCopyright", &CVersionInfo::m_pszLegalCopyright },
        { L"ProductVersion", &CVersionInfo::m_pszProductVersion },
        { L"FileDescription", &CVersionInfo::m_pszFileDescription },
        { L"LegalTrademarks", &CVersionInfo::m_pszLegalTrademarks },
        { L"PrivateBuild", &CVersionInfo::m_pszPrivateBuild },
        { L"FileVersion", &CVersionInfo::m_pszFileVersion },
        { L"OriginalFilename", &CVersionInfo::m_pszOriginalFilename },
        { L"SpecialBuild", &CVersionInfo::m_pszSpecialBuild },
    };
    for (const auto& value : values)
        QueryString(block.get(), szTranslation, value.pszKey, this->*value.pField);
    return true;
}

void CVersionInfo::QueryFixedInfo(const void* pBlock)
{
    void* pValue = nullptr;
    UINT nLength = 0;
    if (!VerQueryValueW(pBlock, L"\\", &pValue, &nLength))
        return;
    if (pValue == nullptr || nLength != sizeof(VS_FIXEDFILEINFO))
        return;
    const auto* pInfo = static_cast<const VS_FIXEDFILEINFO*>(pValue);
    FreeText(m_pszFixedFileVersion);
    m_pszFixedFileVersion = FormatVersion(pInfo->dwFileVersionMS, pInfo->dwFileVersionLS);
    FreeText(m_pszFixedProductVersion);
    m_pszFixedProductVersion = FormatVersion(pInfo->dwProductVersionMS, pInfo->dwProductVersionLS);
}

bool CVersionInfo::QueryTranslation(const void* pBlock, wchar_t* pszBuffer, int nSize)
{
    if (pszBuffer == nullptr || nSize <= kTranslationDigits)
        return false;
    void* pValue = nullptr;
    UINT nLength = 0;
    if (!VerQueryValueW(pBlock, L"\\VarFileInfo\\Translation", &pValue, &nLength))
        return false;
    // An entry without a whole language and code page pair names no table.
    if (pValue == nullptr || nLength < 2 * sizeof(WORD))
        return false;
    const auto* pPair = static_cast<const WORD*>(pValue);
    return string::FormatBuffer(pszBuffer, static_cast<std::size_t>(nSize), L"%.4X%.4X",
                                static_cast<unsigned>(pPair[0]), static_cast<unsigned>(pPair[1]))
        == kTranslationDigits;
}

void CVersionInfo::QueryString(const void* pBlock, const wchar_t* pszTranslation, const wchar_t* pszKey,
                               wchar_t*& pszField)
{
    FreeText(pszField);
    if (pszTranslation == nullptr || pszKey == nullptr)
        return;
    string::CString strPath;
    if (!string::CString::Format(strPath, L"\\StringFileInfo\\%s\\%s", pszTranslation, pszKey))
        return;
    void* pValue = nullptr;
    UINT nLength = 0;
    if (!VerQueryValueW(pBlock, strPath.GetData(), &pValue, &nLength))
        return;
    pszField = CopyValue(static_cast<const wchar_t*>(pValue), nLength);
}

} // namespace tessvald::version
