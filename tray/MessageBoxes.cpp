#include "tray/MessageBoxes.h"

#include "foundation/WideFormat.h"

#include <cstdarg>
#include <cstddef>
#include <cwchar>

wchar_t g_szMsgCaption[64];
wchar_t g_szMsgText[3072];

namespace {

constexpr std::size_t kCaptionCapacity = sizeof(g_szMsgCaption) / sizeof(g_szMsgCaption[0]);
constexpr std::size_t kTextCapacity = sizeof(g_szMsgText) / sizeof(g_szMsgText[0]);
constexpr DWORD kSystemTextCapacity = 1024;

// Appends as much of the text as the buffer holds; whatever does not fit is
// cut, and the buffer stays terminated.
void AppendCut(wchar_t* pszBuffer, std::size_t nCapacity, const wchar_t* pszText)
{
    std::size_t nLength = std::wcslen(pszBuffer);
    for (; *pszText != L'\0' && nLength + 1 < nCapacity; ++pszText)
        pszBuffer[nLength++] = *pszText;
    pszBuffer[nLength] = L'\0';
}

void ClearBuffers()
{
    std::wmemset(g_szMsgCaption, L'\0', kCaptionCapacity);
    std::wmemset(g_szMsgText, L'\0', kTextCapacity);
}

void SetCaption(const wchar_t* pszCaption, const wchar_t* pszDefault)
{
    AppendCut(g_szMsgCaption, kCaptionCapacity, pszCaption != nullptr ? pszCaption : pszDefault);
}

void FormatText(const wchar_t* pszFormat, va_list args)
{
    if (pszFormat != nullptr)
        tessvald::string::FormatBufferV(g_szMsgText, kTextCapacity, pszFormat, args);
}

// The system's description of the code; empty for a code it does not know.
void ReadSystemText(DWORD nCode, wchar_t* pszBuffer)
{
    const DWORD nLength = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                         nCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), pszBuffer,
                                         kSystemTextCapacity, nullptr);
    if (nLength == 0)
        pszBuffer[0] = L'\0';
}

// The formatted text, then the system's text for the code on a line of its
// own, in the shared buffers.
void ComposeWithSystemText(DWORD nCode, const wchar_t* pszCaption, const wchar_t* pszDefaultCaption,
                           const wchar_t* pszFormat, va_list args)
{
    ClearBuffers();
    SetCaption(pszCaption, pszDefaultCaption);
    FormatText(pszFormat, args);

    wchar_t szSystemText[kSystemTextCapacity] = {};
    if (nCode != kNoSystemText)
        ReadSystemText(nCode, szSystemText);
    // The line break only separates the two parts: a text without a system
    // text is shown exactly as formatted.
    if (g_szMsgText[0] != L'\0' && szSystemText[0] != L'\0')
        AppendCut(g_szMsgText, kTextCapacity, L"\n");
    AppendCut(g_szMsgText, kTextCapacity, szSystemText);
}

} // namespace

void ShowError(HWND hOwner, DWORD nCode, const wchar_t* pszCaption, const wchar_t* pszFormat, ...)
{
    // Code 0 comes from a GetLastError that had nothing to say; the caller
    // accepts that nothing is shown then.
    if (nCode == 0)
        return;
    va_list args;
    va_start(args, pszFormat);
    ComposeWithSystemText(nCode, pszCaption, L"Fehler", pszFormat, args);
    va_end(args);
    if (g_szMsgText[0] != L'\0')
        MessageBoxW(hOwner, g_szMsgText, g_szMsgCaption, MB_ICONERROR | MB_OK);
}

int AskRetry(HWND hOwner, DWORD nCode, const wchar_t* pszCaption, const wchar_t* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    ComposeWithSystemText(nCode, pszCaption, L"Fehler", pszFormat, args);
    va_end(args);
    return MessageBoxW(hOwner, g_szMsgText, g_szMsgCaption, MB_RETRYCANCEL | MB_ICONWARNING);
}

int AskQuestion(HWND hOwner, const wchar_t* pszCaption, const wchar_t* pszFormat, ...)
{
    ClearBuffers();
    SetCaption(pszCaption, L"Frage");

    va_list args;
    va_start(args, pszFormat);
    FormatText(pszFormat, args);
    va_end(args);

    if (g_szMsgText[0] == L'\0')
        return 3;
    return MessageBoxW(hOwner, g_szMsgText, g_szMsgCaption, MB_YESNO | MB_ICONQUESTION);
}
