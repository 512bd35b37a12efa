#include "resolve/EntryResolver.h"

#include "foundation/CSplitPath.h"
#include "resolve/CMsiResolver.h"
#include "resolve/CShellResolver.h"
#include "resolve/FileTypes.h"
#include "settings/CRecord.h"

#include <shlobj.h>
#include <shlwapi.h>

using tessvald::shelllink::CMsiResolver;
using tessvald::shelllink::CShellResolver;
using tessvald::string::CSplitPath;
using tessvald::string::CString;

namespace {

// Every shortcut value passes through one buffer that holds one character
// more than the shell is told, so its text always ends in a terminator.
constexpr int kValueCapacity = 1024;

using TextGetter = bool (CShellResolver::*)(wchar_t*, int);

// The record dump of a resolution goes here; the program keeps no log.
void Trace(const wchar_t* /*pszFormat*/, ...)
{
}

void TraceRecord(const CRecord& record)
{
    Trace(L"ResolveData()");
    Trace(L"Section     |%s", record.m_strSection.GetData());
    Trace(L"Name        |%s", record.m_strName.GetData());
    Trace(L"Executable  |%s", record.m_strPath.GetData());
    Trace(L"Parameters  |%s", record.m_strParam.GetData());
    Trace(L"Working     |%s", record.m_strWorking.GetData());
    Trace(L"Description |%s", record.m_strDescription.GetData());
    Trace(L"IconFile    |%s", record.m_strIconFile.GetData());
    Trace(L"ShowCommand |%d", record.m_nShow);
    Trace(L"IconIndex   |%d", record.m_nIconIndex);
}

// The buffer is emptied before each query: a shell that reports success
// without writing must not hand on the previous value (a truncated
// installer path, the target as a description).
bool QueryText(CShellResolver& shell, TextGetter getter, wchar_t* pszValue)
{
    pszValue[0] = L'\0';
    return (shell.*getter)(pszValue, kValueCapacity);
}

bool Fail(CResolveOutcome& outcome, EResolveFailure eFailure, DWORD nErrorCode)
{
    outcome.m_eFailure = eFailure;
    outcome.m_nErrorCode = nErrorCode;
    return false;
}

// The installed component of an advertised shortcut is its target. The
// shell names none of its own for such a shortcut (at most the installer's
// copy of its icon), so without the component there is no entry.
bool ReadTarget(const wchar_t* pszPath, CMsiResolver& msi, CShellResolver& shell, wchar_t* pszValue,
                CResolveOutcome& outcome)
{
    pszValue[0] = L'\0';
    if (msi.Initialize() && msi.IsAdvertised(pszPath)) {
        DWORD nCapacity = kValueCapacity;
        if (msi.GetTargetPath(pszPath, pszValue, nCapacity) && pszValue[0] != L'\0')
            return true;
        if (msi.GetState() == INSTALLSTATE_MOREDATA)
            return Fail(outcome, EResolveFailure::Unreadable, ERROR_FILENAME_EXCED_RANGE);
        return Fail(outcome, EResolveFailure::NotInstalled, 0);
    }
    if (!QueryText(shell, &CShellResolver::GetPath, pszValue))
        return Fail(outcome, EResolveFailure::Unreadable, 0);
    return true;
}

// The icon that choosing the file directly gives: a program's own, the
// folder icon, or the one registered for a document's type (none when the
// type has none).
void SetFileIcon(const wchar_t* pszPath, bool bFolder, CRecord& record)
{
    record.SetIconFile(L"");
    record.SetIconIndex(0);
    if (bFolder) {
        record.SetIconFile(kFolderIconFile);
        record.SetIconIndex(kFolderIconId);
        return;
    }
    CSplitPath split(pszPath);
    if (CSplitPath::IsEqual(split.m_szExt, L".exe", true)) {
        record.SetIconFile(pszPath);
        return;
    }
    CString strIconFile;
    LONG nIconIndex = 0;
    if (!GetDefaultIcon(CString(split.m_szExt), strIconFile, nIconIndex))
        return;
    record.SetIconFile(strIconFile.GetData());
    record.SetIconIndex(nIconIndex);
}

// A shortcut without an icon of its own shows what its target would show
// if it had been chosen itself. Whether the target is a folder is asked of
// the shortcut, which recorded it, not of the target, which may lie on a
// share that does not answer.
void ReadIconLocation(CShellResolver& shell, wchar_t* pszValue, CRecord& record)
{
    pszValue[0] = L'\0';
    int nIconIndex = 0;
    if (!shell.GetIconLocation(pszValue, kValueCapacity, nIconIndex))
        return;
    if (pszValue[0] == L'\0') {
        SetFileIcon(record.m_strPath.GetText(), shell.IsTargetFolder(), record);
        return;
    }
    // A negative index names a resource number and is kept as it is.
    record.SetIconFile(pszValue);
    record.SetIconIndex(nIconIndex);
}

// A description such as "@%windir%\system32\shell32.dll,-21787" names a
// text in a module; the shortcut shows that text, in the user's language.
// One that cannot be loaded stays as written.
void TakeDescription(const wchar_t* pszValue, CRecord& record)
{
    CString strExpanded;
    if (pszValue[0] != L'@' || !ExpandEnvironment(pszValue, strExpanded)) {
        record.SetDescription(pszValue);
        return;
    }
    wchar_t szText[kValueCapacity + 1] = {};
    if (SUCCEEDED(SHLoadIndirectString(strExpanded.GetData(), szText, kValueCapacity, nullptr)))
        record.SetDescription(szText);
    else
        record.SetDescription(pszValue);
}

void ReadShortcutDetails(CShellResolver& shell, wchar_t* pszValue, CRecord& record)
{
    if (QueryText(shell, &CShellResolver::GetArguments, pszValue))
        record.SetParam(pszValue);
    int nShowCmd = 0;
    if (shell.GetShowCmd(nShowCmd))
        record.SetShow(nShowCmd);
    if (QueryText(shell, &CShellResolver::GetWorkingDirectory, pszValue))
        record.SetWorking(pszValue);
    if (QueryText(shell, &CShellResolver::GetDescription, pszValue))
        TakeDescription(pszValue, record);
    DWORD nFlags = 0;
    if (shell.GetFlags(nFlags) && (nFlags & SLDF_RUNAS_USER) != 0)
        record.SetRunAs(true);
    ReadIconLocation(shell, pszValue, record);
}

// The resolvers live only for this call: the shell object and any COM
// initialisation of its own go first, then the installer library.
bool ResolveShortcut(const wchar_t* pszPath, CRecord& record, CResolveOutcome& outcome)
{
    wchar_t szValue[kValueCapacity + 1] = {};
    CMsiResolver msi;
    CShellResolver shell;
    if (!shell.CreateInstance() || !shell.Load(pszPath))
        return Fail(outcome, EResolveFailure::Unreadable, shell.GetErrorCode());
    if (!ReadTarget(pszPath, msi, shell, szValue, outcome))
        return false;
    record.SetPath(szValue);
    ReadShortcutDetails(shell, szValue, record);
    return true;
}

// Programs show their own icon; other files the icon registered for their
// type, or none (the menu then shows the shell's icon for the path).
void ResolvePlainFile(const wchar_t* pszPath, CSplitPath& split, CRecord& record)
{
    record.SetPath(pszPath);
    record.SetParam(L"");
    record.SetShow(SW_SHOWMAXIMIZED);
    record.SetDescription(L"");
    const wchar_t* pszFolder = split.GetFolder(false);
    record.SetWorking(pszFolder != nullptr ? pszFolder : L"");
    SetFileIcon(pszPath, false, record);
}

// Only what the shell opens and where the icon comes from are expanded;
// parameters and working directory keep their references for the moment
// the tool starts.
void ExpandPaths(CRecord& record)
{
    CString strExpanded;
    if (ExpandEnvironment(record.m_strPath.GetData(), strExpanded))
        record.SetPath(strExpanded.GetData());
    if (ExpandEnvironment(record.m_strIconFile.GetData(), strExpanded))
        record.SetIconFile(strExpanded.GetData());
}

} // namespace

