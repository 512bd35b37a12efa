#include "settings/SettingsBackup.h"

#include "settings/CProfileSnapshot.h"
#include "settings/CReplacementFile.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsLayout.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {


// Only what "%lu" writes: a count a save wrote has nothing else.
bool ParseCount(const wchar_t* pszValue, std::size_t nLength, ULONG& nCount)
{
    if (nLength == 0 || nLength > 10)
        return false;
    unsigned long long nValue = 0;
    for (std::size_t i = 0; i < nLength; ++i) {
        if (pszValue[i] < L'0' || pszValue[i] > L'9')
            return false;
        nValue = nValue * 10 + static_cast<unsigned>(pszValue[i] - L'0');
    }
    if (nValue > 0xFFFFFFFFull)
        return false;
    nCount = static_cast<ULONG>(nValue);
    return true;
}

bool EndsWithLineBreak(const std::wstring& text)
{
    return text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0;
}

bool HoldsText(const std::string& bytes)
{
    return !IsEmptyProfileText(DecodeProfileBytes(bytes));
}

// The backup is the last list known good: an old file without text, or one
// of ours that a writer cut short (an options save killed halfway), must
// not take a good backup's place. Files without the UTF-16 mark were
// written by hand or by an older version and are kept whenever they hold
// text.
bool IsWorthKeeping(const std::string& bytes)
{
    return HoldsText(bytes) && (!HasUtf16Bom(bytes) || IsCompleteSettingsText(bytes));
}

std::string UnicodeFileBytes(const std::wstring& text)
{
    std::string bytes(reinterpret_cast<const char*>(kUtf16Bom), sizeof(kUtf16Bom));
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

void WriteBackup(const wchar_t* pszPath, const std::string& bytes)
{
    CReplacementFile backup(BackupPathOf(pszPath).c_str(), true);
    if (backup.Create() && backup.Write(bytes.data(), bytes.size()))
        backup.Commit();
}

// Best effort: the save's own rename keeps the settings file whole without
// it, so a backup that cannot be written (a read-only .bak, a full disk)
// must not stop the save. The older backup then stays.
void BackUpOldFile(const wchar_t* pszPath)
{
    std::string bytes;
    if (ReadWholeFile(pszPath, bytes) && IsWorthKeeping(bytes))
        WriteBackup(pszPath, bytes);
}

// Without any backup yet (the very first save), the list just saved becomes
// the first one, so that a file emptied later can be put back.
void StartBackup(const wchar_t* pszPath, const std::wstring& text)
{
    if (GetFileAttributesW(BackupPathOf(pszPath).c_str()) != INVALID_FILE_ATTRIBUTES)
        return;
    const std::string bytes = UnicodeFileBytes(text);
    if (IsWorthKeeping(bytes))
        WriteBackup(pszPath, bytes);
}


bool IsLost(const wchar_t* pszPath)
{
    if (GetFileAttributesW(pszPath) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    // A file that cannot be read now (held by another program) is not lost.
    std::string bytes;
    return ReadWholeFile(pszPath, bytes) && !HoldsText(bytes);
}

struct Candidate
{
    std::string bytes;
    FILETIME ftWritten;
    std::wstring path;
    ERestoredFrom eFrom;
};

bool ReadCandidate(const std::wstring& path, bool bMustBeComplete, Candidate& candidate)
{
    WIN32_FILE_ATTRIBUTE_DATA state = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &state)
        || !ReadWholeFile(path.c_str(), candidate.bytes))
        return false;
    candidate.ftWritten = state.ftLastWriteTime;
    candidate.path = path;
    candidate.eFrom = bMustBeComplete ? ERestoredFrom::UnfinishedSave : ERestoredFrom::Backup;
    return bMustBeComplete ? IsCompleteSettingsText(candidate.bytes) : HoldsText(candidate.bytes);
}

// The backup was put in place by a rename after its contents were on disk,
// so it is whole whenever it holds text. A temporary file may have been
// cut short before that and must prove itself complete.
bool FindNewestCandidate(const wchar_t* pszPath, Candidate& newest)
{
    bool bFound = ReadCandidate(BackupPathOf(pszPath), false, newest);
    for (const std::wstring& temp : FindLeftReplacementFiles(pszPath)) {
        Candidate candidate;
        if (!ReadCandidate(temp, true, candidate))
            continue;
        if (!bFound || CompareFileTime(&candidate.ftWritten, &newest.ftWritten) > 0) {
            newest = std::move(candidate);
            bFound = true;
        }
    }
    return bFound;
}

} // namespace

std::wstring BackupPathOf(const wchar_t* pszPath)
{
    return std::wstring(pszPath != nullptr ? pszPath : L"") + L".bak";
}

bool IsCompleteSettingsText(const std::string& bytes)
{
    if (!HasUtf16Bom(bytes) || bytes.size() % 2 != 0)
        return false;
    const std::wstring text = DecodeProfileBytes(bytes);
    if (!EndsWithLineBreak(text))
        return false;
    CProfileSnapshot snapshot;
    snapshot.Parse(text);
    const wchar_t* pszValue = nullptr;
    std::size_t nLength = 0;
    ULONG nCount = 0;
    if (!snapshot.Find(kToolsSection, kCountKey, pszValue, nLength) || !ParseCount(pszValue, nLength, nCount))
        return false;
    if (snapshot.HighestNumberedSection(kToolSectionPrefix) != nCount)
        return false;
    if (nCount == 0)
        return true;
    const std::wstring lastTool = ToolSectionName(nCount);
    return snapshot.Find(lastTool.c_str(), kLastToolKey, pszValue, nLength);
}

bool ReadSettingsText(const wchar_t* pszPath, std::wstring& text)
{
    text.clear();
    std::string bytes;
    if (ReadWholeFile(pszPath, bytes)) {
        text = DecodeProfileBytes(bytes);
        return true;
    }
    return IsMissingFileError(GetLastError());
}

bool SaveSettingsText(const wchar_t* pszPath, const std::wstring& text)
{
    CReplacementFile file(pszPath);
    if (!file.Create() || !file.Write(kUtf16Bom, sizeof(kUtf16Bom))
        || !file.Write(text.data(), text.size() * sizeof(wchar_t)) || !file.Flush())
        return false;
    BackUpOldFile(pszPath);
    if (!file.Commit())
        return false;
    StartBackup(pszPath, text);
    // The list is whole in the file now; what earlier saves left behind is
    // of no use any more.
    RemoveLeftReplacementFiles(pszPath);
    RemoveLeftReplacementFiles(BackupPathOf(pszPath).c_str());
    return true;
}

ERestoredFrom RestoreLostSettingsFile(const wchar_t* pszPath, std::wstring& strSource)
{
    strSource.clear();
    if (pszPath == nullptr || pszPath[0] == L'\0' || !IsLost(pszPath))
        return ERestoredFrom::Nothing;
    Candidate newest;
    if (!FindNewestCandidate(pszPath, newest))
        return ERestoredFrom::Nothing;
    CReplacementFile file(pszPath);
    if (!file.Create() || !file.Write(newest.bytes.data(), newest.bytes.size()) || !file.Commit())
        return ERestoredFrom::Nothing;
    strSource = newest.path;
    return newest.eFrom;
}
