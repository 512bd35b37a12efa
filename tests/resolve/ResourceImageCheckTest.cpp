#include "foundation/ScopedHandle.h"
#include "resolve/CResourceLocator.h"
#include "resolve/ResourceImageCheck.h"
#include "resolve/ResourceModule.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using tessvald::CIconHandle;
using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;
using testsupport::ExeFolder;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

constexpr DWORD kHighBit = 0x80000000u;

template <class T>
T Get(const std::string& bytes, std::size_t nOffset)
{
    T value{};
    std::memcpy(&value, bytes.data() + nOffset, sizeof(T));
    return value;
}

template <class T>
void Put(std::string& bytes, std::size_t nOffset, T value)
{
    std::memcpy(&bytes[nOffset], &value, sizeof(T));
}

// Where the parts of an intact module lie, found the plain way so that the
// cases below can damage exactly one of them.
struct ModuleLayout
{
    std::size_t nNt = 0;
    std::size_t nOptional = 0;
    std::size_t nResourceEntry = 0;  // the data directory entry
    std::size_t nSectionTable = 0;
    std::vector<IMAGE_SECTION_HEADER> sections;
    std::size_t nRoot = 0;

    std::size_t FileOffset(DWORD nRva) const
    {
        for (const IMAGE_SECTION_HEADER& section : sections) {
            if (nRva >= section.VirtualAddress && nRva < section.VirtualAddress + section.SizeOfRawData)
                return section.PointerToRawData + (nRva - section.VirtualAddress);
        }
        return 0;
    }
};

ModuleLayout Layout(const std::string& bytes)
{
    ModuleLayout layout;
    layout.nNt = static_cast<std::size_t>(Get<LONG>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew)));
    const auto file = Get<IMAGE_FILE_HEADER>(bytes, layout.nNt + 4);
    layout.nOptional = layout.nNt + 4 + sizeof(IMAGE_FILE_HEADER);
    const bool b64 = Get<WORD>(bytes, layout.nOptional) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    layout.nResourceEntry = layout.nOptional
        + (b64 ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory))
        + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
    layout.nSectionTable = layout.nOptional + file.SizeOfOptionalHeader;
    for (WORD i = 0; i < file.NumberOfSections; ++i)
        layout.sections.push_back(Get<IMAGE_SECTION_HEADER>(bytes, layout.nSectionTable + i * sizeof(IMAGE_SECTION_HEADER)));
    layout.nRoot = layout.FileOffset(Get<IMAGE_DATA_DIRECTORY>(bytes, layout.nResourceEntry).VirtualAddress);
    return layout;
}

// The file offset of entry i of the directory at nDirectory.
std::size_t EntryOf(std::size_t nDirectory, std::size_t i)
{
    return nDirectory + sizeof(IMAGE_RESOURCE_DIRECTORY) + i * 8;
}

std::size_t RootTypeEntry(const std::string& bytes, const ModuleLayout& layout, WORD nType)
{
    const auto root = Get<IMAGE_RESOURCE_DIRECTORY>(bytes, layout.nRoot);
    for (std::size_t i = 0; i < static_cast<std::size_t>(root.NumberOfNamedEntries) + root.NumberOfIdEntries; ++i) {
        if (Get<DWORD>(bytes, EntryOf(layout.nRoot, i)) == nType)
            return EntryOf(layout.nRoot, i);
    }
    return 0;
}

std::size_t Below(const std::string& bytes, const ModuleLayout& layout, std::size_t nEntry)
{
    return layout.nRoot + (Get<DWORD>(bytes, nEntry + 4) & ~kHighBit);
}

// The data entry of the first name and language of a type.
std::size_t FirstDataEntry(const std::string& bytes, const ModuleLayout& layout, WORD nType)
{
    const std::size_t nNames = Below(bytes, layout, RootTypeEntry(bytes, layout, nType));
    const std::size_t nLanguages = Below(bytes, layout, EntryOf(nNames, 0));
    return Below(bytes, layout, EntryOf(nLanguages, 0));
}

std::size_t FirstData(const std::string& bytes, const ModuleLayout& layout, WORD nType)
{
    return layout.FileOffset(Get<DWORD>(bytes, FirstDataEntry(bytes, layout, nType)));
}

