#include "support/Shortcut.h"

#include "resolve/CComRef.h"

#include <shlobj.h>

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

} // namespace testsupport
