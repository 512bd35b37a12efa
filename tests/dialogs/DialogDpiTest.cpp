// A dialog moved to a monitor of another DPI: the dialog manager scales what
// the template made, the dialog redoes what it loaded or made itself.
#include "dialogs/CManipulateDialog.h"
#include "dialogs/COptionDialog.h"
#include "dialogs/CRegisterDialog.h"
#include "resources/resource.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"
#include "tray/AppGlobals.h"

#include "EditorTestSupport.h"
#include "support/DialogAutomation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testsupport;

namespace {

int IconWidth(HICON hIcon)
{
    ICONINFO info = {};
    if (hIcon == nullptr || !GetIconInfo(hIcon, &info))
        return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

int ButtonIconWidth(HWND hDlg, int nId)
{
    return IconWidth(reinterpret_cast<HICON>(SendDlgItemMessageW(hDlg, nId, BM_GETIMAGE, IMAGE_ICON, 0)));
}

int PreviewIconWidth(HWND hDlg, int nId)
{
    return IconWidth(reinterpret_cast<HICON>(SendDlgItemMessageW(hDlg, nId, STM_GETICON, 0, 0)));
}

int PreviewFontHeight(HWND hDlg, int nId)
{
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(hDlg, nId, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return -font.lfHeight;
}

// Tells the dialog it is on a monitor of this DPI, as the system does when
// it is dragged there, and lets it finish what it posts itself.
void MoveToDpi(HWND hDlg, UINT nDpi)
{
    RECT rc = {};
    GetWindowRect(hDlg, &rc);
    SendMessageW(hDlg, WM_DPICHANGED, MAKEWPARAM(nDpi, nDpi), reinterpret_cast<LPARAM>(&rc));
    MSG msg;
    while (PeekMessageW(&msg, hDlg, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

} // namespace

// The icon buttons' pictures (16 pixels at 96 dpi), the entry editor's icon
// preview (the system's icon size) and the options' font preview (the
// chosen size in points) follow the DPI. Under Wine the dialog manager
// itself does not rescale on WM_DPICHANGED; the test sends it only to see
// the dialogs' own part.
TEST(DialogDpi, TheDialogsOwnPicturesAndPreviewFollowAMoveToAnotherDpi)
{
    editortest::CSettingsScope settings;
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    wchar_t szProgram[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    CRecord record;
    record.SetName(L"Werkzeug");
    record.SetIconFile(szProgram);
    SDisplayOptions options = GetDisplayOptions();
    options.bSystemFont = false;
    options.logFont.lfHeight = FontHeightFromPoints(12, 96);
    const struct
    {
        const char* pszDialog;
        std::function<void()> open;
        int nId;
        std::function<int(HWND, int)> measure;
        int nAt96;
    } cases[] = {
        { "list editor", [&] { CManipulateDialog().DoModal(hInstance, nullptr); }, IDC_MOVE_UP, ButtonIconWidth, 16 },
        { "entry editor", [&] { CRegisterDialog().DoModal(hInstance, nullptr, &record, L"Eintrag bearbeiten"); },
          IDC_BROWSE, ButtonIconWidth, 16 },
        { "entry editor", [&] { CRegisterDialog().DoModal(hInstance, nullptr, &record, L"Eintrag bearbeiten"); },
          IDC_ICON_PREVIEW, PreviewIconWidth, 32 },
        { "options",
          [&] {
              COptionDialog dialog;
              dialog.m_options = options;
              dialog.DoModal(hInstance, nullptr);
          },
          IDC_PREVIEW, PreviewFontHeight, 16 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszDialog << " " << c.nId);
        CDialogAutomation automation([&](HWND hDlg) {
            for (UINT nDpi : { 144u, 192u, 96u }) {
                MoveToDpi(hDlg, nDpi);
                EXPECT_EQ(MulDiv(c.nAt96, static_cast<int>(nDpi), 96), c.measure(hDlg, c.nId)) << nDpi;
            }
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        });
        c.open();
        EXPECT_EQ(1, automation.Count());
        EXPECT_FALSE(automation.TimedOut());
    }
}
