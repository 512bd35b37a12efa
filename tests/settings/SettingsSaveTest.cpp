#include "SettingsTestSupport.h"

#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "support/TextReport.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace settingstest;

namespace {

class SettingsSaveTest : public SettingsTest
{
};

using RecordList = std::vector<std::unique_ptr<CRecord>>;

std::unique_ptr<CRecord> MakeTool(const wchar_t* pszName, const wchar_t* pszPath, LONG nShow, LONG nIconIndex)
{
    auto record = std::make_unique<CRecord>();
    record->SetSection(L"tool%lu", 99ul);
    record->SetName(pszName);
    record->SetPath(pszPath);
    record->SetShow(nShow);
    record->SetIconIndex(nIconIndex);
    return record;
}

// The rows behind the golden file; the third row has no record.
RecordList MakeGoldenRows()
{
    RecordList rows;
    rows.push_back(MakeTool(L"Notepad \u2713", L"C:\\Windows\\notepad.exe", 1, -104));
    rows.back()->SetParam(L"\"C:\\Daten\\Liste mit Leerzeichen.txt\"");
    rows.back()->SetWorking(L"C:\\Daten");
    rows.back()->SetDescription(L"Texte bearbeiten\r\n[tool9]\r\nname=eingeschleust");
    rows.back()->SetIconFile(L"C:\\Windows\\system32\\shell32.dll");
    rows.push_back(MakeTool(L"@", L"", -1, -1));
    rows.push_back(nullptr);
    rows.push_back(MakeTool(L"\u0420\u0430\u0431\u043e\u0447\u0438\u0439 \u0441\u0442\u043e\u043b \u65e5\u672c \U0001F600",
                            L"D:\\\u00dcn\u00efcode\\\U0001F600.exe", 10, 0));
    rows.push_back(MakeTool(L"- Gruppe -", L"C:\\x.exe", 7, 3));
    rows.back()->SetParam(L" -v ");
    return rows;
}

void SetGoldenOptions()
{
    g_bShortPath = false;
    g_bSystemFont = false;
    g_bLargeIcons = true;
    g_logFont.lfHeight = -16;
    g_logFont.lfWeight = FW_BOLD;
    g_logFont.lfItalic = 0;
    g_logFont.lfUnderline = 1;
    wcscpy_s(g_logFont.lfFaceName, L"Segoe UI");
}

std::vector<CRecord*> Pointers(const RecordList& rows)
{
    std::vector<CRecord*> pointers;
    for (const auto& row : rows)
        pointers.push_back(row.get());
    return pointers;
}

bool Save(const RecordList& rows)
{
    const std::vector<CRecord*> pointers = Pointers(rows);
    return SaveToolList(pointers.data(), static_cast<ULONG>(pointers.size()), nullptr);
}

CRecord ReadTool(const wchar_t* pszSection)
{
    CRecord record;
    record.SetSection(L"%s", pszSection);
    ReadRecord(&record);
    return record;
}

// Compares what the program and the platform read back with what was saved.
void ExpectReadsBack(const std::wstring& file, const CRecord& saved, const std::wstring& description)
{
    const wchar_t* pszSection = saved.m_strSection.GetData();
    const CRecord read = ReadTool(pszSection);
    const std::pair<const wchar_t*, std::pair<std::wstring, std::wstring>> texts[] = {
        { L"name", { saved.m_strName.GetData(), read.m_strName.GetData() } },
        { L"path", { saved.m_strPath.GetData(), read.m_strPath.GetData() } },
        { L"param", { saved.m_strParam.GetData(), read.m_strParam.GetData() } },
        { L"working", { saved.m_strWorking.GetData(), read.m_strWorking.GetData() } },
        { L"description", { description, read.m_strDescription.GetData() } },
        { L"iconfile", { saved.m_strIconFile.GetData(), read.m_strIconFile.GetData() } },
    };
    for (const auto& text : texts) {
        EXPECT_EQ(text.second.first, text.second.second) << pszSection << L"/" << text.first;
        EXPECT_EQ(text.second.first, PlatformRead(file, pszSection, text.first)) << pszSection << L"/" << text.first;
    }
    EXPECT_EQ(saved.m_nShow, read.m_nShow) << pszSection;
    EXPECT_EQ(saved.m_nIconIndex, read.m_nIconIndex) << pszSection;
}

} // namespace

