#include "EditorTestSupport.h"

#include "resources/resource.h"
#include "settings/CConfig.h"
#include "support/DialogAutomation.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

namespace editortest {

namespace {

constexpr int kIconSize = 32;

void AppendWord(std::vector<BYTE>& bytes, WORD nValue)
{
    bytes.push_back(LOBYTE(nValue));
    bytes.push_back(HIBYTE(nValue));
}

void AppendDword(std::vector<BYTE>& bytes, DWORD nValue)
{
    AppendWord(bytes, LOWORD(nValue));
    AppendWord(bytes, HIWORD(nValue));
}

// An icon image as icon files and RT_ICON resources hold it: the header with
// the doubled height, the colour pixels, then the (empty) transparency mask.
std::vector<BYTE> MakeIconImage(COLORREF color)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = kIconSize;
    header.biHeight = kIconSize * 2;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const size_t nPixels = kIconSize * kIconSize;
    std::vector<BYTE> image(sizeof(header) + nPixels * 4 + nPixels / 8, 0);
    std::memcpy(image.data(), &header, sizeof(header));
    for (size_t nPixel = 0; nPixel < nPixels; ++nPixel) {
        BYTE* pPixel = image.data() + sizeof(header) + nPixel * 4;
        pPixel[0] = GetBValue(color);
        pPixel[1] = GetGValue(color);
        pPixel[2] = GetRValue(color);
        pPixel[3] = 0xFF;
    }
    return image;
}

// The directory entry fields that icon files and icon groups share.
void AppendEntryHead(std::vector<BYTE>& bytes, DWORD nImageSize)
{
    bytes.push_back(kIconSize);
    bytes.push_back(kIconSize);
    bytes.push_back(0);
    bytes.push_back(0);
    AppendWord(bytes, 1);
    AppendWord(bytes, 32);
    AppendDword(bytes, nImageSize);
}

std::vector<BYTE> MakeGroup(DWORD nImageSize, WORD nIconId)
{
    std::vector<BYTE> group;
    AppendWord(group, 0);
    AppendWord(group, 1);
    AppendWord(group, 1);
    AppendEntryHead(group, nImageSize);
    AppendWord(group, nIconId);
    return group;
}

} // namespace

CSettingsScope::CSettingsScope()
    : m_strPath(m_folder.File(L"ambertille.ini")),
      m_strPrevious(g_config.GetFileName() != nullptr ? g_config.GetFileName() : L"")
{
    g_config.SetFileName(m_strPath.c_str());
}

