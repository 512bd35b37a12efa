// The road of an edit through the running program: from the tray icon into
// the list editor, a dropped shortcut, "&Speichern", and the tools menu of
// the next click holding the new tool and starting it.
#include "support/TempDir.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr UINT kTrayNotify = WM_USER + 100;
constexpr int kSaveButton = 301;
constexpr DWORD kPatience = 20000;

// Polls until the search finds something or the patience runs out.
HWND WaitFor(const std::function<HWND()>& find, DWORD nTimeoutMs = kPatience)
{
    const DWORD nStart = GetTickCount();
    for (;;) {
        if (HWND hWnd = find())
            return hWnd;
        if (GetTickCount() - nStart > nTimeoutMs)
            return nullptr;
        Sleep(50);
    }
}

bool WaitUntil(const std::function<bool()>& done, DWORD nTimeoutMs = kPatience)
{
    return WaitFor([&] { return done() ? GetDesktopWindow() : nullptr; }, nTimeoutMs) != nullptr;
}

DWORD ProcessOf(HWND hWnd)
{
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    return nProcessId;
}

struct WindowSearch
{
    DWORD nProcessId;
    const wchar_t* pszClass;
    const wchar_t* pszTitle;
    HWND hFound;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    wchar_t szClass[64] = {};
    wchar_t szTitle[128] = {};
    GetClassNameW(hWnd, szClass, 64);
    GetWindowTextW(hWnd, szTitle, 128);
    if (!IsWindowVisible(hWnd) || ProcessOf(hWnd) != pSearch->nProcessId || std::wcscmp(szClass, pSearch->pszClass) != 0
        || (pSearch->pszTitle != nullptr && std::wcscmp(szTitle, pSearch->pszTitle) != 0)) {
        return TRUE;
    }
    pSearch->hFound = hWnd;
    return FALSE;
}

HWND FindVisible(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle)
{
    WindowSearch search = { nProcessId, pszClass, pszTitle, nullptr };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// The running program in a folder of its own, ended as a log-off ends it.
class CTrayProgram
{
public:
    explicit CTrayProgram(const std::wstring& folder) : m_info()
    {
        std::wstring commandLine = L"\"" + folder + L"\\ambertille.exe\" -run";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                       &m_info);
    }
    CTrayProgram(const CTrayProgram&) = delete;
    CTrayProgram& operator=(const CTrayProgram&) = delete;
    virtual ~CTrayProgram()
    {
        if (m_info.hProcess == nullptr)
            return;
        if (HWND hTray = Tray())
            PostMessageW(hTray, WM_QUERYENDSESSION, 0, 0);
        if (WaitForSingleObject(m_info.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_info.hProcess, 1);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }

    DWORD Id() const { return m_info.dwProcessId; }
    HWND Tray() const
    {
        HWND hTray = FindWindowW(L"AmbertilleWindowClass", L"Ambertille");
        return hTray != nullptr && ProcessOf(hTray) == Id() ? hTray : nullptr;
    }
    // A left click on the icon; the tools menu that opens.
    HWND OpenToolsMenu() const
    {
        PostMessageW(Tray(), kTrayNotify, 0, WM_LBUTTONUP);
        return WaitFor([this] { return FindVisible(Id(), L"#32768", nullptr); });
    }

private:
    PROCESS_INFORMATION m_info;
};

// Up from no selection reaches the last entry; Enter chooses.
void ChooseFromBottom(HWND hMenu, int nUp)
{
    for (int n = 0; n < nUp; ++n)
        PostMessageW(hMenu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(hMenu, WM_CHAR, L'\r', 0);
}

LONG HeightOf(HWND hWnd)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return rc.bottom - rc.top;
}

// A drop from the shell hands the receiving window a DROPFILES block that
// lives in its own process; a fixed block is read through its address.
bool DropOn(HWND hWnd, const std::wstring& file)
{
    std::vector<BYTE> block(sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(header);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof(header));
    std::memcpy(block.data() + sizeof(header), file.c_str(), file.size() * sizeof(wchar_t));
    HANDLE hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessOf(hWnd));
    if (hProcess == nullptr)
        return false;
    auto* pRemote = static_cast<BYTE*>(
        VirtualAllocEx(hProcess, nullptr, block.size() + 64, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    const bool bWritten = pRemote != nullptr
        && WriteProcessMemory(hProcess, pRemote + 64, block.data(), block.size(), nullptr);
    CloseHandle(hProcess);
    return bWritten && PostMessageW(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(pRemote + 64), 0);
}

bool WriteShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& working)
{
    IShellLinkW* pLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&pLink)))) {
        return false;
    }
    pLink->SetPath(target.c_str());
    pLink->SetArguments(arguments.c_str());
    pLink->SetWorkingDirectory(working.c_str());
    pLink->SetShowCmd(SW_SHOWMINNOACTIVE);
    IPersistFile* pFile = nullptr;
    HRESULT hr = pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    if (SUCCEEDED(hr)) {
        hr = pFile->Save(path.c_str(), TRUE);
        pFile->Release();
    }
    pLink->Release();
    return SUCCEEDED(hr);
}