TEST_F(SettingsSaveTest, SavedFileMatchesTheGoldenFileAndReadsBack)
{
    WriteSettings(L"[tools]\r\ncount=9\r\n[tool7]\r\nname=alt\r\n[fremd]\r\nk=v\r\n");
    SetGoldenOptions();
    const RecordList rows = MakeGoldenRows();
    ASSERT_TRUE(Save(rows));

    const std::wstring saved = ReadUtf16File(m_file);
    ASSERT_FALSE(saved.empty()) << "the file must begin with the UTF-16LE mark";
    EXPECT_EQ(std::wstring::npos, ReplaceAll(saved, L"\r\n", L"").find_first_of(L"\r\n")) << "lines end in CR/LF";
    const std::string golden = testsupport::ReadFileBytes(SourceFile(__FILE__, L"golden_tools.ini"));
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(Widen(golden), ReplaceAll(saved, L"\r\n", L"\n"));
    EXPECT_EQ(kFileAndBackup, Entries());

    const wchar_t* const sections[] = { L"tool1", L"tool2", nullptr, L"tool4", L"tool5" };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == nullptr)
            continue;
        EXPECT_STREQ(sections[i], rows[i]->m_strSection.GetData());
        const bool bFirst = i == 0;
        ExpectReadsBack(m_file, *rows[i],
                        bFirst ? L"Texte bearbeiten  [tool9]  name=eingeschleust" : rows[i]->m_strDescription.GetData());
    }
    ULONG nCount = 0;
    ASSERT_TRUE(ReadToolCount(nCount));
    EXPECT_EQ(5ul, nCount);
}

TEST_F(SettingsSaveTest, EveryFieldKeepsItsTextWhateverTheCharacters)
{
    const std::wstring outside = L" \U0001F600\U00010348 \u2713 \u041a\u0438\u0440\u0438\u043b\u043b\u0438\u0446\u0430 "
                                 L"\u65e5\u672c\u8a9e \u00e4\u00f6\u00fc\u00df ";
    RecordList rows;
    rows.push_back(MakeTool((L"Name" + outside).c_str(), (L"C:\\Pfad" + outside + L".exe").c_str(), LONG_MIN, LONG_MAX));
    rows.back()->SetParam((L"\"" + outside + L"\"").c_str());
    rows.back()->SetWorking((L"'" + outside + L"'").c_str());
    rows.back()->SetDescription(outside.c_str());
    rows.back()->SetIconFile((L"\"C:\\Icons" + outside + L".dll").c_str());
    rows.push_back(MakeTool(L"\"", L"''", 3, 0));
    ASSERT_TRUE(Save(rows));

    for (const auto& row : rows)
        ExpectReadsBack(m_file, *row, row->m_strDescription.GetData());
}

TEST_F(SettingsSaveTest, EmptyListKeepsOnlyCountZeroAndTheOptions)
{
    WriteSettings(L"[tools]\r\ncount=2\r\n[tool1]\r\nname=a\r\n[tool2]\r\nname=b\r\n[fremd]\r\nk=v\r\n");
    ASSERT_TRUE(SaveToolList(nullptr, 0, nullptr));
    EXPECT_EQ((std::vector<std::wstring>{ L"tools", L"font" }), PlatformSectionNames(m_file));
    EXPECT_EQ((std::vector<std::wstring>{ L"count=0", L"shortpath=FALSE", L"systemfont=TRUE", L"icons=small" }),
              PlatformSection(m_file, L"tools"));
    EXPECT_EQ((std::vector<std::wstring>{ L"name=Tahoma", L"size=8", L"bold=FALSE", L"italic=FALSE", L"underline=FALSE" }),
              PlatformSection(m_file, L"font"));
}

