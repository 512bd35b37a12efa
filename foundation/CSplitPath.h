#pragma once

#include <cstddef>

namespace tessvald::string {

// Takes a path apart into drive, directory, base name and extension once,
// and reassembles variants of it: another extension, or the folder alone.
class CSplitPath
{
public:
    explicit CSplitPath(const wchar_t* pszPath);
    CSplitPath(const CSplitPath&) = delete;
    CSplitPath& operator=(const CSplitPath&) = delete;
    virtual ~CSplitPath();

    bool Split(const wchar_t* pszPath);

    // The returned text belongs to this object and lives until the next
    // MakePath or GetFolder; null when assembling failed.
    const wchar_t* MakePath(const wchar_t* pszExtension, bool bQuote);
    const wchar_t* GetFolder(bool bQuote);

    // Whole-text comparison that tolerates null texts.
    static bool IsEqual(const wchar_t* pszA, const wchar_t* pszB, bool bIgnoreCase);

    wchar_t m_szDrive[3];
    wchar_t m_szDir[256];
    wchar_t m_szName[256];
    wchar_t m_szExt[256];

private:
    wchar_t* m_pszResult;

    void ClearParts();
    const wchar_t* Assemble(const wchar_t* pszFormat, std::size_t nLength, ...);
};

} // namespace tessvald::string
