// Times the tray program where a user waits for it, with 10, 100, 1000 and
// 5000 tools. Every tool is a file of its own with its own icon file (hard
// links of the Wine programs that carry icons, copies where no link can be
// made), ten to a folder as suites and tool collections come; the folders
// are dated an hour back, as installed programs are at a click.
//   click      from the icon's notification to the menu being ready to
//              track: the change check of the settings file and the greying
//              pass, the work of ours that a click costs when nothing
//              changed; "own dir" is the same with every tool in a folder
//              of its own, the case that asks every file;
//   first      the first showing after the window was made, icons not yet
//              loaded: notification until the menu is painted on screen
//              (placeholders where icons are still on their way);
//   settled    the same showing until the menu's loop is idle, the icons
//              that arrived meanwhile drawn;
//   on screen  notification until painted, median of later showings;
//   icons      from the window's creation until the worker has loaded
//              every icon;
//   rebuild    both menus built from a settings file just edited;
//   start      from process start to the icon added, for "ambertille.exe
//              -run" and, side by side, bench_tray_floor.exe, which only
//              registers a class, creates a window and adds an icon;
//   peak WS    the peak working set of the program once its tools menu was
//              open and every icon loaded, against the floor's.
// Each figure is printed against its target. It needs a desktop with a
// notification area; without one it says so and ends.

#include "BenchMenus.h"
#include "BenchTiming.h"
#include "BenchTools.h"

#include "settings/CConfig.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"
#include "tray/MenuIcons.h"
#include "tray/ToolAvailability.h"
#include "tray/TrayMenus.h"
#include "tray/TrayState.h"
#include "tray/TrayWindow.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using bench::DispatchWaiting;
using bench::MakeFolder;
using bench::Median;
using bench::MedianMs;
using bench::NowMs;
using bench::RemoveFolder;

namespace {

constexpr int kRepeats = 15;
constexpr int kStartRepeats = 9;
constexpr int kMemoryRepeats = 3;
constexpr ULONG kMaxTools = 5000;
constexpr ULONG kToolsPerFolder = 10;
constexpr DWORD kStartTimeoutMs = 30000;
constexpr wchar_t kBenchClass[] = L"AmbertilleBenchWindow";

// Programs of every Wine prefix that carry icons (winver, control and
// explorer carry none).
const wchar_t* const kIconPrograms[] = {
    L"C:\\windows\\notepad.exe",           L"C:\\windows\\regedit.exe",
    L"C:\\windows\\hh.exe",                L"C:\\windows\\system32\\taskmgr.exe",
    L"C:\\windows\\system32\\winefile.exe", L"C:\\windows\\system32\\cmd.exe",
    L"C:\\windows\\system32\\winemine.exe", L"C:\\windows\\system32\\winecfg.exe",
};

std::wstring OwnFolder()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path = szPath;
    return path.substr(0, path.find_last_of(L'\\'));
}

void SetLastWriteHoursAgo(const std::wstring& path, int nHours, DWORD nFlags)
{
    HANDLE hFile = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, nFlags, nullptr);
    FILETIME ft = {};
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER time = { { ft.dwLowDateTime, ft.dwHighDateTime } };
    time.QuadPart -= static_cast<ULONGLONG>(nHours) * 3600ULL * 10000000ULL;
    ft = { time.LowPart, time.HighPart };
    SetFileTime(hFile, nullptr, nullptr, &ft);
    CloseHandle(hFile);
}

// The tools' files, made once for every size: "grouped" ten to a folder,
// "own" one to a folder.
struct ToolFiles
{
    std::vector<std::wstring> grouped;
    std::vector<std::wstring> own;
};

bool LinkOrCopy(const wchar_t* pszSource, const std::wstring& target)
{
    return CreateHardLinkW(target.c_str(), pszSource, nullptr) || CopyFileW(pszSource, target.c_str(), FALSE);
}

