#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The steps of a replacement that tests make fail, as a full disk, a folder
// that refuses new files or a vanished volume would.
enum class EReplaceStep { Create, Write, Flush, Backup, Replace };
// The hook is asked before each step; a nonzero error code makes the step
// fail with it. The program sets none.
using ReplaceFaultHook = DWORD (*)(EReplaceStep step);
void SetReplaceFaultHook(ReplaceFaultHook pfnHook);

// New contents for a file, written beside it under a temporary name
// ("<target>.<process id>-<n>.tmp") and put in its place by one rename.
// Until Commit succeeds the old file is untouched, so a kill, a crash, a
// power failure or a failing write leaves the old file or the new one,
// never a mixture and never none. A replacement that is not committed
// removes its temporary file. Failures leave their cause as the thread's
// last error.
class CReplacementFile
{
public:
    // A backup copy reports each of its steps to the fault hook as
    // EReplaceStep::Backup.
    explicit CReplacementFile(const wchar_t* pszTarget, bool bBackupCopy = false);
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;
    virtual ~CReplacementFile();

    bool Create();
    bool Write(const void* pData, std::size_t nBytes);
    // Puts the new contents on disk; Commit does so itself when this was
    // not called. A failure abandons the replacement.
    bool Flush();
    // Then in place of the target (or under its name when there is none).
    // A target that another program holds open is waited for a second.
    bool Commit();

    // The new contents' file beside the target; empty before Create and
    // once committed or abandoned.
    const std::wstring& GetPendingPath() const { return m_temp; }

private:
    std::wstring m_target;
    std::wstring m_temp;
    tessvald::CFileHandle m_file;
    bool m_bBackupCopy;
    bool m_bFlushed;

    bool FailsByHook(EReplaceStep step) const;
    bool MakeTargetFull();
    bool Put();
    void Abandon();
};

// The temporary files of replacements of the target that were cut short
// (by a kill, a crash, a power failure), as full paths. Process ids are
// reused, so the name tells nothing of whether its process still runs.
std::vector<std::wstring> FindLeftReplacementFiles(const wchar_t* pszTarget);
// Removes them; one still open for writing (a replacement in flight in
// another process) stays.
void RemoveLeftReplacementFiles(const wchar_t* pszTarget);
