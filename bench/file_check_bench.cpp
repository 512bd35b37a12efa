// What it costs to learn whether a tool's file is there, the question every
// click on the tray icon asks of every tool. Prints microseconds per call
// for each way of asking, on 1000 files in one folder and on 1000 files in
// 1000 folders, and how often a change notification had not yet arrived
// when the deletion it reports was already done (a late notification would
// leave a deleted tool enabled in the menu that follows).

#include "BenchTiming.h"
#include "BenchTools.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

using bench::MakeFolder;
using bench::MedianMs;
using bench::RemoveFolder;

namespace {

constexpr int kFiles = 1000;
constexpr int kRepeats = 7;
constexpr int kRaceTrials = 200;

void Touch(const std::wstring& path)
{
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD nWritten = 0;
    WriteFile(hFile, "MZ", 2, &nWritten, nullptr);
    CloseHandle(hFile);
}

struct Layout
{
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
};

Layout OneFolder(const std::wstring& root)
{
    Layout layout;
    const std::wstring folder = root + L"\\one";
    CreateDirectoryW(folder.c_str(), nullptr);
    layout.folders.push_back(folder);
    for (int i = 0; i < kFiles; ++i) {
        layout.files.push_back(folder + L"\\tool" + std::to_wstring(i) + L".exe");
        Touch(layout.files.back());
    }
    return layout;
}

Layout OwnFolders(const std::wstring& root)
{
    Layout layout;
    for (int i = 0; i < kFiles; ++i) {
        const std::wstring folder = root + L"\\own" + std::to_wstring(i);
        CreateDirectoryW(folder.c_str(), nullptr);
        layout.folders.push_back(folder);
        layout.files.push_back(folder + L"\\tool.exe");
        Touch(layout.files.back());
    }
    return layout;
}

double PerCallUs(size_t nCalls, double nMs)
{
    return nMs * 1000.0 / static_cast<double>(nCalls);
}

void TimeLookups(const char* pszName, const Layout& layout)
{
    const auto& files = layout.files;
    const double nOpen = MedianMs(kRepeats, [&] {
        for (const auto& file : files) {
            HANDLE h = CreateFileW(file.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
        }
    });
    const double nAttributes = MedianMs(kRepeats, [&] {
        for (const auto& file : files)
            GetFileAttributesW(file.c_str());
    });
    const double nFolderTimes = MedianMs(kRepeats, [&] {
        for (const auto& folder : layout.folders) {
            WIN32_FILE_ATTRIBUTE_DATA data = {};
            GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data);
        }
    });
    const double nListing = MedianMs(kRepeats, [&] {
        for (const auto& folder : layout.folders) {
            WIN32_FIND_DATAW data = {};
            HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                        nullptr, FIND_FIRST_EX_LARGE_FETCH);
            if (h == INVALID_HANDLE_VALUE)
                continue;
            while (FindNextFileW(h, &data)) {
            }
            FindClose(h);
        }
    });
    std::vector<HANDLE> watches;
    for (const auto& folder : layout.folders)
        watches.push_back(FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    const double nWatch = MedianMs(kRepeats, [&] {
        for (HANDLE h : watches)
            WaitForSingleObject(h, 0);
    });
    for (HANDLE h : watches)
        if (h != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(h);

    std::printf("%-22s %8zu %8zu %10.2f %10.2f %10.2f %10.2f %10.2f\n", pszName, files.size(), layout.folders.size(),
                PerCallUs(files.size(), nOpen), PerCallUs(files.size(), nAttributes),
                PerCallUs(layout.folders.size(), nFolderTimes), PerCallUs(layout.folders.size(), nListing),
                PerCallUs(layout.folders.size(), nWatch));
}

// Deletes a file and asks at once whether its folder's notification fired.
void TimeNotificationRace(const std::wstring& root)
{
    const std::wstring folder = root + L"\\race";
    CreateDirectoryW(folder.c_str(), nullptr);
    int nLate = 0;
    for (int i = 0; i < kRaceTrials; ++i) {
        const std::wstring file = folder + L"\\victim.exe";
        Touch(file);
        HANDLE h = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
        DeleteFileW(file.c_str());
        if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0)
            ++nLate;
        FindCloseChangeNotification(h);
    }
    std::printf("\nchange notification not yet signalled right after the deletion: %d of %d\n", nLate, kRaceTrials);
}

void ShowVolume(const wchar_t* pszRoot)
{
    wchar_t szSystem[MAX_PATH + 1] = {};
    const BOOL bKnown = GetVolumeInformationW(pszRoot, nullptr, 0, nullptr, nullptr, nullptr, szSystem, MAX_PATH);
    std::printf("volume %ls: type %u, file system %ls\n", pszRoot, GetDriveTypeW(pszRoot),
                bKnown ? szSystem : L"(unknown)");
}

} // namespace

int main()
{
    const std::wstring root = MakeFolder(L"file-check-bench");
    std::printf("Microseconds per call, median of %d runs\n\n", kRepeats);
    std::printf("%-22s %8s %8s %10s %10s %10s %10s %10s\n", "layout", "files", "folders", "CreateFile",
                "attributes", "folder tm", "listing", "notified?");
    TimeLookups("one folder", OneFolder(root));
    TimeLookups("a folder each", OwnFolders(root));
    TimeNotificationRace(root);
    std::printf("\n");
    ShowVolume(L"C:\\");
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    szTemp[3] = L'\0';
    ShowVolume(szTemp);
    RemoveFolder(root);
    return 0;
}
