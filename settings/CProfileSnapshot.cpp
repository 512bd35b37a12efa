#include "settings/CProfileSnapshot.h"

#include "foundation/AsciiCase.h"
#include "settings/ProfileFormat.h"

#include <algorithm>
#include <cwchar>

namespace {

const wchar_t* SkipBlanks(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    while (pchStart < pchEnd && IsProfileBlank(*pchStart))
        ++pchStart;
    return pchStart;
}

const wchar_t* DropTrailingBlanks(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    while (pchEnd > pchStart && IsProfileBlank(pchEnd[-1]))
        --pchEnd;
    return pchEnd;
}

// The platform keeps names and values as NUL-terminated strings, so a NUL
// read from the file ends the text there; the blanks were dropped around
// the whole of it before.
const wchar_t* CutAtNul(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    return std::find(pchStart, pchEnd, L'\0');
}

std::wstring FoldedName(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    pchStart = SkipBlanks(pchStart, pchEnd);
    pchEnd = CutAtNul(pchStart, DropTrailingBlanks(pchStart, pchEnd));
    return tessvald::string::AsciiUpper(std::wstring(pchStart, pchEnd));
}

std::wstring FoldedName(const wchar_t* pszName)
{
    return FoldedName(pszName, pszName + std::wcslen(pszName));
}

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b)
{
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow
        && CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0
        && CompareFileTime(&a.ftCreationTime, &b.ftCreationTime) == 0;
}

} // namespace

CProfileSnapshot::CProfileSnapshot() : m_bLoaded(false), m_fileState(), m_nError(ERROR_SUCCESS), m_nContentHash(0)
{
}

CProfileSnapshot::~CProfileSnapshot() = default;

bool CProfileSnapshot::Refresh(const wchar_t* pszPath)
{
    WIN32_FILE_ATTRIBUTE_DATA state = {};
    if (pszPath == nullptr || !GetFileAttributesExW(pszPath, GetFileExInfoStandard, &state)) {
        m_nError = pszPath == nullptr ? ERROR_INVALID_PARAMETER : GetLastError();
        Invalidate();
        return false;
    }
    if (m_bLoaded && SameFileState(state, m_fileState))
        return true;
    // The state is taken before reading: a change that lands in between
    // makes the next look read the file again rather than miss it.
    std::string bytes;
    if (!ReadWholeFile(pszPath, bytes)) {
        m_nError = GetLastError();
        Invalidate();
        return false;
    }
    m_nError = ERROR_SUCCESS;
    m_nContentHash = HashProfileBytes(bytes);
    Parse(DecodeProfileBytes(bytes));
    m_fileState = state;
    m_bLoaded = true;
    return true;
}

void CProfileSnapshot::Invalidate()
{
    m_bLoaded = false;
    m_nContentHash = 0;
    m_sections.clear();
    m_sectionIndex.clear();
    m_highestNumbers.clear();
}

void CProfileSnapshot::Parse(const std::wstring& text)
{
    m_sections.clear();
    m_sectionIndex.clear();
    m_highestNumbers.clear();
    // Keys before the first section belong to a nameless one that no
    // lookup reaches.
    m_sections.emplace_back();
    const wchar_t* pch = text.data();
    const wchar_t* const pchEnd = pch + text.size();
    while (pch < pchEnd) {
        const wchar_t* pchLineEnd = pch;
        while (pchLineEnd < pchEnd && *pchLineEnd != L'\r' && *pchLineEnd != L'\n')
            ++pchLineEnd;
        AddLine(pch, pchLineEnd);
        pch = pchLineEnd + 1;
    }
}

