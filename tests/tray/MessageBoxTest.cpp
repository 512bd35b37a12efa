#include "tray/MessageBoxes.h"

#include "support/WindowRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::wstring SystemText(DWORD nCode)
{
    wchar_t szText[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, nCode,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), szText, 1024, nullptr);
    return szText;
}

} // namespace

TEST(ShowError, TextAloneOrWithTheSystemsReason)
{
    const std::wstring fileNotFound = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(fileNotFound.empty());
    const std::wstring launch = L"Programm \"Editor\" konnte nicht gestartet werden!";

    struct Case { DWORD nCode; const wchar_t* pszFormat; std::wstring expected; };
    const Case cases[] = {
        { kNoSystemText, L"Das Programm kann so nicht gestartet werden!",
          L"Das Programm kann so nicht gestartet werden!" },
        { ERROR_FILE_NOT_FOUND, L"Programm \"%s\" konnte nicht gestartet werden!", launch + L"\n" + fileNotFound },
        { ERROR_FILE_NOT_FOUND, nullptr, fileNotFound },
        // A code the system does not know adds nothing, not even the line break.
        { 0x2FFFFFFFu, L"Text", L"Text" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        CWindowRecorder recorder;
        ShowError(nullptr, c.nCode, L"Ambertille", c.pszFormat, L"Editor");
        ASSERT_EQ(1u, recorder.Windows().size());
        EXPECT_EQ(L"Ambertille", recorder.Windows()[0].caption);
        EXPECT_EQ(c.expected, recorder.Windows()[0].text);
        EXPECT_EQ(c.expected, std::wstring(g_szMsgText));
    }
}

TEST(ShowError, NothingToShow)
{
    // Code 0 leaves even the buffers alone.
    wcscpy(g_szMsgText, L"earlier text");
    wcscpy(g_szMsgCaption, L"earlier caption");
    {
        CWindowRecorder recorder;
        ShowError(nullptr, 0, L"Ambertille", L"Die Installation des Programmes schlug fehl!");
        EXPECT_TRUE(recorder.Windows().empty());
    }
    EXPECT_STREQ(L"earlier text", g_szMsgText);
    EXPECT_STREQ(L"earlier caption", g_szMsgCaption);

    CWindowRecorder recorder;
    ShowError(nullptr, kNoSystemText, L"Ambertille", nullptr);
    ShowError(nullptr, kNoSystemText, L"Ambertille", L"%s", L"");
    EXPECT_TRUE(recorder.Windows().empty());
}

TEST(MessageBoxCaptions, DefaultsAndCut)
{
    CWindowRecorder recorder(IDYES);
    ShowError(nullptr, kNoSystemText, nullptr, L"a");
    AskQuestion(nullptr, nullptr, L"b");
    const std::wstring longCaption(100, L'c');
    ShowError(nullptr, kNoSystemText, longCaption.c_str(), L"c");
    ASSERT_EQ(3u, recorder.Windows().size());
    EXPECT_EQ(L"Fehler", recorder.Windows()[0].caption);
    EXPECT_EQ(L"Frage", recorder.Windows()[1].caption);
    EXPECT_EQ(std::wstring(63, L'c'), recorder.Windows()[2].caption);
}

TEST(ShowError, LongTextIsCutWithoutOverrun)
{
    struct Case { size_t nLength; DWORD nCode; std::wstring expected; };
    const Case cases[] = {
        { 5000, kNoSystemText, std::wstring(3071, L'x') },
        { 3071, ERROR_FILE_NOT_FOUND, std::wstring(3071, L'x') },
        { 3070, ERROR_FILE_NOT_FOUND, std::wstring(3070, L'x') + L"\n" },
        { 3060, ERROR_FILE_NOT_FOUND, std::wstring(3060, L'x') + L"\n" + SystemText(ERROR_FILE_NOT_FOUND).substr(0, 10) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nLength);
        const std::wstring text(c.nLength, L'x');
        CWindowRecorder recorder;
        ShowError(nullptr, c.nCode, L"Ambertille", L"%s", text.c_str());
        ASSERT_EQ(1u, recorder.Windows().size());
        EXPECT_EQ(c.expected, std::wstring(g_szMsgText));
        EXPECT_EQ(c.expected, recorder.Windows()[0].text);
        EXPECT_EQ(L'\0', g_szMsgText[3071]);
    }

    // A text that is itself a format is read as text when passed as argument.
    CWindowRecorder recorder;
    ShowError(nullptr, kNoSystemText, L"Ambertille", L"Programm \"%s\" konnte nicht gestartet werden!", L"100%s %d");
    ASSERT_EQ(1u, recorder.Windows().size());
    EXPECT_EQ(L"Programm \"100%s %d\" konnte nicht gestartet werden!", recorder.Windows()[0].text);
}

TEST(AskQuestion, AnswersAndEmptyText)
{
    {
        CWindowRecorder recorder(IDYES);
        EXPECT_EQ(IDYES, AskQuestion(nullptr, L"Ambertille", L"Wollen Sie das Programm wirklich de-registrieren?"));
        ASSERT_EQ(1u, recorder.Windows().size());
        EXPECT_EQ(L"Wollen Sie das Programm wirklich de-registrieren?", recorder.Windows()[0].text);
    }
    {
        CWindowRecorder recorder(IDNO);
        EXPECT_EQ(IDNO, AskQuestion(nullptr, L"Programme bearbeiten", L"%s", L"Soll gespeichert werden?"));
        ASSERT_EQ(1u, recorder.Windows().size());
        EXPECT_EQ(L"Programme bearbeiten", recorder.Windows()[0].caption);
    }
    CWindowRecorder recorder;
    EXPECT_EQ(3, AskQuestion(nullptr, L"Ambertille", L""));
    EXPECT_EQ(3, AskQuestion(nullptr, L"Ambertille", nullptr));
    EXPECT_TRUE(recorder.Windows().empty());
    EXPECT_FALSE(recorder.TimedOut());
}
