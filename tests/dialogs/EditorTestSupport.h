#pragma once

#include "dialogs/CManipulateDialog.h"
#include "support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// What the entry editor and list editor tests share: a settings file of
// their own, the files a user would choose or drop (icons, modules with
// icon groups, shortcuts), a real drop handle, registered file types, and
// delivering keys through the dialog manager from inside a handler.
namespace editortest {

// Points g_config at a settings file in a fresh folder and back again.
class CSettingsScope
{
public:
    CSettingsScope();
    CSettingsScope(const CSettingsScope&) = delete;
    CSettingsScope& operator=(const CSettingsScope&) = delete;
    virtual ~CSettingsScope();

    const std::wstring& Path() const { return m_strPath; }
    const testsupport::CTempDir& Folder() const { return m_folder; }
    // Writes the text as the file's whole content (UTF-16LE with a BOM).
    void Write(const std::wstring& text) const;
    std::wstring Read(const wchar_t* pszSection, const wchar_t* pszKey) const;
    std::string Bytes() const;

private:
    testsupport::CTempDir m_folder;
    std::wstring m_strPath;
    std::wstring m_strPrevious;
};

// Registers extensions with readable type names, and removes them again.
class CFileTypeScope
{
public:
    CFileTypeScope();
    CFileTypeScope(const CFileTypeScope&) = delete;
    CFileTypeScope& operator=(const CFileTypeScope&) = delete;
    virtual ~CFileTypeScope();

    void Register(const std::wstring& extension, const std::wstring& className, const std::wstring& typeName);

private:
    std::vector<std::pair<HKEY, std::wstring>> m_keys;
};

// Keeps Ctrl held in this thread's keyboard state, as GetKeyState sees it.
class CCtrlHeld
{
public:
    CCtrlHeld();
    CCtrlHeld(const CCtrlHeld&) = delete;
    CCtrlHeld& operator=(const CCtrlHeld&) = delete;
    virtual ~CCtrlHeld();

private:
    BYTE m_previous[256];
};

struct IconGroup
{
    const wchar_t* pszName; // a string name, or MAKEINTRESOURCEW of a number
    COLORREF color;
};

// A one-image 32 × 32 icon file in the given colour.
bool WriteIconFile(const std::wstring& path, COLORREF color);
// A copy of a small program of the build whose only resources are these
// icon groups.
bool WriteIconModule(const std::wstring& path, const std::vector<IconGroup>& groups);

// A drop handle as the shell hands it over with WM_DROPFILES.
HDROP MakeDropHandle(const std::vector<std::wstring>& files);

using WindowHandler = std::function<void(HWND hWnd)>;
using TitledHandlers = std::vector<std::pair<std::wstring, WindowHandler>>;

// Runs a modal dialog and hands every window that opens on this thread to
// the handler registered for its title (the caption, for a message box),
// each time it opens. A window without one fails the test and is closed.
int RunDialogs(const std::function<int()>& run, const TitledHandlers& handlers);

// Runs what is queued for this thread through the dialog manager of the
// dialog, as its modal loop would.
void Pump(HWND hDlg);
// A key pressed and released on the focused control, fully processed.
void TypeKey(HWND hDlg, UINT nVirtualKey);
// Pumps as Pump does until the condition holds; false when it still does
// not after nTimeoutMs.
bool PumpUntil(HWND hDlg, const std::function<bool()>& condition, DWORD nTimeoutMs);

// The three ways a user cancels a dialog: "Abbrechen", Esc and the close
// box. Each is run through before it returns.
struct CancelWay
{
    const char* pszWay;
    std::function<void(HWND hDlg)> cancel;
};
const std::vector<CancelWay>& CancelWays();

constexpr wchar_t kEditorTitle[] = L"Programme bearbeiten";

HWND ListOf(HWND hDlg);

// A list editor on a settings file of its own, with two registered file
// types (".ambtest" and ".ambtest2") whose names show in the "Typ" column.
class ListEditorTest : public ::testing::Test
{
protected:
    void SetUp() override;
    int Run(const TitledHandlers& handlers);

    CSettingsScope m_settings;
    CFileTypeScope m_types;
    CManipulateDialog m_editor;
    // The question before "Abbrechen" drops changed rows is answered with
    // this (0: it goes to the test's own handler of the editor's title)
    // and counted.
    int m_nDiscardAnswer = IDYES;
    int m_nDiscardQuestions = 0;
};

bool IsDiscardQuestion(HWND hWnd);

// A message box is answered with that button, its text kept; false for
// any other window, which the caller then drives.
bool AnswerMessageBox(HWND hWnd, int nAnswer, std::wstring* pText = nullptr);

std::wstring CellText(HWND hList, int nRow, int nColumn);
std::vector<std::wstring> ColumnTexts(HWND hList, int nColumn);
std::vector<int> SelectedRows(HWND hList);
// The texts a combo box's list offers, in its order.
std::vector<std::wstring> ComboTexts(HWND hDlg, int nId);
// Selects exactly these rows, as clicks with Ctrl would.
void SelectRows(HWND hList, const std::vector<int>& rows);
bool IsEnabled(HWND hDlg, int nId);

} // namespace editortest