CSettingsScope::~CSettingsScope()
{
    SetFileAttributesW(m_strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    g_config.SetFileName(m_strPrevious.c_str());
}

void CSettingsScope::Write(const std::wstring& text) const
{
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    testsupport::WriteFileBytes(m_strPath, bytes);
}

std::wstring CSettingsScope::Read(const wchar_t* pszSection, const wchar_t* pszKey) const
{
    wchar_t szValue[1024] = {};
    GetPrivateProfileStringW(pszSection, pszKey, L"", szValue, 1024, m_strPath.c_str());
    return szValue;
}

std::string CSettingsScope::Bytes() const
{
    return testsupport::ReadFileBytes(m_strPath);
}

CFileTypeScope::CFileTypeScope() = default;

CFileTypeScope::~CFileTypeScope()
{
    for (const auto& key : m_keys)
        RegDeleteTreeW(key.first, key.second.c_str());
}

// Windows reads the user's own registrations through HKEY_CLASSES_ROOT;
// Wine does not, so there they go straight into the machine's classes.
void CFileTypeScope::Register(const std::wstring& extension, const std::wstring& className,
                              const std::wstring& typeName)
{
    const std::pair<std::wstring, std::wstring> values[] = {
        { extension, className },
        { className, typeName },
    };
    for (const auto& value : values) {
        const std::wstring userKey = L"Software\\Classes\\" + value.first;
        RegSetValueW(HKEY_CURRENT_USER, userKey.c_str(), REG_SZ, value.second.c_str(),
                     static_cast<DWORD>(value.second.size() * sizeof(wchar_t)));
        m_keys.emplace_back(HKEY_CURRENT_USER, userKey);
        wchar_t szSeen[256] = {};
        LONG nSize = sizeof(szSeen);
        if (RegQueryValueW(HKEY_CLASSES_ROOT, value.first.c_str(), szSeen, &nSize) == ERROR_SUCCESS
            && value.second == szSeen)
            continue;
        RegSetValueW(HKEY_CLASSES_ROOT, value.first.c_str(), REG_SZ, value.second.c_str(),
                     static_cast<DWORD>(value.second.size() * sizeof(wchar_t)));
        m_keys.emplace_back(HKEY_CLASSES_ROOT, value.first);
    }
}

CCtrlHeld::CCtrlHeld() : m_previous()
{
    GetKeyboardState(m_previous);
    BYTE state[256];
    std::memcpy(state, m_previous, sizeof(state));
    state[VK_CONTROL] = 0x80;
    state[VK_LCONTROL] = 0x80;
    state[VK_SHIFT] = 0;
    state[VK_LSHIFT] = 0;
    state[VK_RSHIFT] = 0;
    SetKeyboardState(state);
}

CCtrlHeld::~CCtrlHeld()
{
    m_previous[VK_CONTROL] = 0;
    m_previous[VK_LCONTROL] = 0;
    SetKeyboardState(m_previous);
}

bool WriteIconFile(const std::wstring& path, COLORREF color)
{
    const std::vector<BYTE> image = MakeIconImage(color);
    std::vector<BYTE> file;
    AppendWord(file, 0);
    AppendWord(file, 1);
    AppendWord(file, 1);
    AppendEntryHead(file, static_cast<DWORD>(image.size()));
    AppendDword(file, 6 + 16);
    file.insert(file.end(), image.begin(), image.end());
    return testsupport::WriteFileBytes(path, std::string(file.begin(), file.end()));
}

bool WriteIconModule(const std::wstring& path, const std::vector<IconGroup>& groups)
{
    const std::wstring base = testsupport::ExeFolder() + L"\\winpoke.exe";
    if (!CopyFileW(base.c_str(), path.c_str(), FALSE))
        return false;
    HANDLE hUpdate = BeginUpdateResourceW(path.c_str(), TRUE);
    if (hUpdate == nullptr)
        return false;
    const WORD nLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    bool bOk = true;
    WORD nIconId = 1;
    for (const IconGroup& group : groups) {
        std::vector<BYTE> image = MakeIconImage(group.color);
        std::vector<BYTE> directory = MakeGroup(static_cast<DWORD>(image.size()), nIconId);
        bOk = bOk && UpdateResourceW(hUpdate, RT_ICON, MAKEINTRESOURCEW(nIconId), nLanguage, image.data(),
                                     static_cast<DWORD>(image.size()));
        bOk = bOk && UpdateResourceW(hUpdate, RT_GROUP_ICON, group.pszName, nLanguage, directory.data(),
                                     static_cast<DWORD>(directory.size()));
        ++nIconId;
    }
    return EndUpdateResourceW(hUpdate, !bOk) && bOk;
}

HDROP MakeDropHandle(const std::vector<std::wstring>& files)
{
    size_t nChars = 1;
    for (const std::wstring& file : files)
        nChars += file.size() + 1;
    HGLOBAL hDrop = GlobalAlloc(GHND, sizeof(DROPFILES) + nChars * sizeof(wchar_t));
    if (hDrop == nullptr)
        return nullptr;
    auto* pDrop = static_cast<DROPFILES*>(GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    wchar_t* pszNames = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(pDrop) + sizeof(DROPFILES));
    for (const std::wstring& file : files) {
        std::memcpy(pszNames, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
        pszNames += file.size() + 1;
    }
    GlobalUnlock(hDrop);
    return static_cast<HDROP>(hDrop);
}

int RunDialogs(const std::function<int()>& run, const TitledHandlers& handlers)
{
    testsupport::CDialogAutomation automation([&](HWND hWnd) {
        const std::wstring title = testsupport::WindowText(hWnd);
        for (const auto& handler : handlers) {
            if (handler.first == title) {
                handler.second(hWnd);
                return;
            }
        }
        ADD_FAILURE() << "unexpected window: " << std::string(title.begin(), title.end());
        PostMessageW(hWnd, WM_CLOSE, 0, 0);
    });
    const int nResult = run();
    EXPECT_FALSE(automation.TimedOut());
    return nResult;
}

void Pump(HWND hDlg)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(hDlg) && IsDialogMessageW(hDlg, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(HWND hDlg, const std::function<bool()>& condition, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - nStart > nTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump(hDlg);
    }
    return true;
}

void TypeKey(HWND hDlg, UINT nVirtualKey)
{
    testsupport::PressKey(hDlg, nVirtualKey);
    Pump(hDlg);
}

const std::vector<CancelWay>& CancelWays()
{
    static const std::vector<CancelWay> ways = {
        { "Abbrechen", [](HWND hDlg) { testsupport::ClickButton(hDlg, IDCANCEL); } },
        { "Esc", [](HWND hDlg) { TypeKey(hDlg, VK_ESCAPE); } },
        // The dialog manager posts the cancel command for the close box.
        { "close box", [](HWND hDlg) {
             SendMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
             Pump(hDlg);
         } },
    };
    return ways;
}

HWND ListOf(HWND hDlg)
{
    return GetDlgItem(hDlg, IDC_TOOL_LIST);
}

void ListEditorTest::SetUp()
{
    m_types.Register(L".ambtest", L"Ambertille.Test", L"Ambertille-Testdatei");
    m_types.Register(L".ambtest2", L"Ambertille.Test2", L"Zweite Testdatei");
}

int ListEditorTest::Run(const TitledHandlers& handlers)
{
    TitledHandlers answering = handlers;
    for (auto& handler : answering) {
        if (handler.first != kEditorTitle)
            continue;
        handler.second = [this, inner = handler.second](HWND hWnd) {
            if (m_nDiscardAnswer == 0 || !IsDiscardQuestion(hWnd)) {
                inner(hWnd);
                return;
            }
            ++m_nDiscardQuestions;
            testsupport::ClickButton(hWnd, m_nDiscardAnswer);
        };
    }
    return RunDialogs([this] { return m_editor.DoModal(GetModuleHandleW(nullptr), nullptr); }, answering);
}

bool IsDiscardQuestion(HWND hWnd)
{
    return testsupport::IsMessageBox(hWnd)
        && testsupport::MessageBoxText(hWnd).find(L"Sollen die \u00C4nderungen an der Programmliste verworfen")
               == 0;
}

bool AnswerMessageBox(HWND hWnd, int nAnswer, std::wstring* pText)
{
    if (!testsupport::IsMessageBox(hWnd))
        return false;
    if (pText != nullptr)
        *pText = testsupport::MessageBoxText(hWnd);
    testsupport::ClickButton(hWnd, nAnswer);
    return true;
}

std::wstring CellText(HWND hList, int nRow, int nColumn)
{
    wchar_t szText[1024] = {};
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = 1024;
    SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    return szText;
}

std::vector<std::wstring> ColumnTexts(HWND hList, int nColumn)
{
    std::vector<std::wstring> texts;
    const int nCount = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int nRow = 0; nRow < nCount; ++nRow)
        texts.push_back(CellText(hList, nRow, nColumn));
    return texts;
}

std::vector<std::wstring> ComboTexts(HWND hDlg, int nId)
{
    std::vector<std::wstring> texts;
    const LRESULT nCount = SendDlgItemMessageW(hDlg, nId, CB_GETCOUNT, 0, 0);
    for (LRESULT nRow = 0; nRow < nCount; ++nRow) {
        wchar_t szText[64] = {};
        SendDlgItemMessageW(hDlg, nId, CB_GETLBTEXT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(szText));
        texts.push_back(szText);
    }
    return texts;
}

std::vector<int> SelectedRows(HWND hList)
{
    std::vector<int> rows;
    const int nCount = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (SendMessageW(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(nRow), LVIS_SELECTED) & LVIS_SELECTED)
            rows.push_back(nRow);
    }
    return rows;
}

void SelectRows(HWND hList, const std::vector<int>& rows)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int nRow : rows)
        SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
}

bool IsEnabled(HWND hDlg, int nId)
{
    return IsWindowEnabled(GetDlgItem(hDlg, nId)) != FALSE;
}

} // namespace editortest
