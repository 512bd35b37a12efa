#pragma once

#include "foundation/CString.h"

#include <windows.h>

// The folder icon is group 4 of the shell's own library on every version
// (the system's stock-icon query names a wrong group under Wine).
constexpr wchar_t kFolderIconFile[] = L"%SystemRoot%\\system32\\shell32.dll";
constexpr LONG kFolderIconId = -4;

class CRecord;

// Why a file gave no entry.
enum class EResolveFailure
{
    None,
    Unreadable,    // the shortcut cannot be read
    NotInstalled,  // an installer's shortcut whose product is not installed here
};

struct CResolveOutcome
{
    EResolveFailure m_eFailure = EResolveFailure::None;
    // For an unreadable shortcut: the system's error code, 0 when it gave none.
    DWORD m_nErrorCode = 0;
};

// Turns a dropped or chosen file (program, document, folder, shortcut,
// installer shortcut) into a complete tool entry. The record comes freshly
// reset. False only for a shortcut that gives no entry; the outcome, when
// asked for, says why.
bool ResolveData(const tessvald::string::CString& strPath, CRecord& record, CResolveOutcome* pOutcome = nullptr);

// Expands environment references; true when the result is not empty.
bool ExpandEnvironment(const wchar_t* pszText, tessvald::string::CString& strResult);