ToolFiles MakeToolFiles(const std::wstring& root)
{
    ToolFiles files;
    std::vector<std::wstring> folders;
    for (ULONG n = 0; n < kMaxTools; ++n) {
        const wchar_t* pszSource = kIconPrograms[n % ARRAYSIZE(kIconPrograms)];
        const std::wstring number = std::to_wstring(n + 1);
        const std::wstring group = root + L"\\suite" + std::to_wstring(n / kToolsPerFolder + 1);
        if (n % kToolsPerFolder == 0) {
            CreateDirectoryW(group.c_str(), nullptr);
            folders.push_back(group);
        }
        files.grouped.push_back(group + L"\\werkzeug" + number + L".exe");
        const std::wstring own = root + L"\\werkzeug" + number;
        CreateDirectoryW(own.c_str(), nullptr);
        folders.push_back(own);
        files.own.push_back(own + L"\\werkzeug.exe");
        LinkOrCopy(pszSource, files.grouped.back());
        LinkOrCopy(pszSource, files.own.back());
    }
    for (const std::wstring& folder : folders)
        SetLastWriteHoursAgo(folder, 1, FILE_FLAG_BACKUP_SEMANTICS);
    return files;
}

void WriteSettings(const std::wstring& path, const std::vector<std::wstring>& files, ULONG nTools)
{
    std::wstring text = L"[tools]\r\ncount=" + std::to_wstring(nTools) + L"\r\nicons=small\r\n";
    for (ULONG n = 1; n <= nTools; ++n) {
        const std::wstring& file = files[n - 1];
        text += L"[tool" + std::to_wstring(n) + L"]\r\nname=Werkzeug " + std::to_wstring(n) + L"\r\npath=" + file
                + L"\r\nshow=1\r\nparam=/fenster\r\niconfile=" + file + L"\r\niconindex=0\r\n";
    }
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const wchar_t bom = 0xFEFF;
    DWORD nWritten = 0;
    WriteFile(hFile, &bom, sizeof(bom), &nWritten, nullptr);
    WriteFile(hFile, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &nWritten, nullptr);
    CloseHandle(hFile);
}

// --- in this process: clicks, showings, rebuilds -----------------------------

// Posted at the first entry drawn after a click: it is taken from the queue
// once that painting is over, when the menu stands on screen.
constexpr UINT WM_BENCH_PAINTED = WM_APP + 0x70;

bool g_bAwaitingPaint = false;
double g_menuPaintedAt = 0.0;
double g_menuIdleAt = 0.0;

// The stop watch of a menu's owner: the first painting of the menu ends
// when the posted mark comes back, and the menu's loop tells the owner when
// it has nothing left to do (every icon that arrived meanwhile drawn).
bool TimeMenuMessage(HWND hWnd, UINT nMsg, WPARAM wParam)
{
    if (nMsg == WM_DRAWITEM && g_bAwaitingPaint) {
        g_bAwaitingPaint = false;
        PostMessageW(hWnd, WM_BENCH_PAINTED, 0, 0);
    }
    if (nMsg == WM_BENCH_PAINTED) {
        g_menuPaintedAt = NowMs();
        return true;
    }
    if (nMsg == WM_ENTERIDLE && wParam == MSGF_MENU) {
        g_menuIdleAt = NowMs();
        EndMenu();
        return true;
    }
    return false;
}

LRESULT CALLBACK BenchWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (TimeMenuMessage(hWnd, nMsg, wParam))
        return 0;
    return MainWndProc(hWnd, nMsg, wParam, lParam);
}

// The owner of a bare menu: entries of a fixed size, drawn as a plain
// rectangle. What the system itself needs to show a menu this long.
LRESULT CALLBACK BareMenuWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (TimeMenuMessage(hWnd, nMsg, wParam))
        return 0;
    if (bench::AnswerBareEntry(nMsg, lParam))
        return TRUE;
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

