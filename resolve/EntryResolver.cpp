#include "resolve/EntryResolver.h"

#include "foundation/CSplitPath.h"
#include "resolve/CMsiResolver.h"
#include "resolve/CShellResolver.h"
#include "resolve/FileTypes.h"
#include "settings/CRecord.h"

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

// The installed component of an advertised shortcut wins over the path that
// the shortcut itself names.
bool ReadTarget(const wchar_t* pszPath, CMsiResolver& msi, CShellResolver& shell, wchar_t* pszValue)
{
    pszValue[0] = L'\0';
    DWORD nCapacity = kValueCapacity;
    if (msi.Initialize() && msi.IsAdvertised(pszPath) && msi.GetTargetPath(pszPath, pszValue, nCapacity))
        return true;
    return QueryText(shell, &CShellResolver::GetPath, pszValue);
}

// A shortcut without an icon of its own shows its target's first icon.
void ReadIconLocation(CShellResolver& shell, wchar_t* pszValue, CRecord& record)
{
    pszValue[0] = L'\0';
    int nIconIndex = 0;
    if (!shell.GetIconLocation(pszValue, kValueCapacity, nIconIndex))
        return;
    if (pszValue[0] == L'\0') {
        record.SetIconFile(record.m_strPath.GetData());
        record.SetIconIndex(0);
        return;
    }
    // A negative index names a resource number and is kept as it is.
    record.SetIconFile(pszValue);
    record.SetIconIndex(nIconIndex);
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
        record.SetDescription(pszValue);
    ReadIconLocation(shell, pszValue, record);
}

// The resolvers live only for this call: the shell object and any COM
// initialisation of its own go first, then the installer library.
bool ResolveShortcut(const wchar_t* pszPath, CRecord& record)
{
    wchar_t szValue[kValueCapacity + 1] = {};
    CMsiResolver msi;
    CShellResolver shell;
    if (!shell.CreateInstance() || !shell.Load(pszPath))
        return false;
    if (!ReadTarget(pszPath, msi, shell, szValue))
        return false;
    record.SetPath(szValue);
    ReadShortcutDetails(shell, szValue, record);
    return true;
}

// Programs show their own icon; other files the icon registered for their
// type, or none.
void ResolvePlainFile(const wchar_t* pszPath, CSplitPath& split, CRecord& record)
{
    record.SetPath(pszPath);
    record.SetParam(L"");
    record.SetShow(SW_SHOWMAXIMIZED);
    record.SetIconFile(pszPath);
    record.SetIconIndex(0);
    record.SetDescription(L"");
    const wchar_t* pszFolder = split.GetFolder(false);
    record.SetWorking(pszFolder != nullptr ? pszFolder : L"");
    if (CSplitPath::IsEqual(split.m_szExt, L".exe", true))
        return;

    record.SetIconFile(L"");
    CString strIconFile;
    LONG nIconIndex = 0;
    if (!GetDefaultIcon(CString(split.m_szExt), strIconFile, nIconIndex))
        return;
    record.SetIconFile(strIconFile.GetData());
    record.SetIconIndex(nIconIndex);
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

bool ResolveData(const CString& strPath, CRecord& record)
{
    CSplitPath split(strPath.GetData());
    record.SetName(split.m_szName[0] != L'\0' ? split.m_szName : L"<empty>");

    bool bResult = true;
    if (CSplitPath::IsEqual(split.m_szExt, L".lnk", true))
        bResult = ResolveShortcut(strPath.GetData(), record);
    else
        ResolvePlainFile(strPath.GetData(), split, record);
    if (bResult)
        ExpandPaths(record);

    TraceRecord(record);
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
