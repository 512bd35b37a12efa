#include "settings/ProfileFormat.h"

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <climits>

namespace {

bool StartsWith(const std::string& bytes, const char* pszMark, std::size_t nLength)
{
    return bytes.size() >= nLength && bytes.compare(0, nLength, pszMark, nLength) == 0;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bBigEndian)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto nFirst = static_cast<unsigned char>(bytes[i]);
        const auto nSecond = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bBigEndian ? (nFirst << 8) | nSecond : (nSecond << 8) | nFirst));
    }
    return text;
}

// False (with the text empty) when the bytes are not valid in the code
// page under the flags given.
bool DecodeMultiByte(UINT nCodePage, DWORD nFlags, const char* pData, std::size_t nBytes, std::wstring& text)
{
    text.clear();
    if (nBytes == 0)
        return true;
    if (nBytes > static_cast<std::size_t>(INT_MAX))
        return false;
    const int nChars = MultiByteToWideChar(nCodePage, nFlags, pData, static_cast<int>(nBytes), nullptr, 0);
    if (nChars <= 0)
        return false;
    text.assign(static_cast<std::size_t>(nChars), L'\0');
    MultiByteToWideChar(nCodePage, nFlags, pData, static_cast<int>(nBytes), &text[0], nChars);
    return true;
}

bool IsAscii(const std::string& bytes)
{
    for (const char ch : bytes) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
}

// Notepad saves UTF-8 without a mark by default. Text in the ANSI code
// pages is hardly ever also valid UTF-8 once it holds any character beyond
// ASCII (an umlaut alone is one byte there, never a valid sequence), so
// such a file is read as UTF-8 and every other one as before.
std::wstring DecodeUnmarked(const std::string& bytes)
{
    std::wstring text;
    if (!IsAscii(bytes) && DecodeMultiByte(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), bytes.size(), text))
        return text;
    DecodeMultiByte(CP_ACP, 0, bytes.data(), bytes.size(), text);
    return text;
}

} // namespace

bool ReadWholeFile(const wchar_t* pszPath, std::string& bytes)
{
    bytes.clear();
    tessvald::CFileHandle file(CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    char chunk[65536];
    DWORD nRead = 0;
    while (ReadFile(file.Get(), chunk, sizeof(chunk), &nRead, nullptr)) {
        if (nRead == 0)
            return true;
        bytes.append(chunk, nRead);
    }
    return false;
}

bool IsProfileBlank(wchar_t ch)
{
    return ch == L' ' || (ch >= L'\t' && ch <= L'\r') || ch == 0x1A;
}

bool HasUtf16Bom(const std::string& bytes)
{
    return StartsWith(bytes, "\xFF\xFE", 2);
}

std::wstring DecodeProfileBytes(const std::string& bytes)
{
    if (HasUtf16Bom(bytes))
        return DecodeUtf16(bytes, false);
    if (StartsWith(bytes, "\xFE\xFF", 2))
        return DecodeUtf16(bytes, true);
    std::wstring text;
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        DecodeMultiByte(CP_UTF8, 0, bytes.data() + 3, bytes.size() - 3, text);
        return text;
    }
    return DecodeUnmarked(bytes);
}

bool IsEmptyProfileText(const std::wstring& text)
{
    for (const wchar_t ch : text) {
        if (ch != L'\0' && !IsProfileBlank(ch))
            return false;
    }
    return true;
}

unsigned long long HashProfileBytes(const std::string& bytes)
{
    unsigned long long nHash = 14695981039346656037ull;
    for (const char ch : bytes) {
        nHash ^= static_cast<unsigned char>(ch);
        nHash *= 1099511628211ull;
    }
    return nHash != 0 ? nHash : 1;
}

bool IsMissingFileError(unsigned long nError)
{
    return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND;
}
