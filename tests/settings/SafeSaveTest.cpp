#include "SettingsTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "settings/CRecord.h"
#include "settings/CReplacementFile.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace settingstest;

namespace {

class SafeSaveTest : public SettingsTest
{
protected:
    // An old list the failed saves must not touch.
    void WriteOldList()
    {
        WriteSettings(L"[tools]\r\ncount=2\r\n[tool1]\r\nname=Alt \u2713\r\npath=a.exe\r\n[tool2]\r\nname=@\r\n");
        m_oldBytes = testsupport::ReadFileBytes(m_file);
        ASSERT_FALSE(m_oldBytes.empty());
    }

    bool SaveNewList()
    {
        CRecord record;
        record.SetName(L"Neu");
        record.SetPath(L"neu.exe");
        CRecord* rows[] = { &record, nullptr, &record };
        return SaveToolList(rows, 3, nullptr);
    }

    void ExpectOldFileAlone(const char* pszCase)
    {
        EXPECT_EQ(m_oldBytes, testsupport::ReadFileBytes(m_file)) << pszCase;
        EXPECT_EQ(kFileAlone, Entries()) << pszCase;
    }

    std::string m_oldBytes;
};

} // namespace

TEST_F(SafeSaveTest, AFailedStepLeavesTheOldFileAndNoTemporaryFile)
{
    struct Case
    {
        const char* pszCase;
        EReplaceStep step;
        int nCall;
        DWORD nError;
    };
    const Case cases[] = {
        { "folder refuses new files", EReplaceStep::Create, 1, ERROR_ACCESS_DENIED },
        { "disk full at the first write", EReplaceStep::Write, 1, ERROR_DISK_FULL },
        { "disk full after the mark was written", EReplaceStep::Write, 2, ERROR_DISK_FULL },
        { "flush fails", EReplaceStep::Flush, 1, ERROR_IO_DEVICE },
        { "replacing fails", EReplaceStep::Replace, 1, ERROR_UNABLE_TO_REMOVE_REPLACED },
    };
    WriteOldList();
    for (const Case& c : cases) {
        {
            CReplaceFault fault(c.step, c.nCall, c.nError);
            EXPECT_FALSE(SaveNewList()) << c.pszCase;
            EXPECT_EQ(c.nError, GetLastError()) << c.pszCase;
        }
        ExpectOldFileAlone(c.pszCase);
    }
    EXPECT_TRUE(SaveNewList()) << "a save after failed ones works";
    EXPECT_EQ(L"Neu", PlatformRead(m_file, L"tool3", L"name"));
}

TEST_F(SafeSaveTest, AReadOnlyOrLockedFileIsNotReplaced)
{
    WriteOldList();
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveNewList());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ExpectOldFileAlone("read-only");
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_NORMAL));

    {
        tessvald::CFileHandle lock(CreateFileW(m_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_FALSE(SaveNewList());
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    }
    ExpectOldFileAlone("locked");
}

TEST_F(SafeSaveTest, AFirstSaveCreatesTheFile)
{
    ASSERT_TRUE(SaveNewList());
    EXPECT_EQ(kFileAndBackup, Entries())
        << "the first save starts the backup";
    EXPECT_FALSE(ReadUtf16File(m_file).empty());
    EXPECT_EQ(L"neu.exe", PlatformRead(m_file, L"tool1", L"path"));
}

TEST_F(SafeSaveTest, AnAbandonedReplacementRemovesItsFile)
{
    WriteOldList();
    {
        CReplacementFile replacement(m_file.c_str());
        ASSERT_TRUE(replacement.Create());
        ASSERT_TRUE(replacement.Write("partial", 7));
        EXPECT_TRUE(testsupport::FileExists(replacement.GetPendingPath()));
        EXPECT_EQ(m_dir.Path(), replacement.GetPendingPath().substr(0, m_dir.Path().size()));
    }
    ExpectOldFileAlone("abandoned");
}

TEST_F(SafeSaveTest, ARelativeTargetIsReplacedInItsOwnFolder)
{
    WriteOldList();
    wchar_t szPrevious[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, szPrevious);
    ASSERT_TRUE(SetCurrentDirectoryW(m_dir.Path().c_str()));
    const bool bReplaced = SaveSettingsText(L"Ambertille.ini", L"[tools]\r\ncount=0\r\n");
    const DWORD nError = GetLastError();
    SetCurrentDirectoryW(szPrevious);
    ASSERT_TRUE(bReplaced) << "error " << nError;
    EXPECT_EQ(L"[tools]\r\ncount=0\r\n", ReadUtf16File(m_file));
    EXPECT_EQ(kFileAndBackup, Entries());
}