std::wstring ReadSetting(const std::wstring& file, const wchar_t* pszSection, const wchar_t* pszKey)
{
    wchar_t szValue[1024] = {};
    GetPrivateProfileStringW(pszSection, pszKey, L"", szValue, 1024, file.c_str());
    return szValue;
}

std::wstring CommandProcessor()
{
    wchar_t szFolder[MAX_PATH] = {};
    GetSystemDirectoryW(szFolder, MAX_PATH);
    return std::wstring(szFolder) + L"\\cmd.exe";
}

} // namespace

TEST(EditorEndToEnd, AShortcutDroppedOnTheEditorIsStartedFromTheNextToolsMenu)
{
    CTempDir folder;
    const std::wstring settings = folder.File(L"ambertille.ini");
    const std::wstring marker = folder.File(L"gestartet.txt");
    const std::wstring shortcut = folder.File(L"Markieren.lnk");
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\ambertille.exe").c_str(), folder.File(L"ambertille.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(folder.File(L"Erstes.txt"), "erstes"));
    const std::wstring ini = L"[tools]\r\ncount=1\r\n[tool1]\r\nname=Erstes\r\npath=" + folder.File(L"Erstes.txt")
                             + L"\r\nshow=1\r\n";
    ASSERT_TRUE(WriteFileBytes(settings, std::string(ini.begin(), ini.end())));
    ASSERT_TRUE(WriteShortcut(shortcut, CommandProcessor(), L"/c echo gestartet> \"" + marker + L"\"", folder.Path()));

    CTrayProgram program(folder.Path());
    ASSERT_NE(nullptr, WaitFor([&] { return program.Tray(); })) << "the tray window did not appear";

    HWND hMenu = program.OpenToolsMenu();
    ASSERT_NE(nullptr, hMenu) << "no tools menu at the first click";
    const LONG nHeightBefore = HeightOf(hMenu);
    ChooseFromBottom(hMenu, 1);

    HWND hEditor = WaitFor([&] { return FindVisible(program.Id(), L"#32770", L"Programme bearbeiten"); });
    ASSERT_NE(nullptr, hEditor) << "\"Programme bearbeiten\" did not open the editor";
    HWND hList = GetDlgItem(hEditor, 1005);
    EXPECT_EQ(1, SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_TRUE(DropOn(hEditor, shortcut));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0) == 2; }));
    PostMessageW(GetDlgItem(hEditor, kSaveButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hEditor); })) << "the editor stayed open after saving";

    EXPECT_EQ(L"2", ReadSetting(settings, L"tools", L"count"));
    EXPECT_EQ(L"Markieren", ReadSetting(settings, L"tool2", L"name"));
    EXPECT_EQ(0, _wcsicmp(CommandProcessor().c_str(), ReadSetting(settings, L"tool2", L"path").c_str()));

    hMenu = program.OpenToolsMenu();
    ASSERT_NE(nullptr, hMenu) << "no tools menu at the second click";
    EXPECT_GT(HeightOf(hMenu), nHeightBefore);
    // The new tool is the entry above "Programme bearbeiten"; the arrow
    // keys pass over separator lines.
    ChooseFromBottom(hMenu, 2);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(marker); })) << "the new tool was not started";
}
