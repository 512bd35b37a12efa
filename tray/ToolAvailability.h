#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

// True when the path names an existing file: not a folder, a URL, a quoted
// path or a path with environment references still in it.
bool FileExists(const wchar_t* pszPath);

// Whether each tool of the tools menu can be started, kept from one click
// to the next. Each click looks at the folders, not the files: the times of
// a folder move whenever a file in it is made, deleted or renamed, so the
// files of a folder whose times stood still are as they were. A folder is
// trusted that way only on a local NTFS or ReFS volume, when neither it nor
// one of its tools is a link, and once its last change is older than the
// file system's clock could blur; a folder with a single tool is never
// worth it, its file is asked directly. Everything else is asked at every
// click, so a tool deleted just before a click is greyed in that menu.
class CToolAvailability
{
public:
    CToolAvailability();
    CToolAvailability(const CToolAvailability&) = delete;
    CToolAvailability& operator=(const CToolAvailability&) = delete;
    virtual ~CToolAvailability();

    void Clear();
    // Tool n, appended to the menu being built enabled, with its stored
    // path; environment references are expanded for the test.
    void Add(ULONG nTool, const wchar_t* pszPath);
    // Enables the entries of tools 1 to nCount whose files are there and
    // greys the others; an entry is touched only when its state changes.
    void Refresh(HMENU hMenu, ULONG nCount);
    // The file system look-ups of the last Refresh.
    ULONG GetLookupCount() const { return m_nLookups; }

private:
    struct CTool
    {
        ULONG m_nTool;
        std::wstring m_strPath;
        bool m_bAvailable;
        bool m_bEnabled;  // as the menu shows it
        bool m_bLink;
    };

    struct CFolder
    {
        std::wstring m_strPath;  // with its closing backslash
        std::vector<std::size_t> m_tools;
        bool m_bWatchable;
        bool m_bTrusted;
        FILETIME m_ftCreation;
        FILETIME m_ftLastWrite;
    };

    std::vector<CTool> m_tools;
    std::vector<CFolder> m_folders;
    std::vector<std::size_t> m_looseTools;  // without a folder on a drive
    std::unordered_map<std::wstring, std::size_t> m_folderIndex;
    std::unordered_map<wchar_t, bool> m_watchableDrives;
    ULONG m_nLookups;

    bool IsWatchableDrive(wchar_t chDrive);
    void CheckTool(CTool& tool);
    void RefreshFolder(CFolder& folder, const FILETIME& ftNow);
};

extern CToolAvailability g_toolAvailability;

// Before every showing of the tools menu: reads the tool count (no count,
// no change) and brings the entries' states up to date.
void EnableToolEntries();