HWND CreateWindowOfClass(const wchar_t* pszClass, WNDPROC pfnProc)
{
    return bench::MakeWindow(g_hInstance, pszClass, pfnProc);
}

HWND CreateBenchWindow()
{
    return CreateWindowOfClass(kBenchClass, BenchWndProc);
}

struct Showing
{
    double painted;  // ms to the menu painted on screen, or -1
    double idle;     // ms to the menu's loop idle, or -1
};

Showing TimeOneShowing(HWND hWnd)
{
    g_bAwaitingPaint = true;
    g_menuPaintedAt = 0.0;
    g_menuIdleAt = 0.0;
    const double start = NowMs();
    SendMessageW(hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
    // A mark still waiting is taken here, after the menu closed.
    DispatchWaiting();
    g_bAwaitingPaint = false;
    const double painted = g_menuPaintedAt > 0.0 && g_menuPaintedAt <= g_menuIdleAt ? g_menuPaintedAt - start : -1.0;
    return { painted, g_menuIdleAt > 0.0 ? g_menuIdleAt - start : -1.0 };
}

// The same showing for a bare menu of as many entries, tracked the way the
// program tracks its own.
double TimeBareMenu(ULONG nEntries)
{
    HWND hWnd = CreateWindowOfClass(L"AmbertilleBenchBareMenu", BareMenuWndProc);
    HMENU hMenu = CreatePopupMenu();
    for (ULONG n = 1; n <= nEntries; ++n)
        AppendMenuW(hMenu, MF_OWNERDRAW, n, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(n)));
    std::vector<double> showings;
    for (int i = 0; i < (nEntries >= 1000 ? 5 : kRepeats); ++i) {
        g_bAwaitingPaint = true;
        g_menuPaintedAt = 0.0;
        g_menuIdleAt = 0.0;
        POINT pt = {};
        GetCursorPos(&pt);
        const double start = NowMs();
        TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, pt.x, pt.y, 0, hWnd, nullptr);
        DispatchWaiting();
        g_bAwaitingPaint = false;
        showings.push_back(g_menuPaintedAt > 0.0 ? g_menuPaintedAt - start : -1.0);
    }
    DestroyMenu(hMenu);
    DestroyWindow(hWnd);
    return Median(showings);
}

double TimeAllIconsLoaded(double created)
{
    while (CTrayState::Current()->m_iconCache.PendingCount() > 0 && NowMs() - created < 120000.0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        DispatchWaiting();
    }
    return NowMs() - created;
}

double TimeClickPath()
{
    return MedianMs(kRepeats, [] {
        if (HasConfigFileChanged())
            BuildToolsMenu();
        EnableToolEntries();
    });
}

// The editor's save rewrites the file: its time moves, and the settings
// are read afresh by the build.
void TouchSettings()
{
    static int s_nHoursAgo = 0;
    SetLastWriteHoursAgo(g_config.GetFileName(), ++s_nHoursAgo, FILE_ATTRIBUTE_NORMAL);
}

struct InProcessFigures
{
    double click;
    double clickOwnFolders;
    double first;
    double firstIdle;
    double onScreen;
    double bareMenu;
    double icons;
    double rebuild;
    size_t nIcons;
    size_t nLoaded;
};

void UseSettings(const std::wstring& ini)
{
    g_config.SetFileName(ini.c_str());
    RememberConfigFileState();
}

