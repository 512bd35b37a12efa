// Times the tray program where a user waits for it, with 10, 100 and 1000
// tools in the settings file:
//   click     from the icon's notification to the menu being ready to track:
//             the change check of the settings file and the enabling pass
//             (the work of ours that a click costs when nothing changed);
//   on screen the same notification until the menu is shown and idle,
//             measuring and drawing of every entry included;
//   build     a full BuildToolsMenu with every tool's icon, as after an edit;
//   start     from process start to the icon added, for "ambertille.exe
//             -run" and, side by side, for bench_tray_floor.exe, which only
//             registers a class, creates a window and adds an icon.
// Targets: the click path for 100 tools within one 60 Hz frame (16 ms);
// start-up with 10 tools within 1.5 times the floor. It needs a desktop with
// a notification area; without one it says so and ends.

#include "BenchTiming.h"

#include "settings/CConfig.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"
#include "tray/ToolAvailability.h"
#include "tray/TrayMenus.h"
#include "tray/TrayWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using bench::Median;
using bench::MedianMs;
using bench::NowMs;

namespace {

constexpr int kRepeats = 15;
constexpr int kStartRepeats = 9;
constexpr DWORD kStartTimeoutMs = 20000;
constexpr wchar_t kBenchClass[] = L"AmbertilleBenchWindow";

// Programs every Wine prefix (and every Windows) has, with icons.
const wchar_t* const kToolFiles[] = {
    L"C:\\windows\\notepad.exe",          L"C:\\windows\\regedit.exe",
    L"C:\\windows\\system32\\cmd.exe",    L"C:\\windows\\system32\\taskmgr.exe",
    L"C:\\windows\\system32\\winver.exe", L"C:\\windows\\system32\\control.exe",
};

std::wstring OwnFolder()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path = szPath;
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring MakeFolder(const std::wstring& name)
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = szTemp + name + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void WriteSettings(const std::wstring& path, ULONG nTools)
{
    std::wstring text = L"[tools]\r\ncount=" + std::to_wstring(nTools) + L"\r\nicons=small\r\n";
    for (ULONG n = 1; n <= nTools; ++n) {
        const wchar_t* pszFile = kToolFiles[n % ARRAYSIZE(kToolFiles)];
        text += L"[tool" + std::to_wstring(n) + L"]\r\nname=Werkzeug " + std::to_wstring(n) + L"\r\npath=" + pszFile
                + L"\r\nshow=1\r\nparam=/fenster\r\niconfile=" + pszFile + L"\r\niconindex=0\r\n";
    }
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const wchar_t bom = 0xFEFF;
    DWORD nWritten = 0;
    WriteFile(hFile, &bom, sizeof(bom), &nWritten, nullptr);
    WriteFile(hFile, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &nWritten, nullptr);
    CloseHandle(hFile);
}

// --- in this process: the click and the build -------------------------------

double g_menuShownAt = 0.0;

// The program's window procedure, plus a stop watch: the menu's loop tells
// the owner when it has nothing left to do, that is, when the menu is up.
LRESULT CALLBACK BenchWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_ENTERIDLE && wParam == MSGF_MENU) {
        g_menuShownAt = NowMs();
        EndMenu();
        return 0;
    }
    return MainWndProc(hWnd, nMsg, wParam, lParam);
}

HWND CreateBenchWindow()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = kBenchClass;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, kBenchClass, L"Bench", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, g_hInstance,
                           nullptr);
}

