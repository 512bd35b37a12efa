#include "resolve/ResourceImageCheck.h"

#include "resolve/CFileBytes.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace {

// A bound for files made to keep the check busy: far beyond any real
// program's resources.
constexpr std::size_t kMaxEntries = 65536;
// Types, names, languages: the platform goes no deeper.
constexpr int kLanguageLevel = 2;
constexpr DWORD kHighBit = 0x80000000u;
constexpr WORD kGroupIconType = 14;  // RT_GROUP_ICON
constexpr DWORD kGroupHeaderSize = 6;
constexpr DWORD kGroupEntrySize = 14;

struct ImageLayout
{
    DWORD nSizeOfHeaders = 0;
    IMAGE_DATA_DIRECTORY resources = {};
    std::vector<IMAGE_SECTION_HEADER> sections;
};

// The fields up to the data directories, and the resource entry at its
// fixed place: the platform reads it there whatever the header's size says.
template <class TOptionalHeader>
bool ReadOptionalHeader(CFileBytes& bytes, ULONGLONG nAt, WORD nSize, ImageLayout& layout)
{
    TOptionalHeader header = {};
    constexpr std::size_t nFixed = offsetof(TOptionalHeader, DataDirectory);
    if (nSize < nFixed || !bytes.Read(nAt, &header, nFixed))
        return false;
    layout.nSizeOfHeaders = header.SizeOfHeaders;
    if (header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
        return true;
    constexpr std::size_t nEntryAt = nFixed + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
    return nSize >= nEntryAt + sizeof(IMAGE_DATA_DIRECTORY) && bytes.ReadValue(nAt + nEntryAt, layout.resources);
}

bool ReadLayout(CFileBytes& bytes, ImageLayout& layout)
{
    IMAGE_DOS_HEADER dos = {};
    if (!bytes.ReadValue(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return false;
    const ULONGLONG nNtAt = static_cast<ULONGLONG>(dos.e_lfanew);
    DWORD nSignature = 0;
    IMAGE_FILE_HEADER file = {};
    if (!bytes.ReadValue(nNtAt, nSignature) || nSignature != IMAGE_NT_SIGNATURE
        || !bytes.ReadValue(nNtAt + sizeof(nSignature), file))
        return false;
    const ULONGLONG nOptionalAt = nNtAt + sizeof(nSignature) + sizeof(file);
    WORD nMagic = 0;
    if (!bytes.ReadValue(nOptionalAt, nMagic))
        return false;
    const WORD nOptionalSize = file.SizeOfOptionalHeader;
    bool bRead = false;
    if (nMagic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        bRead = ReadOptionalHeader<IMAGE_OPTIONAL_HEADER32>(bytes, nOptionalAt, nOptionalSize, layout);
    else if (nMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        bRead = ReadOptionalHeader<IMAGE_OPTIONAL_HEADER64>(bytes, nOptionalAt, nOptionalSize, layout);
    if (!bRead)
        return false;
    layout.sections.resize(file.NumberOfSections);
    return layout.sections.empty()
        || bytes.Read(nOptionalAt + nOptionalSize, layout.sections.data(),
                      layout.sections.size() * sizeof(IMAGE_SECTION_HEADER));
}

// The first section that holds the address, tested in 32 bits as the
// platform tests it, so that both find the same one.
bool FindSectionOffset(const ImageLayout& layout, DWORD nRva, ULONGLONG& nOffset)
{
    for (const IMAGE_SECTION_HEADER& section : layout.sections) {
        const DWORD nEnd = section.VirtualAddress + section.SizeOfRawData;
        if (section.VirtualAddress <= nRva && nEnd > nRva) {
            nOffset = static_cast<ULONGLONG>(section.PointerToRawData) + (nRva - section.VirtualAddress);
            return true;
        }
    }
    return false;
}

struct RawDirectoryEntry
{
    DWORD nName;
    DWORD nOffset;
};

struct TreeWalk
{
    CFileBytes& bytes;
    const ImageLayout& layout;
    ULONGLONG nBase;
    std::size_t nEntries;
};

bool CheckName(TreeWalk& walk, DWORD nOffset)
{
    WORD nLength = 0;
    const ULONGLONG nAt = walk.nBase + nOffset;
    return walk.bytes.ReadValue(nAt, nLength) && walk.bytes.Contains(nAt + sizeof(nLength), nLength * 2ull);
}

// An address in no section gives the platform no data, which it handles;
// one in a section must have all its bytes in the file. LoadImage walks an
// icon group's entries by the count it holds.
bool CheckData(TreeWalk& walk, DWORD nOffset, WORD nType)
{
    IMAGE_RESOURCE_DATA_ENTRY entry = {};
    if (!walk.bytes.ReadValue(walk.nBase + nOffset, entry))
        return false;
    ULONGLONG nDataAt = 0;
    if (!FindSectionOffset(walk.layout, entry.OffsetToData, nDataAt))
        return true;
    if (!walk.bytes.Contains(nDataAt, entry.Size))
        return false;
    if (nType != kGroupIconType)
        return true;
    WORD nCount = 0;
    return entry.Size >= kGroupHeaderSize && walk.bytes.ReadValue(nDataAt + 4, nCount)
        && kGroupHeaderSize + nCount * kGroupEntrySize <= entry.Size;
}

bool CheckDirectory(TreeWalk& walk, DWORD nOffset, int nLevel, WORD nType)
{
    IMAGE_RESOURCE_DIRECTORY directory = {};
    const ULONGLONG nAt = walk.nBase + nOffset;
    if (!walk.bytes.ReadValue(nAt, directory))
        return false;
    const std::size_t nCount = static_cast<std::size_t>(directory.NumberOfNamedEntries) + directory.NumberOfIdEntries;
    walk.nEntries += nCount;
    if (walk.nEntries > kMaxEntries)
        return false;
    std::vector<RawDirectoryEntry> entries(nCount);
    if (nCount > 0 && !walk.bytes.Read(nAt + sizeof(directory), entries.data(), nCount * sizeof(RawDirectoryEntry)))
        return false;
    for (const RawDirectoryEntry& entry : entries) {
        const bool bNamed = (entry.nName & kHighBit) != 0;
        if (bNamed && !CheckName(walk, entry.nName & ~kHighBit))
            return false;
        const WORD nEntryType = nLevel == 0 ? (bNamed ? 0 : LOWORD(entry.nName)) : nType;
        const bool bDirectory = (entry.nOffset & kHighBit) != 0;
        // Types and names lead to directories, languages to data; the
        // platform follows each offset as what its level expects.
        const bool bSound = nLevel < kLanguageLevel
            ? bDirectory && CheckDirectory(walk, entry.nOffset & ~kHighBit, nLevel + 1, nEntryType)
            : !bDirectory && CheckData(walk, entry.nOffset, nEntryType);
        if (!bSound)
            return false;
    }
    return true;
}

// A resource directory below the headers' size is read where the address
// says, as the platform reads it; one in no section is no directory.
bool CheckResources(CFileBytes& bytes, const ImageLayout& layout)
{
    const DWORD nRva = layout.resources.VirtualAddress;
    if (nRva == 0)
        return true;
    ULONGLONG nBase = nRva;
    if (nRva >= layout.nSizeOfHeaders && !FindSectionOffset(layout, nRva, nBase))
        return true;
    TreeWalk walk = { bytes, layout, nBase, 0 };
    return CheckDirectory(walk, 0, 0, 0);
}

} // namespace

bool IsResourceImageSound(const wchar_t* pszPath)
{
    CFileBytes bytes(pszPath);
    ImageLayout layout;
    return bytes.IsOpen() && ReadLayout(bytes, layout) && CheckResources(bytes, layout);
}
