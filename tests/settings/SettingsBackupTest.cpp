#include "SettingsTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"
#include "settings/CReplacementFile.h"
#include "settings/DisplayOptions.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace settingstest;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class SettingsBackupTest : public SettingsTest
{
protected:
    // Saves a list of that many tools named after the word; the file then
    // holds what a save writes.
    std::string SaveList(const wchar_t* pszWord, ULONG nTools = 3)
    {
        std::vector<CRecord> records(nTools);
        std::vector<CRecord*> rows;
        for (ULONG i = 0; i < nTools; ++i) {
            records[i].SetName((std::wstring(pszWord) + std::to_wstring(i + 1)).c_str());
            records[i].SetPath(L"C:\\Werkzeuge\\w.exe");
            rows.push_back(&records[i]);
        }
        EXPECT_TRUE(SaveToolList(rows.data(), nTools, nullptr)) << "error " << GetLastError();
        return ReadFileBytes(m_file);
    }

    std::wstring Backup() const { return m_file + L".bak"; }
    std::wstring Temp(const wchar_t* pszName) const { return m_dir.File(pszName); }
};

bool SetWriteTime(const std::wstring& path, ULONGLONG nSecondsAfter2020)
{
    const ULONGLONG nTicks = 132223104000000000ull + nSecondsAfter2020 * 10000000ull;
    FILETIME ft = { static_cast<DWORD>(nTicks), static_cast<DWORD>(nTicks >> 32) };
    tessvald::CFileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && SetFileTime(file.Get(), nullptr, nullptr, &ft);
}

} // namespace

// The backup is the last list known good: each save keeps the list it
// replaces, unless that holds no text or is one of ours cut short.
TEST_F(SettingsBackupTest, ASaveKeepsTheListItReplacesAsTheBackup)
{
    const std::string first = SaveList(L"Erst");
    EXPECT_EQ(first, ReadFileBytes(Backup())) << "the first save starts the backup with its own list";
    const std::string second = SaveList(L"Zweit");
    EXPECT_EQ(first, ReadFileBytes(Backup()));
    EXPECT_EQ(kFileAndBackup, Entries());

    struct Case
    {
        const char* pszCase;
        std::string oldBytes;
        bool bKept;
    };
    const Case cases[] = {
        { "empty", "", false },
        { "the mark alone", "\xFF\xFE", false },
        { "zero-filled", std::string(4096, '\0'), false },
        { "ours, cut short", second.substr(0, second.size() / 2 * 2 - 40), false },
        { "written by hand without a mark", "[tools]\r\ncount=1\r\n[tool1]\r\nname=Hand\r\n", true },
        { "ours, whole", second, true },
    };
    for (const Case& c : cases) {
        const std::string good = ReadFileBytes(Backup());
        ASSERT_TRUE(WriteFileBytes(m_file, c.oldBytes));
        SaveList(L"Neu");
        EXPECT_EQ(c.bKept ? c.oldBytes : good, ReadFileBytes(Backup())) << c.pszCase;
    }
}

// Another program reading the settings file while the list and the
// options are saved again and again opens a whole list at every moment:
// the old one or the new one, never a part of either.
TEST_F(SettingsBackupTest, AReaderFindsAWholeListAtEveryMomentOfTheSaves)
{
    SaveList(L"Erst", 200);
    std::atomic<bool> bSaving(true);
    int nReads = 0;
    int nBroken = 0;
    std::thread reader([&] {
        while (bSaving) {
            std::string bytes;
            ++nReads;
            if (!ReadWholeFile(m_file.c_str(), bytes) || !IsCompleteSettingsText(bytes))
                ++nBroken;
            // As a scanner or an editor would, the file is let go between
            // reads: while it is open Windows refuses the rename.
            Sleep(1);
        }
    });
    for (int i = 0; i < 40; ++i) {
        SaveList(i % 2 == 0 ? L"Gerade" : L"Ungerade", 200);
        g_bLargeIcons = !g_bLargeIcons;
        EXPECT_TRUE(SaveOptions(nullptr));
    }
    bSaving = false;
    reader.join();
    EXPECT_EQ(0, nBroken) << "of " << nReads << " reads";
    EXPECT_GT(nReads, 80);
}

