#include "tray/ToolAvailability.h"

#include "foundation/CString.h"
#include "resolve/EntryResolver.h"
#include "settings/CConfig.h"
#include "settings/SettingsFile.h"
#include "tray/TrayMenus.h"
#include "resources/resource.h"

#include <cwchar>

CToolAvailability g_toolAvailability;

namespace {

// Twice the coarsest clock a local file system stamps with; a folder
// changed more recently may change again within the same stamp.
constexpr ULONGLONG kSettleTime = 2ULL * 10000000ULL;

bool IsExistingFile(DWORD nAttributes)
{
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

ULONGLONG Ticks(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool SameTime(const FILETIME& ftA, const FILETIME& ftB)
{
    return Ticks(ftA) == Ticks(ftB);
}

// A change stamped after the clock was set back counts as recent too.
bool IsRecent(const FILETIME& ftChange, const FILETIME& ftNow)
{
    return Ticks(ftChange) + kSettleTime > Ticks(ftNow);
}

std::wstring FoldCase(std::wstring text)
{
    for (wchar_t& ch : text)
        if (ch >= L'A' && ch <= L'Z')
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return text;
}

// "X:\..." only: network paths and relative ones are asked file by file.
bool HasDriveFolder(const std::wstring& path)
{
    return path.size() > 3 && path[1] == L':' && path[2] == L'\\'
        && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsTrustedFileSystem(const wchar_t* pszRoot)
{
    if (GetDriveTypeW(pszRoot) != DRIVE_FIXED)
        return false;
    wchar_t szSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(pszRoot, nullptr, 0, nullptr, nullptr, nullptr, szSystem, MAX_PATH))
        return false;
    return std::wcscmp(szSystem, L"NTFS") == 0 || std::wcscmp(szSystem, L"ReFS") == 0;
}

} // namespace

bool FileExists(const wchar_t* pszPath)
{
    if (pszPath == nullptr || pszPath[0] == L'\0')
        return false;
    return IsExistingFile(GetFileAttributesW(pszPath));
}

CToolAvailability::CToolAvailability() : m_nLookups(0)
{
}

CToolAvailability::~CToolAvailability() = default;

void CToolAvailability::Clear()
{
    m_tools.clear();
    m_folders.clear();
    m_looseTools.clear();
    m_folderIndex.clear();
    m_watchableDrives.clear();
}

void CToolAvailability::Add(ULONG nTool, const wchar_t* pszPath)
{
    tessvald::string::CString strExpanded;
    ExpandEnvironment(pszPath, strExpanded);
    m_tools.push_back({ nTool, strExpanded.GetText(), false, true, false });
    const std::size_t nIndex = m_tools.size() - 1;
    const std::wstring& path = m_tools.back().m_strPath;
    if (!HasDriveFolder(path)) {
        m_looseTools.push_back(nIndex);
        return;
    }
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    std::wstring key = FoldCase(folder);
    auto found = m_folderIndex.find(key);
    if (found == m_folderIndex.end()) {
        m_folders.push_back({ folder, {}, IsWatchableDrive(key[0]), false, {}, {} });
        found = m_folderIndex.emplace(std::move(key), m_folders.size() - 1).first;
    }
    m_folders[found->second].m_tools.push_back(nIndex);
}

void CToolAvailability::Refresh(HMENU hMenu, ULONG nCount)
{
    m_nLookups = 0;
    FILETIME ftNow = {};
    GetSystemTimeAsFileTime(&ftNow);
    for (CFolder& folder : m_folders)
        RefreshFolder(folder, ftNow);
    for (std::size_t nIndex : m_looseTools)
        CheckTool(m_tools[nIndex]);
    for (CTool& tool : m_tools) {
        if (tool.m_nTool > nCount || tool.m_bAvailable == tool.m_bEnabled)
            continue;
        EnableMenuItem(hMenu, IDM_EDIT_TOOLS + tool.m_nTool,
                       MF_BYCOMMAND | (tool.m_bAvailable ? MF_ENABLED : (MF_GRAYED | MF_DISABLED)));
        tool.m_bEnabled = tool.m_bAvailable;
    }
}

bool CToolAvailability::IsWatchableDrive(wchar_t chDrive)
{
    const auto found = m_watchableDrives.find(chDrive);
    if (found != m_watchableDrives.end())
        return found->second;
    const wchar_t szRoot[] = { chDrive, L':', L'\\', L'\0' };
    const bool bWatchable = IsTrustedFileSystem(szRoot);
    m_watchableDrives.emplace(chDrive, bWatchable);
    return bWatchable;
}

void CToolAvailability::CheckTool(CTool& tool)
{
    // An empty path never reaches the shell.
    if (tool.m_strPath.empty()) {
        tool.m_bAvailable = false;
        return;
    }
    ++m_nLookups;
    const DWORD nAttributes = GetFileAttributesW(tool.m_strPath.c_str());
    tool.m_bAvailable = IsExistingFile(nAttributes);
    tool.m_bLink = nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void CToolAvailability::RefreshFolder(CFolder& folder, const FILETIME& ftNow)
{
    if (folder.m_tools.size() < 2 || !folder.m_bWatchable) {
        for (std::size_t nIndex : folder.m_tools)
            CheckTool(m_tools[nIndex]);
        return;
    }
    ++m_nLookups;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const bool bFound = GetFileAttributesExW(folder.m_strPath.c_str(), GetFileExInfoStandard, &data) != FALSE
        && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (bFound && folder.m_bTrusted && SameTime(data.ftCreationTime, folder.m_ftCreation)
        && SameTime(data.ftLastWriteTime, folder.m_ftLastWrite))
        return;
    bool bAskEachTime = !bFound || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    for (std::size_t nIndex : folder.m_tools) {
        CheckTool(m_tools[nIndex]);
        bAskEachTime = bAskEachTime || m_tools[nIndex].m_bLink;
    }
    // A folder that cannot be looked at is asked file by file.
    folder.m_bTrusted = !bAskEachTime && !IsRecent(data.ftLastWriteTime, ftNow);
    folder.m_ftCreation = data.ftCreationTime;
    folder.m_ftLastWrite = data.ftLastWriteTime;
}

void EnableToolEntries()
{
    CConfigReadBatch batch(g_config);
    ULONG nCount = 0;
    if (!ReadToolCount(nCount))
        return;
    g_toolAvailability.Refresh(g_hToolsMenu, nCount);
}
