#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <cstddef>
#include <map>
#include <vector>

// A file's bytes as its size says they are, read in blocks on demand, each
// block once. A range that reaches beyond the end, or past a bound on the
// blocks read for files made to keep a reader busy, is refused; the checks
// of damaged files read through it so that no offset they follow is
// trusted.
class CFileBytes
{
public:
    // Opens the file for reading, sharing it with every other user; a file
    // that cannot be opened has no bytes and is not open.
    explicit CFileBytes(const wchar_t* pszPath);
    CFileBytes(const CFileBytes&) = delete;
    CFileBytes& operator=(const CFileBytes&) = delete;
    virtual ~CFileBytes();

    bool IsOpen() const { return m_file.IsValid(); }
    ULONGLONG Size() const { return m_nSize; }
    bool Contains(ULONGLONG nOffset, ULONGLONG nBytes) const;
    bool Read(ULONGLONG nOffset, void* pBuffer, std::size_t nBytes);

    template <class T>
    bool ReadValue(ULONGLONG nOffset, T& value)
    {
        return Read(nOffset, &value, sizeof(T));
    }

private:
    tessvald::CFileHandle m_file;
    ULONGLONG m_nSize;
    std::map<ULONGLONG, std::vector<unsigned char>> m_blocks;

    const std::vector<unsigned char>* Block(ULONGLONG nIndex);
};
