#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// True when the path names an existing file: not a folder, a URL, a quoted
// path or a path with environment references still in it.
bool FileExists(const wchar_t* pszPath);

// Whether each tool of the tools menu can be started, kept from one click
// to the next.
//
// The look-ups run on worker threads, one per volume (a drive or a share),
// because a share whose server stopped answering holds a look-up for tens
// of seconds on Windows: a click starts them and waits a moment for the
// answers; a volume that has not answered by then keeps its entries as
// they were last known (enabled before the first answer), and its late
// answer is applied when it comes. A volume still busy with an earlier
// click is not asked again, so a dead share holds one thread, not one per
// click.
//
// Each click looks at the folders, not the files: the times of a folder
// move whenever a file in it is made, deleted or renamed, so the files of
// a folder whose times stood still are as they were. A folder is trusted
// that way only on a local NTFS or ReFS volume, when neither it nor one of
// its tools is a link, and once its last change is older than the file
// system's clock could blur; a folder with a single tool is never worth
// it, its file is asked directly. Everything else is asked at every click,
// so a tool deleted just before a click is greyed in that menu.
class CToolAvailability
{
public:
    CToolAvailability();
    CToolAvailability(const CToolAvailability&) = delete;
    CToolAvailability& operator=(const CToolAvailability&) = delete;
    virtual ~CToolAvailability();

    // Where late answers are announced: the message is posted to the window
    // when a volume answers after its click stopped waiting.
    void SetNotify(HWND hWnd, UINT nMessage);

    // A new list: the tools keep what was known of their paths.
    void Clear();
    // Tool n, appended to the menu being built enabled, with its stored
    // path; environment references are expanded for the test. A live
    // folder (bFolder) can be started when its folder is there, any other
    // tool when its file is.
    void Add(ULONG nTool, const wchar_t* pszPath, bool bFolder = false);
    // Asks every volume that is not still busy and waits for the answers
    // up to nWaitMs, then enables the entries of tools 1 to nCount whose
    // files are there and greys the others; an entry is touched only when
    // its state changes.
    void Refresh(HMENU hMenu, ULONG nCount, DWORD nWaitMs);
    // The answers that came since, applied to the entries as the last
    // Refresh counted them.
    void TakeLateAnswers(HMENU hMenu);
    // Whether tool n's file (or folder) was there at the last answer of its
    // volume; false too while its volume has not answered (a dead share).
    bool IsKnownAvailable(ULONG nTool) const;
    // A look-up started and not answered yet. Each counts as background
    // work (foundation/BackgroundWork) until it ends.
    bool HasLookupsInFlight();
    // The file system look-ups of the last Refresh that answered in time.
    ULONG GetLookupCount() const { return m_nLookups; }

    struct CTool
    {
        ULONG m_nTool;
        std::wstring m_strPath;
        bool m_bAvailable;
        bool m_bEnabled;  // as the menu shows it
        bool m_bLink;
        bool m_bFolder;
    };

    struct CFolder
    {
        std::wstring m_strPath;  // with its closing backslash
        std::vector<std::size_t> m_tools;
        bool m_bTrusted;
        FILETIME m_ftCreation;
        FILETIME m_ftLastWrite;
    };

    // One volume's look-ups as they travel to a worker and back: copies of
    // the paths and folder states, the answers filled in there.
    struct CVolumeCheck;

private:
    struct CVolume
    {
        std::wstring m_strKey;
        bool m_bDrive;     // "X:", whose file system may be trusted
        int m_nWatchable;  // whether it may: -1 until a look-up told
        std::vector<CFolder> m_folders;
        std::vector<std::size_t> m_looseTools;
        std::unordered_map<std::wstring, std::size_t> m_folderIndex;
    };

    std::vector<CTool> m_tools;
    std::vector<CVolume> m_volumes;
    std::unordered_map<std::wstring, std::size_t> m_volumeIndex;
    std::unordered_map<std::wstring, bool> m_known;  // folded path -> last answer
    // Look-ups started and not yet taken, by volume key; kept over a new
    // list, so a stuck volume is not asked again.
    std::unordered_map<std::wstring, std::shared_ptr<CVolumeCheck>> m_inFlight;
    ULONG m_nGeneration;
    ULONG m_nLookups;
    ULONG m_nMenuCount;
    HWND m_hNotify;
    UINT m_nMessage;

    CVolume& VolumeFor(const std::wstring& path);
    void StartChecks(std::vector<std::shared_ptr<CVolumeCheck>>& started);
    bool TakeAnswer(const std::shared_ptr<CVolumeCheck>& pCheck);
    void TakeFinishedChecks();
    void ApplyToMenu(HMENU hMenu, ULONG nCount);
};

// Before every showing of the tools menu: reads the tool count (no count,
// no change) and brings the entries' states up to date, waiting for the
// look-ups at most a moment.
void EnableToolEntries();