bool ResolveData(const CString& strPath, CRecord& record, CResolveOutcome* pOutcome)
{
    CSplitPath split(strPath.GetData());
    record.SetName(split.m_szName[0] != L'\0' ? split.m_szName : L"<empty>");

    CResolveOutcome outcome;
    bool bResult = true;
    if (CSplitPath::IsEqual(split.m_szExt, L".lnk", true))
        bResult = ResolveShortcut(strPath.GetData(), record, outcome);
    else
        ResolvePlainFile(strPath.GetData(), split, record);
    if (bResult)
        ExpandPaths(record);

    TraceRecord(record);
    if (pOutcome != nullptr)
        *pOutcome = outcome;
    return bResult;
}

bool ExpandEnvironment(const wchar_t* pszText, CString& strResult)
{
    strResult.Assign(L"");
    if (pszText == nullptr)
        return false;
    const DWORD nSize = ExpandEnvironmentStringsW(pszText, nullptr, 0);
    if (nSize != 0) {
        wchar_t* pszBuffer = strResult.GetBuffer(nSize);
        const DWORD nWritten = ExpandEnvironmentStringsW(pszText, pszBuffer, nSize);
        if (nWritten != 0 && nWritten <= nSize)
            strResult.ReleaseBuffer();
        strResult.FreeBuffer();
    }
    return !strResult.IsEmpty();
}
