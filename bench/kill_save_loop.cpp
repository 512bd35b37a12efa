// Kills the saving of a 1000-tool list at random moments and counts the
// lists lost, twice: once for the whole list's save, once for the save of
// the options alone. A child process (this program with "--saver") saves
// with the program's own SaveToolList or SaveOptions, over and over; the
// driver waits until the first save is done, lets it run on for a random
// time within two saves, and ends it with TerminateProcess, as a shutdown,
// a task manager or a crash would. After each kill it takes the start-up
// path of the tray (RestoreLostSettingsFile) and then demands the whole
// list. Prints for each: kills, where they left the settings file, lists
// lost, restores done, temporary files left.
//
// bench_kill_save_loop.exe [kills [seed]]   (default 200 kills each)

#include "BenchTiming.h"
#include "BenchTools.h"

#include "foundation/ScopedHandle.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/CReplacementFile.h"
#include "settings/DisplayOptions.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsFile.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

using bench::MakeTools;

namespace {

using tessvald::CKernelHandle;

constexpr ULONG kTools = 1000;
constexpr int kDefaultKills = 200;
constexpr DWORD kReadyTimeoutMs = 60000;

bool SaveTools(const std::vector<std::unique_ptr<CRecord>>& tools)
{
    std::vector<CRecord*> rows;
    for (const auto& tool : tools)
        rows.push_back(tool.get());
    return SaveToolList(rows.data(), static_cast<ULONG>(rows.size()), nullptr);
}

std::wstring ReadyEventName(DWORD nDriver)
{
    return L"Local\\ambertille-kill-loop-" + std::to_wstring(nDriver);
}

enum class ESave { List, Options };

const wchar_t* SaveName(ESave eSave)
{
    return eSave == ESave::List ? L"list" : L"options";
}

// Each options save changes the file: the icon size goes back and forth.
bool SaveOnce(ESave eSave, const std::vector<std::unique_ptr<CRecord>>& tools)
{
    if (eSave == ESave::List)
        return SaveTools(tools);
    g_bLargeIcons = !g_bLargeIcons;
    return SaveOptions(nullptr);
}

// The child: saves until it is killed; the driver hears of the first save.
int RunSaver(const wchar_t* pszFile, const wchar_t* pszDriver, ESave eSave)
{
    g_config.SetFileName(pszFile);
    const auto tools = MakeTools(kTools);
    const CKernelHandle ready(
        OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(std::wcstoul(pszDriver, nullptr, 10)).c_str()));
    for (bool bFirst = true;; bFirst = false) {
        if (!SaveOnce(eSave, tools)) {
            std::printf("saver: a save failed (error %lu)\n", GetLastError());
            return 1;
        }
        if (bFirst && ready)
            SetEvent(ready.Get());
    }
}

enum class EFileState { Whole, Missing, Empty, Cut };

EFileState StateOf(const std::wstring& file)
{
    std::string bytes;
    if (!ReadWholeFile(file.c_str(), bytes))
        return EFileState::Missing;
    if (IsEmptyProfileText(DecodeProfileBytes(bytes)))
        return EFileState::Empty;
    return IsCompleteSettingsText(bytes) ? EFileState::Whole : EFileState::Cut;
}

// Whole by its own marks and, read as the tray reads it, with every tool.
bool HoldsWholeList(const std::wstring& file)
{
    if (StateOf(file) != EFileState::Whole)
        return false;
    g_config.SetFileName(file.c_str());
    ULONG nCount = 0;
    return ReadToolCount(nCount) && nCount == kTools;
}

std::size_t LeftTemporaryFiles(const std::wstring& file)
{
    return FindLeftReplacementFiles(file.c_str()).size() + FindLeftReplacementFiles(BackupPathOf(file.c_str()).c_str()).size();
}

struct Figures
{
    int nKills = 0;
    int nStates[4] = {};
    int nLost = 0;
    int nRestores = 0;
    std::size_t nMaxTempLeft = 0;
    std::size_t nTempLeftAtEnd = 0;
    int nStartFailures = 0;
};

bool StartSaver(const std::wstring& file, ESave eSave, PROCESS_INFORMATION& process)
{
    wchar_t szSelf[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(szSelf) + L"\" --saver \"" + file + L"\" "
        + std::to_wstring(GetCurrentProcessId()) + L" " + SaveName(eSave);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)
        != FALSE;
}