TEST_F(SettingsSaveTest, EmptyFieldsAreLeftOutAndRowsWithoutRecordKeepTheirNumber)
{
    RecordList rows;
    rows.push_back(nullptr);
    rows.push_back(MakeTool(L"Rechner", L"calc.exe", 3, 0));
    rows.push_back(MakeTool(L"", L"", 1, 2));
    ASSERT_TRUE(Save(rows));
    EXPECT_EQ((std::vector<std::wstring>{ L"tools", L"font", L"tool2", L"tool3" }), PlatformSectionNames(m_file));
    EXPECT_EQ(L"3", PlatformRead(m_file, L"tools", L"count"));
    EXPECT_EQ((std::vector<std::wstring>{ L"name=Rechner", L"path=calc.exe", L"show=3", L"iconindex=0" }),
              PlatformSection(m_file, L"tool2"));
    EXPECT_EQ((std::vector<std::wstring>{ L"show=1", L"iconindex=2" }), PlatformSection(m_file, L"tool3"));
}

TEST_F(SettingsSaveTest, FontIsStoredInPointsWithStrictStyleRules)
{
    ASSERT_EQ(96, ScreenDpi()) << "the sizes below assume 96 dots per inch";
    struct Case
    {
        LONG nHeight;
        LONG nWeight;
        BYTE nItalic;
        BYTE nUnderline;
        const wchar_t* pszFace;
        const wchar_t* pszSize;
        const wchar_t* pszBold;
        const wchar_t* pszItalic;
        const wchar_t* pszUnderline;
    };
    const Case cases[] = {
        { -11, 400, 0, 0, L"Tahoma", L"8", L"FALSE", L"FALSE", L"FALSE" },
        { -16, 700, 1, 1, L"Arial", L"12", L"TRUE", L"TRUE", L"TRUE" },
        { -13, 600, 255, 2, L"Arial", L"10", L"FALSE", L"FALSE", L"FALSE" },
        { -12, 800, 0, 1, L"", L"9", L"FALSE", L"FALSE", L"TRUE" },
    };
    for (const Case& c : cases) {
        DeleteFileW(m_file.c_str());
        g_logFont.lfHeight = c.nHeight;
        g_logFont.lfWeight = c.nWeight;
        g_logFont.lfItalic = c.nItalic;
        g_logFont.lfUnderline = c.nUnderline;
        wcscpy_s(g_logFont.lfFaceName, c.pszFace);
        ASSERT_TRUE(SaveOptions(nullptr));
        EXPECT_EQ(c.pszFace, PlatformRead(m_file, L"font", L"name"));
        EXPECT_EQ(c.pszSize, PlatformRead(m_file, L"font", L"size")) << c.nHeight;
        EXPECT_EQ(c.pszBold, PlatformRead(m_file, L"font", L"bold")) << c.nWeight;
        EXPECT_EQ(c.pszItalic, PlatformRead(m_file, L"font", L"italic"));
        EXPECT_EQ(c.pszUnderline, PlatformRead(m_file, L"font", L"underline"));
    }

    // A face name that fills the whole array without a terminator.
    for (wchar_t& ch : g_logFont.lfFaceName)
        ch = L'W';
    ASSERT_TRUE(SaveOptions(nullptr));
    EXPECT_EQ(std::wstring(31, L'W'), PlatformRead(m_file, L"font", L"name"));
}

TEST_F(SettingsSaveTest, SavedOptionsLoadBackUnchanged)
{
    SetGoldenOptions();
    wcscpy_s(g_logFont.lfFaceName, L"  \u30e1\u30a4\u30ea\u30aa  ");
    const LOGFONTW saved = g_logFont;
    ASSERT_TRUE(SaveOptions(nullptr));
    g_bShortPath = true;
    g_bSystemFont = true;
    g_bLargeIcons = false;
    g_logFont = LOGFONTW();
    LoadIconOptions();
    LoadFontOptions();
    EXPECT_FALSE(g_bShortPath);
    EXPECT_FALSE(g_bSystemFont);
    EXPECT_TRUE(g_bLargeIcons);
    EXPECT_STREQ(saved.lfFaceName, g_logFont.lfFaceName);
    EXPECT_EQ(saved.lfHeight, g_logFont.lfHeight);
    EXPECT_EQ(saved.lfWeight, g_logFont.lfWeight);
    EXPECT_EQ(saved.lfItalic, g_logFont.lfItalic);
    EXPECT_EQ(saved.lfUnderline, g_logFont.lfUnderline);
}

