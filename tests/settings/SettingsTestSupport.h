#pragma once

#include "settings/CConfig.h"
#include "settings/CReplacementFile.h"
#include "settings/DisplayOptions.h"
#include "support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace settingstest {

// Bytes of a UTF-16LE file with its byte order mark, as the program saves.
std::string Utf16FileBytes(const std::wstring& text);
// The text of a file that must begin with the UTF-16LE mark; empty when the
// mark is missing.
std::wstring ReadUtf16File(const std::wstring& path);
std::wstring Widen(const std::string& utf8);
std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

// What the platform's own profile functions read, for checking the file
// the program wrote independently of the program's reader.
std::wstring PlatformRead(const std::wstring& path, const wchar_t* pszSection, const wchar_t* pszKey);
std::vector<std::wstring> PlatformSectionNames(const std::wstring& path);
// "key=value" lines of one section, in file order.
std::vector<std::wstring> PlatformSection(const std::wstring& path, const wchar_t* pszSection);

// Names of the files in a folder, sorted: the platform lists them in any
// order.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// What a test's folder holds after a save: the settings file alone (the
// save failed and left nothing behind), or with the backup the save keeps.
inline const std::vector<std::wstring> kFileAlone = { L"Ambertille.ini" };
inline const std::vector<std::wstring> kFileAndBackup = { L"Ambertille.ini", L"Ambertille.ini.bak" };

// The saves fail at one call of one of their steps with this error while
// the object lives (counted from its start; the other calls succeed).
class CReplaceFault
{
public:
    CReplaceFault(EReplaceStep step, int nCall, DWORD nError);
    CReplaceFault(const CReplaceFault&) = delete;
    CReplaceFault& operator=(const CReplaceFault&) = delete;
    virtual ~CReplaceFault();

private:
    static DWORD Inject(EReplaceStep step);
};

// The screen's vertical resolution, which the font sizes are converted with.
int ScreenDpi();

// A file beside the tests' sources, reached from inside Wine.
std::wstring SourceFile(const char* pszSourcePath, const wchar_t* pszName);

// Every test starts with the program's initial display options and a
// settings file in a fresh folder, and leaves no state behind.
class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteSettings(const std::wstring& text) const;
    std::vector<std::wstring> Entries() const { return FolderEntries(m_dir.Path()); }

    testsupport::CTempDir m_dir;
    std::wstring m_file;

private:
    bool m_bSavedLargeIcons = false;
    bool m_bSavedShortPath = false;
    bool m_bSavedSystemFont = true;
    LOGFONTW m_savedFont = {};
};

} // namespace settingstest