// One kill at a random moment of the child's saving, then the start-up
// path of the tray.
void KillOnce(const std::wstring& file, ESave eSave, HANDLE hReady, std::mt19937& random, DWORD nWindowMs,
              Figures& figures)
{
    PROCESS_INFORMATION process = {};
    if (!StartSaver(file, eSave, process)) {
        ++figures.nStartFailures;
        return;
    }
    const CKernelHandle hProcess(process.hProcess);
    const CKernelHandle hThread(process.hThread);
    const HANDLE waits[] = { hReady, process.hProcess };
    if (WaitForMultipleObjects(2, waits, FALSE, kReadyTimeoutMs) != WAIT_OBJECT_0) {
        ++figures.nStartFailures;
        TerminateProcess(process.hProcess, 1);
        return;
    }
    Sleep(std::uniform_int_distribution<DWORD>(0, nWindowMs)(random));
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, INFINITE);
    ++figures.nKills;

    ++figures.nStates[static_cast<int>(StateOf(file))];
    const std::size_t nTempLeft = LeftTemporaryFiles(file);
    figures.nMaxTempLeft = nTempLeft > figures.nMaxTempLeft ? nTempLeft : figures.nMaxTempLeft;
    figures.nTempLeftAtEnd = nTempLeft;
    std::wstring source;
    if (RestoreLostSettingsFile(file.c_str(), source) != ERestoredFrom::Nothing)
        ++figures.nRestores;
    if (!HoldsWholeList(file))
        ++figures.nLost;
}

std::wstring MakeBenchFolder()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = std::wstring(szTemp) + L"ambertille-kill-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveBenchFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE hFind = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(hFind, &found));
        FindClose(hFind);
    }
    RemoveDirectoryW(folder.c_str());
}

void PrintFigures(const Figures& figures, std::size_t nTempAfterSave)
{
    std::printf("kills                          %6d\n", figures.nKills);
    std::printf("  settings file whole          %6d\n", figures.nStates[static_cast<int>(EFileState::Whole)]);
    std::printf("  settings file missing        %6d\n", figures.nStates[static_cast<int>(EFileState::Missing)]);
    std::printf("  settings file empty          %6d\n", figures.nStates[static_cast<int>(EFileState::Empty)]);
    std::printf("  settings file cut short      %6d\n", figures.nStates[static_cast<int>(EFileState::Cut)]);
    std::printf("restores done                  %6d\n", figures.nRestores);
    std::printf("lists lost                     %6d   (target 0)\n", figures.nLost);
    std::printf("temporary files left           %6zu   at most, after a kill\n", figures.nMaxTempLeft);
    std::printf("                               %6zu   after the last kill\n", figures.nTempLeftAtEnd);
    std::printf("                               %6zu   after the next save\n", nTempAfterSave);
    if (figures.nStartFailures > 0)
        std::printf("saver starts that failed       %6d\n", figures.nStartFailures);
}

// One loop of kills on a fresh folder; true when no list was lost.
bool RunLoop(ESave eSave, int nKills, unsigned nSeed)
{
    const std::wstring folder = MakeBenchFolder();
    const std::wstring file = folder + L"\\ambertille.ini";
    g_config.SetFileName(file.c_str());
    const auto tools = MakeTools(kTools);
    SaveTools(tools);
    // The kills fall within two saves' time after a save has ended.
    const double saveMs = bench::MedianMs(5, [&] { SaveOnce(eSave, tools); });
    const DWORD nWindowMs = static_cast<DWORD>(2 * saveMs) + 1;
    std::printf("Kill loop, %ls save: %d kills of a %lu-tool file (%.1f ms a save), random moments within %lu ms, "
                "seed %u\n",
                SaveName(eSave), nKills, static_cast<unsigned long>(kTools), saveMs,
                static_cast<unsigned long>(nWindowMs), nSeed);

    const CKernelHandle ready(CreateEventW(nullptr, FALSE, FALSE, ReadyEventName(GetCurrentProcessId()).c_str()));
    std::mt19937 random(nSeed);
    Figures figures;
    for (int i = 0; i < nKills; ++i)
        KillOnce(file, eSave, ready.Get(), random, nWindowMs, figures);

    g_config.SetFileName(file.c_str());
    SaveOnce(eSave, tools);
    PrintFigures(figures, LeftTemporaryFiles(file));
    RemoveBenchFolder(folder);
    return figures.nLost == 0 && figures.nStartFailures == 0;
}

} // namespace

int main()
{
    int nArgs = 0;
    wchar_t** ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppArgs == nullptr)
        return 2;
    if (nArgs == 5 && std::wstring(ppArgs[1]) == L"--saver")
        return RunSaver(ppArgs[2], ppArgs[3], std::wstring(ppArgs[4]) == SaveName(ESave::List) ? ESave::List
                                                                                              : ESave::Options);
    int nKills = nArgs > 1 ? static_cast<int>(std::wcstol(ppArgs[1], nullptr, 10)) : kDefaultKills;
    const unsigned nSeed = nArgs > 2 ? static_cast<unsigned>(std::wcstoul(ppArgs[2], nullptr, 10)) : GetTickCount();
    LocalFree(ppArgs);
    nKills = nKills > 0 ? nKills : kDefaultKills;
    const bool bListKept = RunLoop(ESave::List, nKills, nSeed);
    std::printf("\n");
    const bool bOptionsKept = RunLoop(ESave::Options, nKills, nSeed);
    return bListKept && bOptionsKept ? 0 : 1;
}
