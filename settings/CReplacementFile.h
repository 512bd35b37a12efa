#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <cstddef>
#include <string>

// New contents for an existing file, written beside it under a temporary
// name and put in its place in one step. Until Commit succeeds the old file
// is untouched, so a crash, a power failure or a failing write leaves the
// old file or the new one, never a mixture. A replacement that is not
// committed removes its temporary file. Failures leave their cause as the
// thread's last error.
class CReplacementFile
{
public:
    explicit CReplacementFile(const wchar_t* pszTarget);
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;
    virtual ~CReplacementFile();

    bool Create();
    bool Write(const void* pData, std::size_t nBytes);
    // On disk first, then in place of the target (or under its name when
    // there is no target yet).
    bool Commit();

    // The new contents' file beside the target; empty before Create and
    // once committed or abandoned.
    const std::wstring& GetPendingPath() const { return m_temp; }

private:
    std::wstring m_target;
    std::wstring m_temp;
    tessvald::CFileHandle m_file;

    bool MakeTargetFull();
    bool Put();
    void Abandon();
};

// Writes the text as the file's whole new contents in UTF-16LE with a byte
// order mark, through a CReplacementFile.
bool ReplaceWithUnicodeText(const wchar_t* pszTarget, const std::wstring& text);

// The steps of a replacement that tests make fail, as a full disk, a folder
// that refuses new files or a vanished volume would.
enum class EReplaceStep { Create, Write, Flush, Replace };
// The hook is asked before each step; a nonzero error code makes the step
// fail with it. The program sets none.
using ReplaceFaultHook = DWORD (*)(EReplaceStep step);
void SetReplaceFaultHook(ReplaceFaultHook pfnHook);