// What the tray and the entry editor do with a module: every icon group
// found and loaded. A fault here ends the test program.
int LoadEveryIcon(HMODULE hModule)
{
    int nLoaded = 0;
    CResourceLocator locator;
    for (LONG n = 0; n < 100 && locator.Locate(hModule, RT_GROUP_ICON, n); ++n) {
        CIconHandle icon(static_cast<HICON>(LoadImageW(hModule, locator.GetName(), IMAGE_ICON, 16, 16, 0)));
        nLoaded += icon ? 1 : 0;
    }
    return nLoaded;
}

struct Module
{
    const wchar_t* pszName;
    int nGroups;
};

const Module kModules[] = {
    { L"icongroups.dll", 3 },
    { L"icongroups32.dll", 3 },
    { L"ambertille.exe", 8 },
};

} // namespace

TEST(ResourceImageCheck, IntactModulesOfBothKindsLoadWithEveryIcon)
{
    for (const Module& module : kModules) {
        CModuleHandle handle = LoadResourceModule((ExeFolder() + L"\\" + module.pszName).c_str());
        ASSERT_TRUE(handle) << module.pszName;
        EXPECT_EQ(module.nGroups, LoadEveryIcon(handle.Get())) << module.pszName;
    }
}

// A copy cut short is refused wherever the cut falls within the headers or
// the resources; the cuts that are taken (beyond the resources) must give
// every icon. Neither may fault.
TEST(ResourceImageCheck, CopiesCutShortAreRefusedOrWhole)
{
    testsupport::CTempDir dir;
    const std::wstring cut = dir.File(L"cut.exe");
    for (const Module& module : kModules) {
        const std::string whole = ReadFileBytes(ExeFolder() + L"\\" + module.pszName);
        const ModuleLayout layout = Layout(whole);
        const IMAGE_SECTION_HEADER* pResources = nullptr;
        for (const IMAGE_SECTION_HEADER& section : layout.sections) {
            if (layout.nRoot >= section.PointerToRawData && layout.nRoot < section.PointerToRawData + section.SizeOfRawData)
                pResources = &section;
        }
        ASSERT_NE(nullptr, pResources) << module.pszName;
        // Up to here a cut falls into the tree or the first icon's data.
        const std::size_t nResourcesEnd = FirstData(whole, layout, 3) + 1;
        std::vector<std::size_t> sizes = { 0, 2, 63, 64, layout.nNt + 4, layout.nOptional + 2, layout.nResourceEntry + 4,
                                           layout.nSectionTable + 20, pResources->PointerToRawData, 3000,
                                           layout.nRoot + 20, nResourcesEnd };
        for (std::size_t nSize = 512; nSize < whole.size(); nSize += whole.size() / 60 + 1)
            sizes.push_back(nSize);
        for (const std::size_t nSize : sizes) {
            if (nSize >= whole.size())
                continue;
            ASSERT_TRUE(WriteFileBytes(cut, whole.substr(0, nSize)));
            CModuleHandle handle = LoadResourceModule(cut.c_str());
            const bool bWithinResources = nSize < pResources->PointerToRawData + 16 || nSize <= nResourcesEnd;
            if (bWithinResources) {
                EXPECT_FALSE(handle) << module.pszName << " cut to " << nSize;
            } else if (handle) {
                EXPECT_EQ(module.nGroups, LoadEveryIcon(handle.Get())) << module.pszName << " cut to " << nSize;
            }
        }
    }
}