double TimeMenuOnScreen(HWND hWnd)
{
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        g_menuShownAt = 0.0;
        const double start = NowMs();
        SendMessageW(hWnd, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        if (g_menuShownAt > 0.0)
            times.push_back(g_menuShownAt - start);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    return Median(times);
}

struct ClickFigures
{
    double click;
    double onScreen;
    double build;
};

ClickFigures TimeClicks(const std::wstring& folder, ULONG nTools)
{
    const std::wstring ini = folder + L"\\tools" + std::to_wstring(nTools) + L".ini";
    WriteSettings(ini, nTools);
    g_config.SetFileName(ini.c_str());
    RememberConfigFileState();

    HWND hWnd = CreateBenchWindow();
    ClickFigures figures = {};
    figures.click = MedianMs(kRepeats, [] {
        if (HasConfigFileChanged())
            BuildToolsMenu();
        EnableToolEntries();
    });
    figures.onScreen = TimeMenuOnScreen(hWnd);
    figures.build = MedianMs(nTools >= 1000 ? 5 : kRepeats, [] { BuildToolsMenu(); });
    DestroyWindow(hWnd);
    return figures;
}

// --- other processes: the start ----------------------------------------------

bool IconShown(HWND hWnd)
{
    // Changing nothing succeeds only for an icon the shell holds.
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

// Milliseconds from CreateProcess to the program's icon in the shell, or -1.
double TimeOneStart(const std::wstring& exe, const std::wstring& folder, const wchar_t* pszClass, UINT nQuitMessage)
{
    std::wstring commandLine = L"\"" + exe + L"\" -run";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        folder.c_str(), &si, &pi))
        return -1.0;
    double elapsed = -1.0;
    HWND hWnd = nullptr;
    while (NowMs() - start < kStartTimeoutMs) {
        hWnd = FindWindowW(pszClass, nullptr);
        if (hWnd != nullptr && IconShown(hWnd)) {
            elapsed = NowMs() - start;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    if (hWnd != nullptr)
        PostMessageW(hWnd, nQuitMessage, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return elapsed;
}

struct StartFigures
{
    double program;
    double floor;
};

// Taken in turns, so both see the same machine.
StartFigures TimeStarts(const std::wstring& folder, ULONG nTools)
{
    const std::wstring programFolder = folder + L"\\start" + std::to_wstring(nTools);
    CreateDirectoryW(programFolder.c_str(), nullptr);
    const std::wstring program = programFolder + L"\\ambertille.exe";
    CopyFileW((OwnFolder() + L"\\ambertille.exe").c_str(), program.c_str(), FALSE);
    WriteSettings(programFolder + L"\\ambertille.ini", nTools);
    const std::wstring floor = OwnFolder() + L"\\bench_tray_floor.exe";

    std::vector<double> programTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < kStartRepeats; ++i) {
        const double nProgram = TimeOneStart(program, programFolder, L"AmbertilleWindowClass", WM_QUERYENDSESSION);
        const double nFloor = TimeOneStart(floor, folder, L"AmbertilleFloorWindow", WM_CLOSE);
        if (nProgram >= 0.0)
            programTimes.push_back(nProgram);
        if (nFloor >= 0.0)
            floorTimes.push_back(nFloor);
    }
    return { Median(programTimes), Median(floorTimes) };
}

void RemoveFolder(const std::wstring& folder)
{
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

} // namespace

int main()
{
    if (FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) {
        std::printf("No notification area here: run inside a Wine desktop with a task bar (as scripts/test "
                    "sets up) or on Windows.\n");
        return 0;
    }
    g_hInstance = GetModuleHandleW(nullptr);
    wchar_t szPath[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    g_strModulePath.Assign(szPath);
    const std::wstring folder = MakeFolder(L"tray-bench");
    const ULONG sizes[] = { 10, 100, 1000 };

    std::printf("Tray program, median of %d runs (starts: %d), milliseconds\n\n", kRepeats, kStartRepeats);
    std::printf("%6s %10s %10s %10s %10s %10s %7s\n", "tools", "click", "on screen", "build", "start", "floor",
                "ratio");
    double nClick100 = -1.0;
    StartFigures start10 = {};
    for (ULONG nTools : sizes) {
        const ClickFigures clicks = TimeClicks(folder, nTools);
        const StartFigures starts = TimeStarts(folder, nTools);
        std::printf("%6lu %10.2f %10.2f %10.2f %10.1f %10.1f %7.2f\n", nTools, clicks.click, clicks.onScreen,
                    clicks.build, starts.program, starts.floor,
                    starts.floor > 0.0 ? starts.program / starts.floor : -1.0);
        if (nTools == 100)
            nClick100 = clicks.click;
        if (nTools == 10)
            start10 = starts;
    }
    DestroyToolsMenu();
    DestroyProgramMenu();
    RemoveFolder(folder);

    const double nRatio10 = start10.floor > 0.0 ? start10.program / start10.floor : -1.0;
    std::printf("\nclick path, 100 tools: %.2f ms (target: within 16 ms) %s\n", nClick100,
                nClick100 >= 0.0 && nClick100 <= 16.0 ? "met" : "MISSED");
    std::printf("start-up, 10 tools: %.2f x the floor (target: within 1.5 x) %s\n", nRatio10,
                nRatio10 > 0.0 && nRatio10 <= 1.5 ? "met" : "MISSED");
    return 0;
}
