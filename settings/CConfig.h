#pragma once

#include "foundation/CString.h"

#include <windows.h>

// Typed access to the settings file through the platform's profile
// functions. Holds no values: every read goes to the file, every write is
// flushed at once.
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

    // An empty value is never written.
    bool WriteString(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue, bool bQuote = false) const;
    bool WriteBool(const wchar_t* pszSection, const wchar_t* pszKey, bool bValue, bool bWordForm) const;
    bool WriteLong(const wchar_t* pszSection, const wchar_t* pszKey, LONG nValue) const;
    bool WriteULong(const wchar_t* pszSection, const wchar_t* pszKey, ULONG nValue) const;

private:
    tessvald::string::CString m_strFileName;
};

extern CConfig g_config;