InProcessFigures TimeInProcess(const std::wstring& folder, const ToolFiles& files, ULONG nTools)
{
    InProcessFigures figures = {};
    // The menus built without a window need a tray state as the window has.
    CTrayState state;
    state.Attach(nullptr);
    const std::wstring own = folder + L"\\own" + std::to_wstring(nTools) + L".ini";
    WriteSettings(own, files.own, nTools);
    UseSettings(own);
    BuildToolsMenu();
    figures.clickOwnFolders = TimeClickPath();
    DestroyToolsMenu();

    const std::wstring ini = folder + L"\\tools" + std::to_wstring(nTools) + L".ini";
    WriteSettings(ini, files.grouped, nTools);
    UseSettings(ini);
    const double created = NowMs();
    HWND hWnd = CreateBenchWindow();
    const Showing first = TimeOneShowing(hWnd);
    figures.first = first.painted;
    figures.firstIdle = first.idle;
    figures.click = TimeClickPath();
    std::vector<double> showings;
    for (int i = 0; i < kRepeats; ++i)
        showings.push_back(TimeOneShowing(hWnd).painted);
    figures.onScreen = Median(showings);
    figures.bareMenu = TimeBareMenu(nTools + 2);
    figures.icons = TimeAllIconsLoaded(created);
    figures.nIcons = CTrayState::Current()->m_iconCache.Count();
    figures.nLoaded = CTrayState::Current()->m_iconCache.LoadedCount();
    figures.rebuild = MedianMs(nTools >= 1000 ? 5 : kRepeats, [] {
        TouchSettings();
        BuildToolsMenu();
        BuildProgramMenu();
    });
    DestroyWindow(hWnd);
    // The window's end posts the quit message, which is not ours to keep.
    DispatchWaiting();
    return figures;
}

// --- other processes: the start and the memory ------------------------------

