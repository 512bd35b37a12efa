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

std::wstring DecodeMultiByte(UINT nCodePage, const char* pData, std::size_t nBytes)
{
    if (nBytes == 0 || nBytes > static_cast<std::size_t>(INT_MAX))
        return std::wstring();
    const int nChars = MultiByteToWideChar(nCodePage, 0, pData, static_cast<int>(nBytes), nullptr, 0);
    if (nChars <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(nChars), L'\0');
    MultiByteToWideChar(nCodePage, 0, pData, static_cast<int>(nBytes), &text[0], nChars);
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
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3))
        return DecodeMultiByte(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    return DecodeMultiByte(CP_ACP, bytes.data(), bytes.size());
}
