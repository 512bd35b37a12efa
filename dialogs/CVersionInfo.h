#pragma once

#include <windows.h>

namespace tessvald::version {

// The texts of a file's version resource. Each value is an owned text, null
// while the resource does not have it; string values come from the string
// table that the first translation entry names.
class CVersionInfo
{
public:
    CVersionInfo();
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;
    virtual ~CVersionInfo();

    // Reads the version resource of the file; values it lacks stay null.
    // False when the file has no readable version resource at all.
    bool Load(const wchar_t* pszFileName);

    // The fixed part of the block as "major.minor.build.revision".
    void QueryFixedInfo(const void* pBlock);
    // The first language and code page pair as eight hexadecimal digits.
    bool QueryTranslation(const void* pBlock, wchar_t* pszBuffer, int nSize);
    // One string value of the table named by the translation into a field.
    void QueryString(const void* pBlock, const wchar_t* pszTranslation, const wchar_t* pszKey,
                     wchar_t*& pszField);

    const wchar_t* GetFixedFileVersion() const { return m_pszFixedFileVersion; }
    const wchar_t* GetFixedProductVersion() const { return m_pszFixedProductVersion; }
    const wchar_t* GetComments() const { return m_pszComments; }
    const wchar_t* GetInternalName() const { return m_pszInternalName; }
    const wchar_t* GetProductName() const { return m_pszProductName; }
    const wchar_t* GetCompanyName() const { return m_pszCompanyName; }
    const wchar_t* GetLegalCopyright() const { return m_pszLegalCopyright; }
    const wchar_t* GetProductVersion() const { return m_pszProductVersion; }
    const wchar_t* GetFileDescription() const { return m_pszFileDescription; }
    const wchar_t* GetLegalTrademarks() const { return m_pszLegalTrademarks; }
    const wchar_t* GetPrivateBuild() const { return m_pszPrivateBuild; }
    const wchar_t* GetFileVersion() const { return m_pszFileVersion; }
    const wchar_t* GetOriginalFilename() const { return m_pszOriginalFilename; }
    const wchar_t* GetSpecialBuild() const { return m_pszSpecialBuild; }

private:
    void Clear();

    wchar_t* m_pszFixedFileVersion;
    wchar_t* m_pszFixedProductVersion;
    wchar_t* m_pszComments;
    wchar_t* m_pszInternalName;
    wchar_t* m_pszProductName;
    wchar_t* m_pszCompanyName;
    wchar_t* m_pszLegalCopyright;
    wchar_t* m_pszProductVersion;
    wchar_t* m_pszFileDescription;
    wchar_t* m_pszLegalTrademarks;
    wchar_t* m_pszPrivateBuild;
    wchar_t* m_pszFileVersion;
    wchar_t* m_pszOriginalFilename;
    wchar_t* m_pszSpecialBuild;
};

} // namespace tessvald::version
