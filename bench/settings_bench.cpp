// Times the two things the settings file must do fast: reading every tool's
// record, as each click on the tray icon does, and saving the whole list,
// as the list editor's "Speichern" does. Reads are timed right after a
// change of the file (it is parsed again) and with the file unchanged. For
// comparison, up to 100 tools, it also times both done key by key through
// the platform's profile functions, one call (and one opening of the file)
// per key.

#include "BenchTiming.h"
#include "BenchTools.h"

#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using bench::MedianMs;

using bench::MakeTools;

namespace {

constexpr int kRepeats = 7;

ULONG ReadAllTools()
{
    ULONG nCount = 0;
    ReadToolCount(nCount);
    ULONG nNamed = 0;
    CRecord record;
    for (ULONG n = 1; n <= nCount; ++n) {
        record.Reset();
        record.SetSection(L"tool%lu", n);
        ReadRecord(&record);
        if (!record.m_strName.IsEmpty())
            ++nNamed;
    }
    return nNamed;
}

ULONG ReadAllToolsKeyByKey()
{
    const wchar_t* const keys[] = { L"name", L"path", L"show", L"param", L"working", L"description", L"iconfile",
                                    L"iconindex" };
    const wchar_t* pszFile = g_config.GetFileName();
    wchar_t szValue[1025] = {};
    const ULONG nCount = GetPrivateProfileIntW(L"tools", L"count", 0, pszFile);
    ULONG nNamed = 0;
    for (ULONG n = 1; n <= nCount; ++n) {
        const std::wstring section = L"tool" + std::to_wstring(n);
        for (const wchar_t* pszKey : keys)
            GetPrivateProfileStringW(section.c_str(), pszKey, L"", szValue, 1025, pszFile);
        ++nNamed;
    }
    return nNamed;
}

// The old way of saving: delete the file, then one flushed profile write
// per key.
void SaveKeyByKey(const std::vector<CRecord*>& rows)
{
    DeleteFileW(g_config.GetFileName());
    g_config.WriteULong(L"tools", L"count", static_cast<ULONG>(rows.size()));
    SaveOptions(nullptr);
    for (CRecord* pRecord : rows) {
        const wchar_t* pszSection = pRecord->m_strSection.GetData();
        g_config.WriteString(pszSection, L"name", pRecord->m_strName.GetData());
        g_config.WriteString(pszSection, L"path", pRecord->m_strPath.GetData());
        g_config.WriteLong(pszSection, L"show", pRecord->m_nShow);
        g_config.WriteString(pszSection, L"param", pRecord->m_strParam.GetData());
        g_config.WriteString(pszSection, L"working", pRecord->m_strWorking.GetData());
        g_config.WriteString(pszSection, L"description", pRecord->m_strDescription.GetData());
        g_config.WriteString(pszSection, L"iconfile", pRecord->m_strIconFile.GetData());
        g_config.WriteLong(pszSection, L"iconindex", pRecord->m_nIconIndex);
    }
}

std::wstring MakeBenchFolder()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = std::wstring(szTemp) + L"ambertille-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void PrintRow(const wchar_t* pszWhat, ULONG nCount, double ms)
{
    std::printf("%5lu tools  %-34ls %10.2f ms\n", static_cast<unsigned long>(nCount), pszWhat, ms);
}

void RunSize(const std::wstring& folder, ULONG nCount)
{
    const std::wstring file = folder + L"\\tools" + std::to_wstring(nCount) + L".ini";
    g_config.SetFileName(file.c_str());
    auto tools = MakeTools(nCount);
    std::vector<CRecord*> rows;
    for (auto& tool : tools)
        rows.push_back(tool.get());

    PrintRow(L"save (whole file, one pass)", nCount,
             MedianMs(kRepeats, [&] { SaveToolList(rows.data(), nCount, nullptr); }));
    ULONG nRead = 0;
    // Naming the file again drops what was read of it, as a change would.
    PrintRow(L"read all, file just changed", nCount, MedianMs(kRepeats, [&] {
                 g_config.SetFileName(file.c_str());
                 nRead = ReadAllTools();
             }));
    PrintRow(L"read all, file unchanged", nCount, MedianMs(kRepeats, [&] { nRead = ReadAllTools(); }));
    if (nRead != nCount)
        std::printf("      read back only %lu tools\n", static_cast<unsigned long>(nRead));
    if (nCount <= 100) {
        PrintRow(L"read all, key by key (platform)", nCount, MedianMs(3, [&] { ReadAllToolsKeyByKey(); }));
        PrintRow(L"save, key by key (platform)", nCount, MedianMs(3, [&] { SaveKeyByKey(rows); }));
    }
    DeleteFileW(file.c_str());
}

} // namespace

int main()
{
    std::printf("Settings file: medians of %d runs (key by key: of 3)\n", kRepeats);
    std::printf("Targets: reading 100 tools within 8 ms; saving 1000 tools within 1000 ms\n");
    const std::wstring folder = MakeBenchFolder();
    for (ULONG nCount : { 10ul, 100ul, 1000ul })
        RunSize(folder, nCount);
    RemoveDirectoryW(folder.c_str());
    return 0;
}
