#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// A profile file read once and looked up many times, the way the platform's
// profile functions read it: lines end at CR or LF; "[name]" up to the last
// "]" opens a section; sections and keys match ignoring case, and only the
// first of two equal sections or keys counts; blanks around names and
// values do not count; one pair of equal quotation marks around a value is
// dropped; a NUL ends a name or a value. Asking the platform key by key opens and reads the file for
// every key, which made a click on the tray icon cost a third of a second
// for a hundred tools.
class CProfileSnapshot
{
public:
    CProfileSnapshot();
    CProfileSnapshot(const CProfileSnapshot&) = delete;
    CProfileSnapshot& operator=(const CProfileSnapshot&) = delete;
    virtual ~CProfileSnapshot();

    // Brings the snapshot up to the file: read again when its size or times
    // moved since it was last read. False when the file is missing or
    // cannot be read; GetError then tells which.
    bool Refresh(const wchar_t* pszPath);
    // Why the last Refresh failed.
    DWORD GetError() const { return m_nError; }
    // A digest of the bytes the snapshot was read from: a file changed by
    // someone else shows in it even when its size and times stood still.
    unsigned long long GetContentHash() const { return m_nContentHash; }
    // The next Refresh reads the file whatever its state.
    void Invalidate();

    void Parse(const std::wstring& text);

    // The value with its quotation marks dropped; false when the section or
    // the key is missing or the key has no "=".
    bool Find(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t*& pszValue, std::size_t& nLength) const;
    // The keys of the section that have a value, each once (the first of
    // two equal ones), as written in the file and with their values as
    // Find gives them; false when the section is missing.
    bool Keys(const wchar_t* pszSection, std::vector<std::pair<std::wstring, std::wstring>>& keys) const;
    // The highest n for which a section named the prefix followed by n
    // (written as "%lu" writes it) exists; 0 when there is none.
    ULONG HighestNumberedSection(const wchar_t* pszPrefix) const;

private:
    struct Entry
    {
        std::wstring strKey;  // with ASCII letters folded
        std::wstring strName;  // as written
        std::wstring strValue;
        bool bHasValue;
    };

    std::vector<std::vector<Entry>> m_sections;
    std::unordered_map<std::wstring, std::size_t> m_sectionIndex;  // folded name -> first section
    std::unordered_map<std::wstring, ULONG> m_highestNumbers;      // folded prefix -> highest number
    bool m_bLoaded;
    WIN32_FILE_ATTRIBUTE_DATA m_fileState;
    DWORD m_nError;
    unsigned long long m_nContentHash;

    void AddLine(const wchar_t* pchStart, const wchar_t* pchEnd);
    void AddSection(const wchar_t* pchStart, const wchar_t* pchEnd);
    void NoteNumberedSection(const std::wstring& name);
};