// The save's own rename keeps the file whole; a backup that cannot be
// written leaves the older backup and no temporary file, and the save
// still succeeds.
TEST_F(SettingsBackupTest, AFailingBackupDoesNotStopTheSave)
{
    SaveList(L"Erst");
    const std::string first = SaveList(L"Zweit");
    const std::string backup = ReadFileBytes(Backup());
    const char* const steps[] = { "create", "write", "flush", "rename" };
    for (int nCall = 1; nCall <= 4; ++nCall) {
        {
            CReplaceFault fault(EReplaceStep::Backup, nCall, ERROR_DISK_FULL);
            SaveList(L"Neu");
        }
        EXPECT_EQ(backup, ReadFileBytes(Backup())) << steps[nCall - 1];
        EXPECT_EQ(L"Neu1", PlatformRead(m_file, L"tool1", L"name")) << steps[nCall - 1];
        EXPECT_EQ(kFileAndBackup, Entries())
            << steps[nCall - 1];
        ASSERT_TRUE(WriteFileBytes(m_file, first));
    }
    ASSERT_TRUE(SetFileAttributesW(Backup().c_str(), FILE_ATTRIBUTE_READONLY));
    SaveList(L"Neu");
    EXPECT_EQ(backup, ReadFileBytes(Backup())) << "read-only backup";
    SetFileAttributesW(Backup().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Saves cut short leave "<file>.<pid>-<n>.tmp" (and the same beside the
// backup); the next save removes them, but not a file still being written
// nor anything else in the folder.
TEST_F(SettingsBackupTest, ASaveRemovesTheTemporaryFilesOfSavesCutShort)
{
    SaveList(L"Erst");
    const wchar_t* const stale[] = { L"Ambertille.ini.123-1.tmp", L"AMBERTILLE.INI.5-20.TMP",
                                     L"Ambertille.ini.bak.77-3.tmp" };
    const wchar_t* const others[] = { L"Ambertille.ini.1-x.tmp", L"Ambertille.ini.tmp", L"Other.ini.1-1.tmp",
                                      L"Ambertille.ini.12-1.tmp.keep", L"Ambertille.ini.-1.tmp",
                                      L"Ambertille.ini.9-9.tmp" };
    for (const wchar_t* pszName : stale)
        ASSERT_TRUE(WriteFileBytes(Temp(pszName), "\xFF\xFE[tools]"));
    for (const wchar_t* pszName : others)
        ASSERT_TRUE(WriteFileBytes(Temp(pszName), "x"));
    {
        // The last of the others is a save in flight in another process.
        tessvald::CFileHandle inFlight(CreateFileW(Temp(L"Ambertille.ini.9-9.tmp").c_str(), GENERIC_WRITE, 0,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(inFlight);
        SaveList(L"Zweit");
    }
    for (const wchar_t* pszName : stale)
        EXPECT_FALSE(FileExists(Temp(pszName)));
    for (const wchar_t* pszName : others)
        EXPECT_TRUE(FileExists(Temp(pszName)));
}

TEST_F(SettingsBackupTest, OnlyAWholeSavedFileCountsAsComplete)
{
    const std::string whole = SaveList(L"Werkzeug");
    ASSERT_TRUE(IsCompleteSettingsText(whole));
    for (std::size_t nSize = 0; nSize < whole.size(); ++nSize)
        EXPECT_FALSE(IsCompleteSettingsText(whole.substr(0, nSize))) << "cut to " << nSize << " bytes";

    const std::wstring text = ReadUtf16File(m_file);
    struct Case
    {
        const char* pszCase;
        std::string bytes;
        bool bComplete;
    };
    const Case cases[] = {
        { "no tools", Utf16FileBytes(L"[tools]\r\ncount=0\r\n"), true },
        { "without the mark", whole.substr(2), false },
        { "count beyond the sections", Utf16FileBytes(ReplaceAll(text, L"count=3", L"count=4")), false },
        { "count below the sections", Utf16FileBytes(ReplaceAll(text, L"count=3", L"count=2")), false },
        { "count not a number", Utf16FileBytes(ReplaceAll(text, L"count=3", L"count=3x")), false },
        { "the last tool without its last key", Utf16FileBytes(ReplaceAll(text, L"iconindex", L"iconindey")), false },
        { "no count", Utf16FileBytes(ReplaceAll(text, L"count=3", L"counted=3")), false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bComplete, IsCompleteSettingsText(c.bytes)) << c.pszCase;
}

// A missing or empty settings file comes back from the newest complete
// copy; a file with text is never touched, and without a usable copy
// nothing is written.
TEST_F(SettingsBackupTest, ALostSettingsFileIsRestoredFromTheNewestCompleteCopy)
{
    SaveList(L"Alt");
    const std::string backup = SaveList(L"Bak");
    const std::string newer = SaveList(L"Neu", 1000);
    ASSERT_TRUE(DeleteFileW(m_file.c_str()));
    ASSERT_TRUE(WriteFileBytes(Backup(), backup));
    const std::wstring kTemp = Temp(L"Ambertille.ini.4242-1.tmp");
    const std::string kMissing = "(missing)";

    struct Case
    {
        const char* pszCase;
        std::string target;       // kMissing: no file
        std::string temp;         // empty: none
        bool bBackup;
        ERestoredFrom eFrom;
        std::string expected;     // the settings file afterwards
    };
    constexpr ERestoredFrom kNothing = ERestoredFrom::Nothing;
    constexpr ERestoredFrom kBackup = ERestoredFrom::Backup;
    constexpr ERestoredFrom kUnfinished = ERestoredFrom::UnfinishedSave;
    const std::string cut = newer.substr(0, newer.size() / 2 * 2 - 2);
    const Case cases[] = {
        { "missing, backup only", kMissing, "", true, kBackup, backup },
        { "empty, backup only", "", "", true, kBackup, backup },
        { "the mark alone", "\xFF\xFE", "", true, kBackup, backup },
        { "zero-filled", std::string(100, '\0'), "", true, kBackup, backup },
        { "a newer complete save", kMissing, newer, true, kUnfinished, newer },
        { "a newer save cut short", kMissing, cut, true, kBackup, backup },
        { "only a save cut short", kMissing, cut, false, kNothing, kMissing },
        { "only a complete save", "", newer, false, kUnfinished, newer },
        { "nothing to restore from", kMissing, "", false, kNothing, kMissing },
        { "a file with text", "[tools]\r\n", newer, true, kNothing, "[tools]\r\n" },
    };
    for (const Case& c : cases) {
        DeleteFileW(m_file.c_str());
        DeleteFileW(kTemp.c_str());
        DeleteFileW(Backup().c_str());
        if (c.target != kMissing) {
            ASSERT_TRUE(WriteFileBytes(m_file, c.target));
        }
        if (c.bBackup) {
            ASSERT_TRUE(WriteFileBytes(Backup(), backup));
            ASSERT_TRUE(SetWriteTime(Backup(), 100));
        }
        if (!c.temp.empty()) {
            ASSERT_TRUE(WriteFileBytes(kTemp, c.temp));
            ASSERT_TRUE(SetWriteTime(kTemp, 200));
        }
        std::wstring source;
        EXPECT_EQ(c.eFrom, RestoreLostSettingsFile(m_file.c_str(), source)) << c.pszCase;
        const std::wstring expectedSource = c.eFrom == kBackup ? Backup() : c.eFrom == kUnfinished ? kTemp : L"";
        EXPECT_EQ(expectedSource, source) << c.pszCase;
        EXPECT_EQ(c.expected, FileExists(m_file) ? ReadFileBytes(m_file) : kMissing) << c.pszCase;
        if (c.bBackup) {
            EXPECT_EQ(backup, ReadFileBytes(Backup())) << c.pszCase << ": the backup stays";
        }
    }
    // An older complete save loses to a newer backup.
    DeleteFileW(m_file.c_str());
    ASSERT_TRUE(WriteFileBytes(kTemp, newer));
    ASSERT_TRUE(SetWriteTime(kTemp, 50));
    std::wstring source;
    EXPECT_EQ(ERestoredFrom::Backup, RestoreLostSettingsFile(m_file.c_str(), source));
    EXPECT_EQ(backup, ReadFileBytes(m_file));
}
