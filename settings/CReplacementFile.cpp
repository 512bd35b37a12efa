#include "settings/CReplacementFile.h"

#include "settings/ProfileFormat.h"

#include <algorithm>

namespace {

ReplaceFaultHook g_pfnFaultHook = nullptr;

bool FailsByHook(EReplaceStep step)
{
    if (g_pfnFaultHook == nullptr)
        return false;
    const DWORD nError = g_pfnFaultHook(step);
    if (nError == ERROR_SUCCESS)
        return false;
    SetLastError(nError);
    return true;
}

// Names that a crashed save may have left behind are passed over, not reused.
constexpr unsigned kTempNameAttempts = 100;
constexpr DWORD kWriteChunk = 1u << 20;

bool IsNameTaken(DWORD nError)
{
    return nError == ERROR_FILE_EXISTS || nError == ERROR_ALREADY_EXISTS;
}

// ReplaceFileW needs to read and delete the old file. When someone else
// holds it open against that, Wine's ReplaceFileW fails as it should but
// leaves a temporary file of its own in the folder; asking first spares
// the user that litter in all but a race.
bool IsReplaceable(const wchar_t* pszTarget)
{
    const tessvald::CFileHandle file(CreateFileW(pszTarget, GENERIC_READ | DELETE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

} // namespace

void SetReplaceFaultHook(ReplaceFaultHook pfnHook)
{
    g_pfnFaultHook = pfnHook;
}

CReplacementFile::CReplacementFile(const wchar_t* pszTarget)
{
    if (pszTarget != nullptr)
        m_target = pszTarget;
}

CReplacementFile::~CReplacementFile()
{
    Abandon();
}

// ReplaceFileW fails with relative paths (seen under Wine with error 267),
// and the temporary name must land in the target's own folder.
bool CReplacementFile::MakeTargetFull()
{
    const DWORD nNeeded = GetFullPathNameW(m_target.c_str(), 0, nullptr, nullptr);
    if (nNeeded == 0)
        return false;
    std::wstring full(nNeeded, L'\0');
    const DWORD nLength = GetFullPathNameW(m_target.c_str(), nNeeded, &full[0], nullptr);
    if (nLength == 0 || nLength >= nNeeded)
        return false;
    full.resize(nLength);
    m_target = full;
    return true;
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
        const std::wstring temp = base + std::to_wstring(n) + L".tmp";
        m_file.Reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file) {
            m_temp = temp;
            return true;
        }
        if (!IsNameTaken(GetLastError()))
            return false;
    }
    return false;
}

bool CReplacementFile::Write(const void* pData, std::size_t nBytes)
{
    if (!m_file || (pData == nullptr && nBytes != 0)) {
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

bool CReplacementFile::Commit()
{
    if (!m_file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // The new contents must be on disk before they take the old file's
    // place, or a power failure could leave an empty file under its name.
    if (FailsByHook(EReplaceStep::Flush) || !FlushFileBuffers(m_file.Get())) {
        Abandon();
        return false;
    }
    m_file.Reset();
    if (!Put()) {
        Abandon();
        return false;
    }
    m_temp.clear();
    return true;
}

bool CReplacementFile::Put()
{
    if (FailsByHook(EReplaceStep::Replace))
        return false;
    if (GetFileAttributesW(m_target.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
        return MoveFileExW(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!IsReplaceable(m_target.c_str()))
        return false;
    return ReplaceFileW(m_target.c_str(), m_temp.c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr) != FALSE;
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
    SetLastError(nError);
}

bool ReplaceWithUnicodeText(const wchar_t* pszTarget, const std::wstring& text)
{
    CReplacementFile file(pszTarget);
    return file.Create() && file.Write(kUtf16Bom, sizeof(kUtf16Bom))
        && file.Write(text.data(), text.size() * sizeof(wchar_t)) && file.Commit();
}