bool IconShown(HWND hWnd)
{
    // Changing nothing succeeds only for an icon the shell holds.
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

struct MenuWindowSearch
{
    DWORD nProcessId;
    HWND hFound;
};

HWND FindMenuWindow(DWORD nProcessId)
{
    MenuWindowSearch search = { nProcessId, nullptr };
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) {
            auto* pSearch = reinterpret_cast<MenuWindowSearch*>(lParam);
            DWORD nOwner = 0;
            GetWindowThreadProcessId(hWnd, &nOwner);
            wchar_t szClass[16] = {};
            GetClassNameW(hWnd, szClass, 16);
            if (nOwner != pSearch->nProcessId || lstrcmpW(szClass, L"#32768") != 0 || !IsWindowVisible(hWnd))
                return TRUE;
            pSearch->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

SIZE_T WorkingSet(HANDLE hProcess, bool bPeak)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(hProcess, &counters, sizeof(counters)))
        return 0;
    return bPeak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

// Until the working set stood still for a second (icons still loading
// make it grow), at most 30 seconds.
void WaitForSettledMemory(HANDLE hProcess)
{
    SIZE_T nLast = WorkingSet(hProcess, false);
    double stillSince = NowMs();
    const double start = stillSince;
    while (NowMs() - stillSince < 1000.0 && NowMs() - start < 30000.0) {
        Sleep(100);
        const SIZE_T nNow = WorkingSet(hProcess, false);
        if (nNow > nLast + nLast / 200 || nNow + nNow / 200 < nLast) {
            nLast = nNow;
            stillSince = NowMs();
        }
    }
}

struct ProcessFigures
{
    double start;   // ms to the icon added, or -1
    double menu;    // ms from the notification to the menu on screen, or -1
    double peakMb;  // peak working set, or -1
};

// Starts one program, times its start and, when asked, opens its tools
// menu the way the shell does and notes the memory it came to need.
ProcessFigures RunOnce(const std::wstring& exe, const std::wstring& folder, const wchar_t* pszClass,
                       UINT nQuitMessage, bool bMeasureMemory, bool bOpenMenu)
{
    ProcessFigures figures = { -1.0, -1.0, -1.0 };
    std::wstring commandLine = L"\"" + exe + L"\" -run";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        folder.c_str(), &si, &pi))
        return figures;
    HWND hWnd = nullptr;
    while (NowMs() - start < kStartTimeoutMs) {
        hWnd = FindWindowW(pszClass, nullptr);
        if (hWnd != nullptr && IconShown(hWnd)) {
            figures.start = NowMs() - start;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    if (figures.start >= 0.0 && bOpenMenu) {
        const double clicked = NowMs();
        PostMessageW(hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        HWND hMenu = nullptr;
        while (hMenu == nullptr && NowMs() - clicked < kStartTimeoutMs) {
            hMenu = FindMenuWindow(pi.dwProcessId);
            Sleep(hMenu == nullptr ? 1 : 0);
        }
        if (hMenu != nullptr)
            figures.menu = NowMs() - clicked;
        if (bMeasureMemory)
            WaitForSettledMemory(pi.hProcess);
        if (hMenu != nullptr)
            PostMessageW(hMenu, WM_KEYDOWN, VK_ESCAPE, 1);
    } else if (figures.start >= 0.0 && bMeasureMemory) {
        WaitForSettledMemory(pi.hProcess);
    }
    if (bMeasureMemory)
        figures.peakMb = static_cast<double>(WorkingSet(pi.hProcess, true)) / (1024.0 * 1024.0);
    if (hWnd != nullptr)
        PostMessageW(hWnd, nQuitMessage, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return figures;
}

struct StartFigures
{
    double program;
    double floor;
    double firstMenu;
    double programMb;
    double floorMb;
};

// Taken in turns, so both see the same machine.
StartFigures TimeStarts(const std::wstring& folder, const ToolFiles& files, ULONG nTools)
{
    const std::wstring programFolder = folder + L"\\start" + std::to_wstring(nTools);
    CreateDirectoryW(programFolder.c_str(), nullptr);
    const std::wstring program = programFolder + L"\\ambertille.exe";
    CopyFileW((OwnFolder() + L"\\ambertille.exe").c_str(), program.c_str(), FALSE);
    WriteSettings(programFolder + L"\\ambertille.ini", files.grouped, nTools);
    const std::wstring floor = OwnFolder() + L"\\bench_tray_floor.exe";
    const wchar_t kProgramClass[] = L"AmbertilleWindowClass";
    const wchar_t kFloorClass[] = L"AmbertilleFloorWindow";

    std::vector<double> programTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < kStartRepeats; ++i) {
        programTimes.push_back(RunOnce(program, programFolder, kProgramClass, WM_QUERYENDSESSION, false, false).start);
        floorTimes.push_back(RunOnce(floor, folder, kFloorClass, WM_CLOSE, false, false).start);
    }
    std::vector<double> menus;
    std::vector<double> programMb;
    std::vector<double> floorMb;
    for (int i = 0; i < kMemoryRepeats; ++i) {
        const ProcessFigures run = RunOnce(program, programFolder, kProgramClass, WM_QUERYENDSESSION, true, true);
        menus.push_back(run.menu);
        programMb.push_back(run.peakMb);
        floorMb.push_back(RunOnce(floor, folder, kFloorClass, WM_CLOSE, true, false).peakMb);
    }
    return { Median(programTimes), Median(floorTimes), Median(menus), Median(programMb), Median(floorMb) };
}

double Ratio(double value, double floor)
{
    return value >= 0.0 && floor > 0.0 ? value / floor : -1.0;
}

// One line per figure and size that has a target.
void PrintTarget(const char* pszFigure, ULONG nTools, double value, double target, const char* pszUnit)
{
    const bool bMet = value >= 0.0 && value <= target;
    std::printf("  %-34s %5lu tools: %9.2f %-3s (target: within %g) %s\n", pszFigure, nTools, value, pszUnit, target,
                bMet ? "met" : "MISSED");
}

struct Row
{
    ULONG nTools;
    InProcessFigures clicks;
    StartFigures starts;
};

void PrintTargets(const std::vector<Row>& rows)
{
    std::printf("\nAgainst the targets:\n");
    for (const Row& row : rows) {
        const ULONG n = row.nTools;
        const double onScreen = row.clicks.first > row.clicks.onScreen ? row.clicks.first : row.clicks.onScreen;
        if (n == 100 || n == 1000) {
            const bool b100 = n == 100;
            PrintTarget("menu on screen (first or later)", n, onScreen, b100 ? 16.0 : 50.0, "ms");
            PrintTarget("  a bare menu of as many entries", n, row.clicks.bareMenu, b100 ? 16.0 : 50.0, "ms");
            PrintTarget("click path (ours only)", n, row.clicks.click, b100 ? 5.0 : 16.0, "ms");
            PrintTarget("click path, a folder per tool", n, row.clicks.clickOwnFolders, b100 ? 5.0 : 16.0, "ms");
            PrintTarget("rebuild after an edit", n, row.clicks.rebuild, b100 ? 20.0 : 150.0, "ms");
            PrintTarget("start-up vs the floor", n, Ratio(row.starts.program, row.starts.floor), b100 ? 1.3 : 1.5, "x");
            PrintTarget("peak working set vs the floor", n, Ratio(row.starts.programMb, row.starts.floorMb),
                        b100 ? 1.5 : 2.0, "x");
        }
        if (n == 5000) {
            PrintTarget("menu on screen (first or later)", n, onScreen, 200.0, "ms");
            PrintTarget("  a bare menu of as many entries", n, row.clicks.bareMenu, 200.0, "ms");
        }
    }
}

} // namespace

int main()
{
    if (!bench::StartAsTrayProgram())
        return 0;
    const std::wstring folder = MakeFolder(L"tray-bench");
    const ToolFiles files = MakeToolFiles(folder);
    // The list sizes to measure may be named on the command line.
    std::vector<ULONG> sizes = { 10, 100, 1000, 5000 };
    int nArgs = 0;
    wchar_t** ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppArgs != nullptr && nArgs > 1) {
        sizes.clear();
        for (int i = 1; i < nArgs; ++i)
            sizes.push_back(std::wcstoul(ppArgs[i], nullptr, 10));
    }
    LocalFree(ppArgs);

    std::printf("Tray program, %lu distinct tool files with their own icons; median of %d runs (starts: %d, "
                "memory: %d); milliseconds, MB\n\n",
                kMaxTools, kRepeats, kStartRepeats, kMemoryRepeats);
    std::printf("%5s %7s %7s %7s %7s %7s %7s %8s %8s %7s %7s %5s %7s %6s %6s %5s %11s\n", "tools", "click",
                "own dir", "first", "settled", "screen", "bare", "icons", "rebuild", "start", "floor", "x", "menu*",
                "WS", "floor", "x", "icons held");
    std::vector<Row> rows;
    for (ULONG nTools : sizes) {
        const Row row = { nTools, TimeInProcess(folder, files, nTools), TimeStarts(folder, files, nTools) };
        std::printf("%5lu %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %8.1f %8.2f %7.1f %7.1f %5.2f %7.1f %6.1f %6.1f "
                    "%5.2f %5zu/%-5zu\n",
                    nTools, row.clicks.click, row.clicks.clickOwnFolders, row.clicks.first, row.clicks.firstIdle,
                    row.clicks.onScreen, row.clicks.bareMenu, row.clicks.icons, row.clicks.rebuild, row.starts.program, row.starts.floor,
                    Ratio(row.starts.program, row.starts.floor), row.starts.firstMenu, row.starts.programMb,
                    row.starts.floorMb, Ratio(row.starts.programMb, row.starts.floorMb), row.clicks.nLoaded,
                    row.clicks.nIcons);
        std::fflush(stdout);
        rows.push_back(row);
    }
    DestroyToolsMenu();
    DestroyProgramMenu();
    RemoveFolder(folder);
    std::printf("\nbare: a menu of as many owner-drawn entries that draw nothing but their background, "
                "painted on screen: what the system itself takes, under any program.\n");
    std::printf("menu*: the first menu of a freshly started program, from the posted notification until its "
                "menu window shows, seen from outside.\n");
    PrintTargets(rows);
    return 0;
}
