#pragma once

#include "foundation/CString.h"
#include "settings/CProfileSnapshot.h"
#include "settings/ProfileEdit.h"

#include <windows.h>

#include <vector>

// Typed access to the settings file. Every read looks at the file and sees
// it as it is now (a snapshot read again whenever the file's size or times
// moved). Every write rewrites the whole file as it is on disk at that
// moment with the key changed: the new contents go beside it and take its
// place in one rename, so the file is whole at every moment.
class CConfig
{
public:
    CConfig();
    virtual ~CConfig();

    bool SetFileName(const wchar_t* pszFileName);
    const wchar_t* GetFileName() const;

    // A value is accepted only with 1 to nSize - 1 characters; a longer one
    // is refused, never cut. Out values change only on success.
    bool ReadString(const wchar_t* pszSection, const wchar_t* pszKey, wchar_t* pszBuffer, DWORD nSize) const;
    bool ReadBool(const wchar_t* pszSection, const wchar_t* pszKey, bool& bValue) const;
    bool ReadLong(const wchar_t* pszSection, const wchar_t* pszKey, LONG& nValue) const;
    bool ReadULong(const wchar_t* pszSection, const wchar_t* pszKey, ULONG& nValue) const;
    // The keys of the section with their values, in the file's order and
    // spelling; false when the section is missing or the file cannot be
    // read.
    bool ReadSectionKeys(const wchar_t* pszSection, std::vector<std::pair<std::wstring, std::wstring>>& keys) const;
    // The highest n for which the section prefix + n exists, 0 when none
    // does or the file cannot be read.
    ULONG ReadHighestSectionNumber(const wchar_t* pszPrefix) const;

    // False while the file is there but cannot be read (another program
    // holds it locked): what the reads give then is no list at all, not an
    // empty one. A missing file reads as an empty list. GetReadError tells
    // why it could not be read.
    bool IsReadable() const;
    DWORD GetReadError() const;
    // The digest of the bytes the reads see (HashProfileBytes), 0 when
    // there is no file.
    unsigned long long GetContentHash() const;

    // An empty value is never written.
    bool WriteString(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue, bool bQuote = false) const;
    bool WriteBool(const wchar_t* pszSection, const wchar_t* pszKey, bool bValue, bool bWordForm) const;
    bool WriteLong(const wchar_t* pszSection, const wchar_t* pszKey, LONG nValue) const;
    bool WriteULong(const wchar_t* pszSection, const wchar_t* pszKey, ULONG nValue) const;
    // Takes the key out of its section; a key that is not there is no error.
    bool DeleteKey(const wchar_t* pszSection, const wchar_t* pszKey) const;
    // Sets several keys in one rewrite (an empty value takes a key away).
    // On failure the file is as it was and the cause is the last error.
    bool WriteValues(const std::vector<SProfileValue>& values) const;

    // Reads between the two see the file as the first of them found it: one
    // look at the file for a whole tool instead of one per key. Pairs nest;
    // a write in between is seen.
    void BeginReadBatch() const;
    void EndReadBatch() const;

private:
    tessvald::string::CString m_strFileName;
    mutable CProfileSnapshot m_snapshot;
    mutable unsigned m_nReadBatches;
    mutable bool m_bLookedInBatch;
    mutable bool m_bReadable;

    const CProfileSnapshot* CurrentSnapshot() const;
    void ForgetSnapshot() const;
};

// Holds a read batch of a CConfig for its own lifetime.
class CConfigReadBatch
{
public:
    explicit CConfigReadBatch(const CConfig& config) : m_config(config) { m_config.BeginReadBatch(); }
    CConfigReadBatch(const CConfigReadBatch&) = delete;
    CConfigReadBatch& operator=(const CConfigReadBatch&) = delete;
    virtual ~CConfigReadBatch() { m_config.EndReadBatch(); }

private:
    const CConfig& m_config;
};

extern CConfig g_config;
