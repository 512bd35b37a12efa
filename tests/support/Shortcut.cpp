#include "support/Shortcut.h"

#include "resolve/CComRef.h"
#include "support/TempDir.h"

#include <shlobj.h>

#include <cstring>

using tessvald::shelllink::CComRef;

namespace testsupport {

namespace {

bool SetTarget(IShellLinkW* pLink, const ShortcutContents& contents)
{
    if (!contents.virtualTarget)
        return SUCCEEDED(pLink->SetPath(contents.target.c_str()));
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl)))
        return false;
    const bool bSet = SUCCEEDED(pLink->SetIDList(pidl));
    CoTaskMemFree(pidl);
    return bSet;
}

} // namespace

bool WriteShortcut(const std::wstring& linkPath, const ShortcutContents& contents)
{
    CComRef<IShellLinkW> link;
    CComRef<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.Receive())))
        return false;
    if (!SetTarget(link.Get(), contents))
        return false;
    link->SetArguments(contents.arguments.c_str());
    link->SetWorkingDirectory(contents.workingDirectory.c_str());
    link->SetDescription(contents.description.c_str());
    if (!contents.iconFile.empty())
        link->SetIconLocation(contents.iconFile.c_str(), contents.iconIndex);
    link->SetShowCmd(contents.showCmd);
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())))
        return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool AddHeaderFlags(const std::wstring& linkPath, DWORD nFlags)
{
    constexpr std::size_t kFlagsAt = 20;
    std::string bytes = ReadFileBytes(linkPath);
    if (bytes.size() < 76)
        return false;
    DWORD nHeaderFlags = 0;
    std::memcpy(&nHeaderFlags, &bytes[kFlagsAt], sizeof(nHeaderFlags));
    nHeaderFlags |= nFlags;
    std::memcpy(&bytes[kFlagsAt], &nHeaderFlags, sizeof(nHeaderFlags));
    return WriteFileBytes(linkPath, bytes);
}

DWORD ReportedFlags(const std::wstring& linkPath)
{
    CComRef<IShellLinkW> link;
    CComRef<IPersistFile> file;
    CComRef<IShellLinkDataList> data;
    DWORD nFlags = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Receive()))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Receive()))
        && SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))
        && SUCCEEDED(link->QueryInterface(IID_IShellLinkDataList, data.Receive())))
        data->GetFlags(&nFlags);
    return nFlags;
}

} // namespace testsupport