// One part of an intact module made to point beyond the file, or to hold
// more than it has room for.
TEST(ResourceImageCheck, DamagedHeadersAndResourceTreesAreRefused)
{
    const std::string whole = ReadFileBytes(ExeFolder() + L"\\icongroups.dll");
    const ModuleLayout layout = Layout(whole);
    ASSERT_NE(0u, layout.nRoot);
    const DWORD nFar = 0x7FFFFFF0u;
    const std::size_t nGroupData = FirstData(whole, layout, 14);
    const std::size_t nIconData = FirstData(whole, layout, 3);
    const std::size_t nRootFirst = EntryOf(layout.nRoot, 0);
    ASSERT_NE(0u, Get<DWORD>(whole, nRootFirst) & kHighBit) << "the first type has a name";

    struct Case
    {
        const char* pszCase;
        std::function<void(std::string&)> damage;
        bool bRefused;
    };
    const Case cases[] = {
        { "no MZ", [&](std::string& b) { b[0] = 'X'; }, true },
        { "PE headers beyond the end", [&](std::string& b) { Put<LONG>(b, 0x3C, static_cast<LONG>(nFar)); }, true },
        { "PE headers before the start", [&](std::string& b) { Put<LONG>(b, 0x3C, -64); }, true },
        { "unknown optional header", [&](std::string& b) { Put<WORD>(b, layout.nOptional, 0x1234); }, true },
        { "optional header too small", [&](std::string& b) { Put<WORD>(b, layout.nNt + 4 + 16, 64); }, true },
        { "65535 sections", [&](std::string& b) { Put<WORD>(b, layout.nNt + 4 + 2, 0xFFFF); }, true },
        { "resource section beyond the end",
          [&](std::string& b) {
              for (std::size_t i = 0; i < layout.sections.size(); ++i) {
                  const std::size_t nAt = layout.nSectionTable + i * sizeof(IMAGE_SECTION_HEADER);
                  if (layout.sections[i].PointerToRawData <= layout.nRoot
                      && layout.nRoot < layout.sections[i].PointerToRawData + layout.sections[i].SizeOfRawData)
                      Put<DWORD>(b, nAt + offsetof(IMAGE_SECTION_HEADER, PointerToRawData), nFar);
              }
          },
          true },
        { "65535 types", [&](std::string& b) { Put<WORD>(b, layout.nRoot + 14, 0xFFFF); }, true },
        { "a type's names beyond the end", [&](std::string& b) { Put<DWORD>(b, nRootFirst + 4, nFar | kHighBit); }, true },
        { "a type's names as data", [&](std::string& b) { Put<DWORD>(b, nRootFirst + 4, Get<DWORD>(b, nRootFirst + 4) & ~kHighBit); }, true },
        { "a type name beyond the end", [&](std::string& b) { Put<DWORD>(b, nRootFirst, nFar | kHighBit); }, true },
        { "a type name longer than the file",
          [&](std::string& b) { Put<WORD>(b, layout.nRoot + (Get<DWORD>(b, nRootFirst) & ~kHighBit), 0xFFFF); }, true },
        { "a data entry beyond the end",
          [&](std::string& b) {
              const std::size_t nNames = Below(b, layout, RootTypeEntry(b, layout, 14));
              const std::size_t nLanguages = Below(b, layout, EntryOf(nNames, 0));
              Put<DWORD>(b, EntryOf(nLanguages, 0) + 4, nFar);
          },
          true },
        { "a language leading to a directory",
          [&](std::string& b) {
              const std::size_t nNames = Below(b, layout, RootTypeEntry(b, layout, 14));
              const std::size_t nLanguages = Below(b, layout, EntryOf(nNames, 0));
              Put<DWORD>(b, EntryOf(nLanguages, 0) + 4, Get<DWORD>(b, EntryOf(nLanguages, 0) + 4) | kHighBit);
          },
          true },
        { "icon data larger than the file",
          [&](std::string& b) { Put<DWORD>(b, FirstDataEntry(b, layout, 3) + 4, nFar); }, true },
        { "an icon group counting 65535 icons", [&](std::string& b) { Put<WORD>(b, nGroupData + 4, 0xFFFF); }, true },
        { "an icon group shorter than its header",
          [&](std::string& b) { Put<DWORD>(b, FirstDataEntry(b, layout, 14) + 4, 4); }, true },
        { "an optional header that ends before its resource entry",
          [&](std::string& b) {
              Put<WORD>(b, layout.nNt + 4 + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader),
                        static_cast<WORD>(layout.nResourceEntry - layout.nOptional + 4));
          },
          true },
        { "icon data claiming a huge bitmap",
          [&](std::string& b) {
              Put<LONG>(b, nIconData + 4, 30000);
              Put<LONG>(b, nIconData + 8, 60000);
          },
          false },
        { "no resource directory", [&](std::string& b) { Put<DWORD>(b, layout.nResourceEntry, 0); }, false },
    };
    testsupport::CTempDir dir;
    const std::wstring damaged = dir.File(L"damaged.dll");
    for (const Case& c : cases) {
        std::string bytes = whole;
        c.damage(bytes);
        ASSERT_TRUE(WriteFileBytes(damaged, bytes));
        CModuleHandle handle = LoadResourceModule(damaged.c_str());
        EXPECT_EQ(c.bRefused, !handle) << c.pszCase;
        if (handle) {
            LoadEveryIcon(handle.Get());
        }
    }
}

