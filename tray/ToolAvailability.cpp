#include "tray/ToolAvailability.h"

#include "foundation/AsciiCase.h"
#include "foundation/BackgroundWork.h"
#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"
#include "resolve/EntryResolver.h"
#include "settings/CConfig.h"
#include "settings/SettingsFile.h"
#include "tray/TrayState.h"
#include "tray/TrayMenus.h"
#include "resources/resource.h"

#include <algorithm>
#include <cwchar>

namespace {

// Twice the coarsest clock a local file system stamps with; a folder
// changed more recently may change again within the same stamp.
constexpr ULONGLONG kSettleTime = 2ULL * 10000000ULL;
// How long a click waits for the look-ups before the menu opens with what
// is known: far beyond what local disks need, far below a dead share.
constexpr DWORD kClickWaitMs = 200;

bool IsExistingFile(DWORD nAttributes)
{
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingFolder(DWORD nAttributes)
{
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

bool IsDriveLetter(wchar_t ch)
{
    return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
}

// "X:\..." only: network paths and relative ones are asked file by file.
bool HasDriveFolder(const std::wstring& path)
{
    return path.size() > 3 && path[1] == L':' && path[2] == L'\\' && IsDriveLetter(path[0]);
}

// The volume a path lies on, as one server or disk answers for all of it:
// "x:" for a drive, "\\server\share" for a network path, "" for the rest.
std::wstring VolumeKeyOf(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':' && IsDriveLetter(path[0]))
        return tessvald::string::AsciiLower(path.substr(0, 2));
    if (path.compare(0, 2, L"\\\\") != 0)
        return std::wstring();
    const std::size_t nServerEnd = path.find(L'\\', 2);
    const std::size_t nShareEnd = nServerEnd == std::wstring::npos ? nServerEnd : path.find(L'\\', nServerEnd + 1);
    return tessvald::string::AsciiLower(path.substr(0, nShareEnd));
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

struct CToolAvailability::CVolumeCheck
{
    std::wstring m_strKey;
    ULONG m_nGeneration;
    bool m_bDrive;
    int m_nWatchable;
    // The volume's own tools; the folders' tool numbers count in here, and
    // m_listIndex gives each one's place in the whole list.
    std::vector<CTool> m_tools;
    std::vector<std::size_t> m_listIndex;
    std::vector<CFolder> m_folders;
    std::vector<std::size_t> m_looseTools;
    ULONG m_nLookups;
    volatile LONG m_nDone;
    volatile LONG m_nLate;  // nobody waits; announce the answer
    tessvald::CKernelHandle m_hDone;
    HWND m_hNotify;
    UINT m_nMessage;

    void Run();
    void CheckTool(CTool& tool);
    void RefreshFolder(CFolder& folder, const FILETIME& ftNow);
    bool IsDone() const { return InterlockedCompareExchange(const_cast<volatile LONG*>(&m_nDone), 0, 0) != 0; }
};

namespace {

VOID CALLBACK RunVolumeCheck(PTP_CALLBACK_INSTANCE, PVOID pContext)
{
    using CCheck = CToolAvailability::CVolumeCheck;
    std::unique_ptr<std::shared_ptr<CCheck>> pShare(static_cast<std::shared_ptr<CCheck>*>(pContext));
    CCheck& check = **pShare;
    check.Run();
    InterlockedExchange(&check.m_nDone, 1);
    SetEvent(check.m_hDone.Get());
    if (InterlockedCompareExchange(&check.m_nLate, 0, 0) != 0 && check.m_hNotify != nullptr)
        PostMessageW(check.m_hNotify, check.m_nMessage, 0, 0);
    pShare.reset();
    EndBackgroundWork();
}

} // namespace

void CToolAvailability::CVolumeCheck::Run()
{
    FILETIME ftNow = {};
    GetSystemTimeAsFileTime(&ftNow);
    if (m_bDrive && m_nWatchable < 0) {
        const std::wstring root = m_strKey + L"\\";
        m_nWatchable = IsTrustedFileSystem(root.c_str()) ? 1 : 0;
    }
    for (CFolder& folder : m_folders)
        RefreshFolder(folder, ftNow);
    for (std::size_t nIndex : m_looseTools)
        CheckTool(m_tools[nIndex]);
}

void CToolAvailability::CVolumeCheck::CheckTool(CTool& tool)
{
    // An empty path never reaches the shell.
    if (tool.m_strPath.empty()) {
        tool.m_bAvailable = false;
        return;
    }
    ++m_nLookups;
    const DWORD nAttributes = GetFileAttributesW(tool.m_strPath.c_str());
    tool.m_bAvailable = tool.m_bFolder ? IsExistingFolder(nAttributes) : IsExistingFile(nAttributes);
    tool.m_bLink = nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void CToolAvailability::CVolumeCheck::RefreshFolder(CFolder& folder, const FILETIME& ftNow)
{
    if (folder.m_tools.size() < 2 || m_nWatchable != 1) {
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

bool FileExists(const wchar_t* pszPath)
{
    if (pszPath == nullptr || pszPath[0] == L'\0')
        return false;
    return IsExistingFile(GetFileAttributesW(pszPath));
}

CToolAvailability::CToolAvailability()
    : m_nGeneration(0), m_nLookups(0), m_nMenuCount(0), m_hNotify(nullptr), m_nMessage(0)
{
}

CToolAvailability::~CToolAvailability() = default;

void CToolAvailability::SetNotify(HWND hWnd, UINT nMessage)
{
    m_hNotify = hWnd;
    m_nMessage = nMessage;
}

void CToolAvailability::Clear()
{
    TakeFinishedChecks();
    m_known.clear();
    for (const CTool& tool : m_tools)
        m_known[tessvald::string::AsciiLower(tool.m_strPath)] = tool.m_bAvailable;
    m_tools.clear();
    m_volumes.clear();
    m_volumeIndex.clear();
    ++m_nGeneration;
}

CToolAvailability::CVolume& CToolAvailability::VolumeFor(const std::wstring& path)
{
    std::wstring key = VolumeKeyOf(path);
    auto found = m_volumeIndex.find(key);
    if (found == m_volumeIndex.end()) {
        const bool bDrive = key.size() == 2;
        m_volumes.push_back({ key, bDrive, -1, {}, {}, {} });
        found = m_volumeIndex.emplace(std::move(key), m_volumes.size() - 1).first;
    }
    return m_volumes[found->second];
}

void CToolAvailability::Add(ULONG nTool, const wchar_t* pszPath, bool bFolder)
{
    tessvald::string::CString strExpanded;
    ExpandEnvironment(pszPath, strExpanded);
    std::wstring path = strExpanded.GetText();
    const auto known = m_known.find(tessvald::string::AsciiLower(path));
    const bool bAvailable = known == m_known.end() || known->second;
    m_tools.push_back({ nTool, path, bAvailable, true, false, bFolder });
    const std::size_t nIndex = m_tools.size() - 1;
    CVolume& volume = VolumeFor(path);
    if (!HasDriveFolder(path)) {
        volume.m_looseTools.push_back(nIndex);
        return;
    }
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    std::wstring key = tessvald::string::AsciiLower(folder);
    auto found = volume.m_folderIndex.find(key);
    if (found == volume.m_folderIndex.end()) {
        volume.m_folders.push_back({ folder, {}, false, {}, {} });
        found = volume.m_folderIndex.emplace(std::move(key), volume.m_folders.size() - 1).first;
    }
    volume.m_folders[found->second].m_tools.push_back(nIndex);
}

void CToolAvailability::Refresh(HMENU hMenu, ULONG nCount, DWORD nWaitMs)
{
    m_nLookups = 0;
    TakeFinishedChecks();
    std::vector<std::shared_ptr<CVolumeCheck>> started;
    StartChecks(started);
    const DWORD nStart = GetTickCount();
    for (const auto& pCheck : started) {
        const DWORD nElapsed = GetTickCount() - nStart;
        WaitForSingleObject(pCheck->m_hDone.Get(), nElapsed < nWaitMs ? nWaitMs - nElapsed : 0);
    }
    for (const auto& pCheck : started) {
        if (TakeAnswer(pCheck)) {
            m_nLookups += pCheck->m_nLookups;
            continue;
        }
        // Nobody waits for it any more: it announces itself, unless it
        // answered just now.
        InterlockedExchange(&pCheck->m_nLate, 1);
        TakeAnswer(pCheck);
    }
    ApplyToMenu(hMenu, nCount);
}

void CToolAvailability::TakeLateAnswers(HMENU hMenu)
{
    TakeFinishedChecks();
    ApplyToMenu(hMenu, m_nMenuCount);
}

bool CToolAvailability::IsKnownAvailable(ULONG nTool) const
{
    for (const CTool& tool : m_tools) {
        if (tool.m_nTool != nTool)
            continue;
        return tool.m_bAvailable && m_inFlight.count(VolumeKeyOf(tool.m_strPath)) == 0;
    }
    return false;
}

bool CToolAvailability::HasLookupsInFlight()
{
    TakeFinishedChecks();
    return !m_inFlight.empty();
}

// Volumes still busy from an earlier click are left to finish.
void CToolAvailability::StartChecks(std::vector<std::shared_ptr<CVolumeCheck>>& started)
{
    for (CVolume& volume : m_volumes) {
        if (m_inFlight.count(volume.m_strKey) != 0)
            continue;
        auto pCheck = std::make_shared<CVolumeCheck>();
        pCheck->m_strKey = volume.m_strKey;
        pCheck->m_nGeneration = m_nGeneration;
        pCheck->m_bDrive = volume.m_bDrive;
        pCheck->m_nWatchable = volume.m_bDrive ? volume.m_nWatchable : 0;
        pCheck->m_folders = volume.m_folders;
        for (CFolder& folder : pCheck->m_folders)
            for (std::size_t& nIndex : folder.m_tools) {
                pCheck->m_tools.push_back(m_tools[nIndex]);
                pCheck->m_listIndex.push_back(nIndex);
                nIndex = pCheck->m_tools.size() - 1;
            }
        for (std::size_t nIndex : volume.m_looseTools) {
            pCheck->m_tools.push_back(m_tools[nIndex]);
            pCheck->m_listIndex.push_back(nIndex);
            pCheck->m_looseTools.push_back(pCheck->m_tools.size() - 1);
        }
        pCheck->m_nLookups = 0;
        pCheck->m_nDone = 0;
        pCheck->m_nLate = 0;
        pCheck->m_hDone.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        pCheck->m_hNotify = m_hNotify;
        pCheck->m_nMessage = m_nMessage;
        auto* pShare = new std::shared_ptr<CVolumeCheck>(pCheck);
        BeginBackgroundWork();
        if (!pCheck->m_hDone || !TrySubmitThreadpoolCallback(RunVolumeCheck, pShare, nullptr)) {
            EndBackgroundWork();
            delete pShare;
            continue;
        }
        m_inFlight[volume.m_strKey] = pCheck;
        started.push_back(pCheck);
    }
}

// The answers of a finished check go to the list it was made from; a list
// built since then asks again at its next click.
bool CToolAvailability::TakeAnswer(const std::shared_ptr<CVolumeCheck>& pCheck)
{
    if (!pCheck->IsDone())
        return false;
    m_inFlight.erase(pCheck->m_strKey);
    if (pCheck->m_nGeneration != m_nGeneration)
        return true;
    for (std::size_t i = 0; i < pCheck->m_tools.size(); ++i) {
        CTool& tool = m_tools[pCheck->m_listIndex[i]];
        tool.m_bAvailable = pCheck->m_tools[i].m_bAvailable;
        tool.m_bLink = pCheck->m_tools[i].m_bLink;
    }
    const auto volume = m_volumeIndex.find(pCheck->m_strKey);
    if (volume == m_volumeIndex.end())
        return true;
    m_volumes[volume->second].m_nWatchable = pCheck->m_nWatchable;
    std::vector<CFolder>& folders = m_volumes[volume->second].m_folders;
    for (std::size_t i = 0; i < folders.size() && i < pCheck->m_folders.size(); ++i) {
        folders[i].m_bTrusted = pCheck->m_folders[i].m_bTrusted;
        folders[i].m_ftCreation = pCheck->m_folders[i].m_ftCreation;
        folders[i].m_ftLastWrite = pCheck->m_folders[i].m_ftLastWrite;
    }
    return true;
}

void CToolAvailability::TakeFinishedChecks()
{
    std::vector<std::shared_ptr<CVolumeCheck>> finished;
    for (const auto& entry : m_inFlight)
        if (entry.second->IsDone())
            finished.push_back(entry.second);
    for (const auto& pCheck : finished)
        TakeAnswer(pCheck);
}

void CToolAvailability::ApplyToMenu(HMENU hMenu, ULONG nCount)
{
    m_nMenuCount = nCount;
    for (CTool& tool : m_tools) {
        if (tool.m_nTool > nCount || tool.m_bAvailable == tool.m_bEnabled)
            continue;
        EnableMenuItem(hMenu, IDM_EDIT_TOOLS + tool.m_nTool,
                       MF_BYCOMMAND | (tool.m_bAvailable ? MF_ENABLED : (MF_GRAYED | MF_DISABLED)));
        tool.m_bEnabled = tool.m_bAvailable;
    }
}

void EnableToolEntries()
{
    CTrayState* pState = CTrayState::Current();
    CConfigReadBatch batch(g_config);
    ULONG nCount = 0;
    if (pState == nullptr || !ReadToolCount(nCount))
        return;
    pState->m_toolAvailability.Refresh(g_hToolsMenu, nCount, kClickWaitMs);
}
