#pragma once

#include "settings/CRecord.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace bench {

// A list of tools as a user with a big list has it: every entry filled in,
// each with its own folder, so that nothing in it is shared or short.
inline std::vector<std::unique_ptr<CRecord>> MakeTools(ULONG nCount)
{
    std::vector<std::unique_ptr<CRecord>> tools;
    for (ULONG n = 1; n <= nCount; ++n) {
        auto record = std::make_unique<CRecord>();
        const std::wstring number = std::to_wstring(n);
        record->SetName((L"Werkzeug " + number).c_str());
        record->SetPath((L"C:\\Programme\\Werkzeug" + number + L"\\werkzeug.exe").c_str());
        record->SetParam(L"/fenster \"C:\\Daten\\Eingang\"");
        record->SetWorking((L"C:\\Programme\\Werkzeug" + number).c_str());
        record->SetDescription(L"Ein Werkzeug mit einer langen Beschreibung f\u00fcr die Liste");
        record->SetIconFile((L"C:\\Programme\\Werkzeug" + number + L"\\werkzeug.exe").c_str());
        record->SetShow(1);
        record->SetIconIndex(static_cast<LONG>(n % 4));
        tools.push_back(std::move(record));
    }
    return tools;
}

// A bench's scratch folder under the temporary folder, named for this run.
inline std::wstring MakeFolder(const std::wstring& name)
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring folder = szTemp + name + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Takes a bench's scratch folder away with all it holds.
inline void RemoveFolder(const std::wstring& folder)
{
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

} // namespace bench