TEST_F(SettingsSaveTest, OptionsAloneChangeTheirKeysAndTheListStays)
{
    const std::wstring tools = L"[tool1]\r\nname=Eins\r\npath=a.exe\r\n[fremd]\r\nk=v\r\n[tool2]\r\nname=Zwei\r\n";
    WriteSettings(L"[tools]\r\ncount=2\r\nicons=small\r\n[font]\r\nname=Alt\r\n" + tools);
    g_bLargeIcons = true;
    ASSERT_TRUE(SaveOptions(nullptr));
    const std::wstring text = ReadUtf16File(m_file);
    EXPECT_EQ(L"[tools]\r\ncount=2\r\nicons=large\r\nshortpath=FALSE\r\nsystemfont=TRUE\r\n"
                  L"[font]\r\nname=Tahoma\r\nsize=8\r\nbold=FALSE\r\nitalic=FALSE\r\nunderline=FALSE\r\n",
              text.substr(0, text.find(L"[tool1]")));
    EXPECT_NE(std::wstring::npos, text.find(tools));
}

TEST_F(SettingsSaveTest, OptionsSaveKeepsEveryCharacterInNewAndAnsiFiles)
{
    const std::wstring face = L"\u30e1\u30a4\u30ea\u30aa";
    wcscpy_s(g_logFont.lfFaceName, face.c_str());
    ASSERT_TRUE(SaveOptions(nullptr));
    EXPECT_FALSE(ReadUtf16File(m_file).empty()) << "a new file is UTF-16";
    EXPECT_EQ(face, PlatformRead(m_file, L"font", L"name"));

    ASSERT_TRUE(testsupport::WriteFileBytes(m_file, "[tools]\r\ncount=1\r\n[tool1]\r\nname=Gr\xFC\xDF" "e\r\n"));
    const std::wstring name = PlatformRead(m_file, L"tool1", L"name");
    ASSERT_EQ(5u, name.size());
    ASSERT_TRUE(SaveOptions(nullptr));
    EXPECT_FALSE(ReadUtf16File(m_file).empty()) << "an ANSI file becomes UTF-16 before the options go in";
    EXPECT_EQ(face, PlatformRead(m_file, L"font", L"name"));
    EXPECT_EQ(name, PlatformRead(m_file, L"tool1", L"name"));
    EXPECT_EQ(L"1", PlatformRead(m_file, L"tools", L"count"));
    EXPECT_EQ(kFileAndBackup, Entries())
        << "the file written by hand is kept as the backup";
}

// A value the reader would refuse is never written: the save is refused
// and the old file stays. Each text field takes 1,023 characters, also with
// a blank at an end, which quotation marks keep.
TEST_F(SettingsSaveTest, EachTextFieldTakes1023CharactersAndA1024thRefusesTheSave)
{
    WriteSettings(L"[tools]\r\ncount=0\r\n");
    const struct
    {
        const char* pszCase;
        std::wstring value;
        bool bSaved;
    } cases[] = {
        { "1023", std::wstring(1023, L'x'), true },
        { "1023 ending in a blank", std::wstring(1022, L'x') + L" ", true },
        { "1023 beginning with a blank", L" " + std::wstring(1022, L'x'), true },
        { "1024", std::wstring(1024, L'x'), false },
    };
    for (const SToolField& field : kToolFields) {
        if (field.eKind != EToolFieldKind::Text)
            continue;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.pszCase << " in " << testsupport::Narrow(field.pszKey));
            const std::string before = testsupport::ReadFileBytes(m_file);
            CRecord record;
            record.SetName(L"Name");
            (record.*field.pText).Assign(c.value.c_str());
            CRecord* rows[] = { &record };
            ASSERT_EQ(c.bSaved, SaveToolList(rows, 1, nullptr));
            if (!c.bSaved) {
                EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
                EXPECT_EQ(before, testsupport::ReadFileBytes(m_file));
                continue;
            }
            CRecord read;
            SetToolSection(read, 1);
            ReadRecord(&read);
            EXPECT_TRUE((read.*field.pText).Equals(c.value.c_str(), false));
        }
    }
}

TEST_F(SettingsSaveTest, SavesRefuseMissingInput)
{
    ASSERT_FALSE(g_config.SetFileName(L""));
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SaveToolList(nullptr, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_FALSE(SaveOptions(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());

    ASSERT_TRUE(g_config.SetFileName(m_file.c_str()));
    EXPECT_FALSE(SaveToolList(nullptr, 2, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(testsupport::FileExists(m_file));
}