namespace {

// A module of headers and one resource section alone whose tree fans out
// n types, each with the same n names, each with the same n languages
// leading to one empty data entry: n + n² + n³ entries to walk, in a file
// of a few hundred bytes.
std::string FanOutModule(DWORD n)
{
    constexpr DWORD kHeaders = 0x200;
    constexpr DWORD kSectionRva = 0x1000;
    std::string bytes(kHeaders, '\0');
    Put<WORD>(bytes, 0, IMAGE_DOS_SIGNATURE);
    Put<LONG>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew), 0x40);
    Put<DWORD>(bytes, 0x40, IMAGE_NT_SIGNATURE);
    IMAGE_FILE_HEADER file = {};
    file.Machine = IMAGE_FILE_MACHINE_AMD64;
    file.NumberOfSections = 1;
    file.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER64);
    Put(bytes, 0x44, file);
    IMAGE_OPTIONAL_HEADER64 optional = {};
    optional.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    optional.SizeOfHeaders = kHeaders;
    optional.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE] = { kSectionRva, 0 };
    const std::size_t nOptionalAt = 0x44 + sizeof(file);
    Put(bytes, nOptionalAt, optional);

    // Three directories of n entries each, then the data entry.
    const DWORD nDirectorySize = static_cast<DWORD>(sizeof(IMAGE_RESOURCE_DIRECTORY) + n * 8);
    const DWORD nDataEntry = 3 * nDirectorySize;
    std::string tree;
    for (DWORD nLevel = 0; nLevel < 3; ++nLevel) {
        IMAGE_RESOURCE_DIRECTORY directory = {};
        directory.NumberOfIdEntries = static_cast<WORD>(n);
        tree.append(reinterpret_cast<const char*>(&directory), sizeof(directory));
        const DWORD nBelow = nLevel < 2 ? ((nLevel + 1) * nDirectorySize) | kHighBit : nDataEntry;
        for (DWORD i = 0; i < n; ++i) {
            const DWORD entry[2] = { 1000 + i, nBelow };
            tree.append(reinterpret_cast<const char*>(entry), sizeof(entry));
        }
    }
    const IMAGE_RESOURCE_DATA_ENTRY data = { kSectionRva, 0, 0, 0 };
    tree.append(reinterpret_cast<const char*>(&data), sizeof(data));

    IMAGE_SECTION_HEADER section = {};
    section.VirtualAddress = kSectionRva;
    section.Misc.VirtualSize = static_cast<DWORD>(tree.size());
    section.SizeOfRawData = static_cast<DWORD>(tree.size());
    section.PointerToRawData = kHeaders;
    Put(bytes, nOptionalAt + sizeof(optional), section);
    return bytes + tree;
}

} // namespace

// A tree made to keep the check busy is refused by its count of entries
// alone: 39 to a directory (60,879 in all) is walked, 40 (65,640) is not.
TEST(ResourceImageCheck, TreesWithMoreEntriesThanAnyProgramAreRefused)
{
    testsupport::CTempDir dir;
    const std::wstring path = dir.File(L"fanout.dll");
    for (const auto& c : { std::make_pair(39u, true), std::make_pair(40u, false) }) {
        ASSERT_TRUE(WriteFileBytes(path, FanOutModule(c.first)));
        EXPECT_EQ(c.second, IsResourceImageSound(path.c_str())) << c.first << " to a directory";
    }
}