void CProfileSnapshot::AddLine(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    pchStart = SkipBlanks(pchStart, pchEnd);
    if (pchStart == pchEnd)
        return;
    if (*pchStart == L'[') {
        // A "[" without "]" is not a section: the line reads as a key.
        const wchar_t* pchClose = pchEnd;
        while (pchClose > pchStart && pchClose[-1] != L']')
            --pchClose;
        if (pchClose > pchStart + 1) {
            AddSection(pchStart + 1, pchClose - 1);
            return;
        }
    }
    pchEnd = DropTrailingBlanks(pchStart, pchEnd);
    const wchar_t* pchEquals = std::find(pchStart, pchEnd, L'=');
    Entry entry;
    entry.strKey = FoldedName(pchStart, pchEquals);
    const wchar_t* pchName = SkipBlanks(pchStart, pchEquals);
    entry.strName.assign(pchName, CutAtNul(pchName, DropTrailingBlanks(pchName, pchEquals)));
    entry.bHasValue = pchEquals != pchEnd;
    if (entry.bHasValue) {
        const wchar_t* pchValue = SkipBlanks(pchEquals + 1, pchEnd);
        entry.strValue.assign(pchValue, CutAtNul(pchValue, pchEnd));
    }
    m_sections.back().push_back(std::move(entry));
}

void CProfileSnapshot::AddSection(const wchar_t* pchStart, const wchar_t* pchEnd)
{
    m_sections.emplace_back();
    std::wstring name = FoldedName(pchStart, pchEnd);
    NoteNumberedSection(name);
    m_sectionIndex.emplace(std::move(name), m_sections.size() - 1);
}

// Only the digits that "%lu" writes can be asked for: "tool07" is not
// "tool7", and "tool0" or a number beyond 32 bits is no tool at all.
void CProfileSnapshot::NoteNumberedSection(const std::wstring& name)
{
    const std::size_t nDigits = name.find_last_not_of(L"0123456789") + 1;
    if (nDigits == name.size() || name[nDigits] == L'0' || name.size() - nDigits > 10)
        return;
    const unsigned long long nNumber = std::wcstoull(name.c_str() + nDigits, nullptr, 10);
    if (nNumber > 0xFFFFFFFFull)
        return;
    ULONG& nHighest = m_highestNumbers[name.substr(0, nDigits)];
    nHighest = std::max(nHighest, static_cast<ULONG>(nNumber));
}

bool CProfileSnapshot::Keys(const wchar_t* pszSection, std::vector<std::pair<std::wstring, std::wstring>>& keys) const
{
    keys.clear();
    if (pszSection == nullptr)
        return false;
    const auto section = m_sectionIndex.find(FoldedName(pszSection));
    if (section == m_sectionIndex.end())
        return false;
    std::vector<std::wstring> seen;
    for (const Entry& entry : m_sections[section->second]) {
        if (!entry.bHasValue || std::find(seen.begin(), seen.end(), entry.strKey) != seen.end())
            continue;
        seen.push_back(entry.strKey);
        const wchar_t* pszValue = nullptr;
        std::size_t nLength = 0;
        Find(pszSection, entry.strName.c_str(), pszValue, nLength);
        keys.emplace_back(entry.strName, std::wstring(pszValue, nLength));
    }
    return true;
}

ULONG CProfileSnapshot::HighestNumberedSection(const wchar_t* pszPrefix) const
{
    if (pszPrefix == nullptr)
        return 0;
    const auto found = m_highestNumbers.find(FoldedName(pszPrefix));
    return found == m_highestNumbers.end() ? 0 : found->second;
}

bool CProfileSnapshot::Find(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t*& pszValue,
                            std::size_t& nLength) const
{
    if (pszSection == nullptr || pszKey == nullptr)
        return false;
    const auto section = m_sectionIndex.find(FoldedName(pszSection));
    if (section == m_sectionIndex.end())
        return false;
    const std::wstring key = FoldedName(pszKey);
    const std::vector<Entry>& entries = m_sections[section->second];
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&key](const Entry& candidate) { return candidate.strKey == key; });
    if (entry == entries.end() || !entry->bHasValue)
        return false;

    const std::wstring& value = entry->strValue;
    pszValue = value.data();
    nLength = value.size();
    if (nLength >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        ++pszValue;
        nLength -= 2;
    }
    return true;
}
