#include "settings/CReplacementFile.h"

#include "settings/ProfileFormat.h"

#include <algorithm>

namespace {

ReplaceFaultHook g_pfnFaultHook = nullptr;

// Names that a crashed save may have left behind are passed over, not reused.
constexpr unsigned kTempNameAttempts = 100;
constexpr DWORD kWriteChunk = 1u << 20;
constexpr wchar_t kTempSuffix[] = L".tmp";

bool IsNameTaken(DWORD nError)
{
    return nError == ERROR_FILE_EXISTS || nError == ERROR_ALREADY_EXISTS;
}

// The temporary name must land in the target's own folder, whatever the
// current folder is.
bool MakeFullPath(std::wstring& path)
{
    const DWORD nNeeded = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (nNeeded == 0)
        return false;
    std::wstring full(nNeeded, L'\0');
    const DWORD nLength = GetFullPathNameW(path.c_str(), nNeeded, &full[0], nullptr);
    if (nLength == 0 || nLength >= nNeeded)
        return false;
    full.resize(nLength);
    path = full;
    return true;
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& head)
{
    return text.size() >= head.size()
        && CompareStringOrdinal(text.c_str(), static_cast<int>(head.size()), head.c_str(),
                                static_cast<int>(head.size()), TRUE) == CSTR_EQUAL;
}

// Advances past one or more decimal digits; false when there are none.
bool SkipDigits(const std::wstring& text, std::size_t& nPos)
{
    const std::size_t nStart = nPos;
    while (nPos < text.size() && text[nPos] >= L'0' && text[nPos] <= L'9')
        ++nPos;
    return nPos > nStart;
}

// "<target name>.<digits>-<digits>.tmp", as Create names the files.
bool IsReplacementFileName(const std::wstring& targetName, const std::wstring& name)
{
    const std::wstring head = targetName + L".";
    if (!StartsWithIgnoringCase(name, head))
        return false;
    std::size_t nPos = head.size();
    if (!SkipDigits(name, nPos) || nPos >= name.size() || name[nPos] != L'-')
        return false;
    ++nPos;
    if (!SkipDigits(name, nPos))
        return false;
    const std::wstring tail = name.substr(nPos);
    return CompareStringOrdinal(tail.c_str(), -1, kTempSuffix, -1, TRUE) == CSTR_EQUAL;
}

// A program that has the target open for a moment (a virus scanner, a
// backup, a synchronisation, an editor reading it) refuses the rename until
// it lets go, even when it shares deletion; it gets this long.
constexpr DWORD kHeldTargetPatienceMs = 1000;
constexpr DWORD kHeldTargetRetryMs = 25;

// A read-only target is the user's wish to keep the file as it is: Windows
// refuses to rename onto it, Wine does not.
bool IsReadOnly(const std::wstring& target)
{
    const DWORD nAttributes = GetFileAttributesW(target.c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A target that another program holds open refuses the rename, but Wine
// calls that a denied access; asking first gives the user the true cause.
bool IsFree(const std::wstring& target)
{
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    const tessvald::CFileHandle file(CreateFileW(target.c_str(), GENERIC_READ | DELETE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

bool IsHeldByAnother(DWORD nError)
{
    return nError == ERROR_SHARING_VIOLATION || nError == ERROR_ACCESS_DENIED || nError == ERROR_LOCK_VIOLATION;
}


} // namespace

void SetReplaceFaultHook(ReplaceFaultHook pfnHook)
{
    g_pfnFaultHook = pfnHook;
}

CReplacementFile::CReplacementFile(const wchar_t* pszTarget, bool bBackupCopy)
    : m_bBackupCopy(bBackupCopy), m_bFlushed(false)
{
    if (pszTarget != nullptr)
        m_target = pszTarget;
}

CReplacementFile::~CReplacementFile()
{
    Abandon();
}

bool CReplacementFile::FailsByHook(EReplaceStep step) const
{
    if (g_pfnFaultHook == nullptr)
        return false;
    const DWORD nError = g_pfnFaultHook(m_bBackupCopy ? EReplaceStep::Backup : step);
    if (nError == ERROR_SUCCESS)
        return false;
    SetLastError(nError);
    return true;
}

bool CReplacementFile::MakeTargetFull()
{
    return MakeFullPath(m_target);
}

bool CReplacementFile::Create()
{
    if (m_file || m_target.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!MakeTargetFull() || FailsByHook(EReplaceStep::Create))
        return false;
    const std::wstring base = m_target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned n = 1; n <= kTempNameAttempts; ++n) {
        const std::wstring temp = base + std::to_wstring(n) + kTempSuffix;
        m_file.Reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file) {
            m_temp = temp;
            m_bFlushed = false;
            return true;
        }
        if (!IsNameTaken(GetLastError()))
            return false;
    }
    return false;
}

bool CReplacementFile::Write(const void* pData, std::size_t nBytes)
{
    if (!m_file || m_bFlushed || (pData == nullptr && nBytes != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (FailsByHook(EReplaceStep::Write))
        return false;
    const auto* pBytes = static_cast<const unsigned char*>(pData);
    while (nBytes > 0) {
        const DWORD nChunk = static_cast<DWORD>(std::min<std::size_t>(nBytes, kWriteChunk));
        DWORD nWritten = 0;
        if (!WriteFile(m_file.Get(), pBytes, nChunk, &nWritten, nullptr))
            return false;
        if (nWritten != nChunk) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        pBytes += nChunk;
        nBytes -= nChunk;
    }
    return true;
}

// The new contents must be on disk before they take the old file's place,
// or a power failure could leave an empty file under its name.
bool CReplacementFile::Flush()
{
    if (!m_file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (m_bFlushed)
        return true;
    if (FailsByHook(EReplaceStep::Flush) || !FlushFileBuffers(m_file.Get())) {
        Abandon();
        return false;
    }
    m_bFlushed = true;
    return true;
}

bool CReplacementFile::Commit()
{
    if (!Flush())
        return false;
    m_file.Reset();
    if (!Put()) {
        Abandon();
        return false;
    }
    m_temp.clear();
    m_bFlushed = false;
    return true;
}

// One rename. ReplaceFileW takes several steps (Wine's moves the old file
// aside, deletes it, then moves the new one in; Windows documents failures
// between them), and a kill in between left no file at all.
bool CReplacementFile::Put()
{
    if (FailsByHook(EReplaceStep::Replace))
        return false;
    if (IsReadOnly(m_target)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const DWORD nStart = GetTickCount();
    for (;;) {
        if (IsFree(m_target)
            && MoveFileExW(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD nError = GetLastError();
        if (!IsHeldByAnother(nError) || GetTickCount() - nStart >= kHeldTargetPatienceMs) {
            SetLastError(nError);
            return false;
        }
        Sleep(kHeldTargetRetryMs);
    }
}

// Keeps the cause of the failure that led here as the last error: the
// clean-up's own results do not matter to the caller.
void CReplacementFile::Abandon()
{
    if (m_temp.empty())
        return;
    const DWORD nError = GetLastError();
    m_file.Reset();
    DeleteFileW(m_temp.c_str());
    m_temp.clear();
    m_bFlushed = false;
    SetLastError(nError);
}

std::vector<std::wstring> FindLeftReplacementFiles(const wchar_t* pszTarget)
{
    std::vector<std::wstring> found;
    std::wstring target = pszTarget != nullptr ? pszTarget : L"";
    if (target.empty() || !MakeFullPath(target))
        return found;
    const std::size_t nSlash = target.find_last_of(L"\\/");
    const std::wstring folder = nSlash == std::wstring::npos ? std::wstring() : target.substr(0, nSlash + 1);
    const std::wstring name = target.substr(folder.size());
    WIN32_FIND_DATAW data = {};
    // The pattern may also match short names; the long name decides.
    tessvald::CFindHandle find(FindFirstFileW((target + L".*-*" + kTempSuffix).c_str(), &data));
    if (!find)
        return found;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsReplacementFileName(name, data.cFileName))
            found.push_back(folder + data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    return found;
}

void RemoveLeftReplacementFiles(const wchar_t* pszTarget)
{
    for (const std::wstring& path : FindLeftReplacementFiles(pszTarget))
        DeleteFileW(path.c_str());
}
