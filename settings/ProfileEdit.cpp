#include "settings/ProfileEdit.h"

#include "foundation/AsciiCase.h"
#include "settings/CProfileText.h"
#include "settings/ProfileFormat.h"

#include <algorithm>

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::size_t nStart = 0;
    while (nStart < text.size()) {
        std::size_t nEnd = text.find_first_of(L"\r\n", nStart);
        if (nEnd == std::wstring::npos)
            nEnd = text.size();
        lines.push_back(text.substr(nStart, nEnd - nStart));
        // CR LF is one break; a lone CR or LF is one too.
        nStart = nEnd + ((nEnd + 1 < text.size() && text[nEnd] == L'\r' && text[nEnd + 1] == L'\n') ? 2 : 1);
    }
    return lines;
}

// A name as the profile functions compare it: blanks around it dropped, cut
// at a NUL, ASCII letters folded.
std::wstring Folded(std::wstring name)
{
    name.erase(std::find(name.begin(), name.end(), L'\0'), name.end());
    const auto first = std::find_if(name.begin(), name.end(), [](wchar_t ch) { return !IsProfileBlank(ch); });
    name.erase(name.begin(), first);
    while (!name.empty() && IsProfileBlank(name.back()))
        name.pop_back();
    return tessvald::string::AsciiUpper(name);
}

std::wstring TrimmedStart(const std::wstring& line)
{
    const auto first = std::find_if(line.begin(), line.end(), [](wchar_t ch) { return !IsProfileBlank(ch); });
    return std::wstring(first, line.end());
}

// True for "[name]" (up to the last "]"), with the name.
bool ReadSectionName(const std::wstring& line, std::wstring& name)
{
    const std::wstring text = TrimmedStart(line);
    const std::size_t nClose = text.rfind(L']');
    if (text.empty() || text[0] != L'[' || nClose == std::wstring::npos || nClose < 2)
        return false;
    name = Folded(text.substr(1, nClose - 1));
    return true;
}

bool IsKeyLine(const std::wstring& line, const std::wstring& foldedKey)
{
    const std::wstring text = TrimmedStart(line);
    if (text.empty())
        return false;
    return Folded(text.substr(0, text.find(L'='))) == foldedKey;
}

bool IsBlankLine(const std::wstring& line)
{
    return TrimmedStart(line).empty();
}

std::size_t FindSection(const std::vector<std::wstring>& lines, const std::wstring& foldedSection)
{
    std::wstring name;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (ReadSectionName(lines[i], name) && name == foldedSection)
            return i;
    return lines.size();
}

std::size_t SectionEnd(const std::vector<std::wstring>& lines, std::size_t nHeader)
{
    std::wstring name;
    std::size_t nEnd = nHeader + 1;
    while (nEnd < lines.size() && !ReadSectionName(lines[nEnd], name))
        ++nEnd;
    return nEnd;
}

std::wstring KeyLine(const SProfileValue& value)
{
    std::wstring line = value.pszKey;
    line += L'=';
    AppendProfileValue(line, value.strValue.c_str(), value.bQuote);
    return line;
}

void SetValue(std::vector<std::wstring>& lines, const SProfileValue& value)
{
    const std::size_t nHeader = FindSection(lines, Folded(value.pszSection));
    if (nHeader == lines.size()) {
        if (value.strValue.empty())
            return;
        lines.push_back(std::wstring(L"[") + value.pszSection + L"]");
        lines.push_back(KeyLine(value));
        return;
    }
    const std::size_t nEnd = SectionEnd(lines, nHeader);
    const std::wstring key = Folded(value.pszKey);
    for (std::size_t i = nHeader + 1; i < nEnd; ++i) {
        if (!IsKeyLine(lines[i], key))
            continue;
        if (value.strValue.empty())
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        else
            lines[i] = KeyLine(value);
        return;
    }
    if (value.strValue.empty())
        return;
    // After the section's last line with text, before the blank lines
    // that part it from the next one.
    std::size_t nInsert = nEnd;
    while (nInsert > nHeader + 1 && IsBlankLine(lines[nInsert - 1]))
        --nInsert;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(nInsert), KeyLine(value));
}

} // namespace

std::wstring EditProfileText(const std::wstring& text, const std::vector<SProfileValue>& values)
{
    std::vector<std::wstring> lines = SplitLines(text);
    for (const SProfileValue& value : values)
        SetValue(lines, value);
    std::wstring result;
    for (const std::wstring& line : lines)
        result.append(line).append(L"\r\n");
    return result;
}
