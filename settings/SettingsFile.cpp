#include "settings/SettingsFile.h"

#include "foundation/CSplitPath.h"
#include "foundation/ScopedDC.h"
#include "foundation/WideFormat.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"

#include <cwchar>

using tessvald::CClientDC;
using tessvald::string::CSplitPath;
using tessvald::string::TextEquals;

namespace {

constexpr DWORD kValueSize = 1024;
constexpr DWORD kFaceNameSize = 32;

int DesktopDpi()
{
    CClientDC dc(GetDesktopWindow());
    return dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

} // namespace

bool SetupConfigFile()
{
    CSplitPath path(g_strModulePath.GetData());
    g_config.SetFileName(path.MakePath(L".ini", false));
    RememberConfigFileState();
    return true;
}

bool ReadRecord(CRecord* pRecord)
{
    if (pRecord == nullptr)
        return false;
    const wchar_t* pszSection = pRecord->m_strSection.GetData();
    wchar_t szValue[kValueSize] = {};
    LONG nNumber = 0;

    if (g_config.ReadString(pszSection, L"name", szValue, kValueSize))
        pRecord->SetName(szValue);
    if (g_config.ReadString(pszSection, L"path", szValue, kValueSize))
        pRecord->SetPath(szValue);
    if (g_config.ReadLong(pszSection, L"show", nNumber))
        pRecord->SetShow(nNumber);
    if (g_config.ReadString(pszSection, L"param", szValue, kValueSize))
        pRecord->SetParam(szValue);
    if (g_config.ReadString(pszSection, L"working", szValue, kValueSize))
        pRecord->SetWorking(szValue);
    if (g_config.ReadString(pszSection, L"description", szValue, kValueSize))
        pRecord->SetDescription(szValue);
    if (g_config.ReadString(pszSection, L"iconfile", szValue, kValueSize))
        pRecord->SetIconFile(szValue);
    if (g_config.ReadLong(pszSection, L"iconindex", nNumber))
        pRecord->SetIconIndex(nNumber);
    return true;
}

bool ReadToolCount(ULONG& nCount)
{
    ULONG nStored = 0;
    if (!g_config.ReadULong(L"tools", L"count", nStored))
        return false;
    // Readers loop up to the count: a hostile or garbled value must neither
    // run for hours nor produce command ids that wrap around.
    if (static_cast<LONG>(nStored) < 0)
        nCount = 0;
    else
        nCount = nStored > kMaxToolCount ? kMaxToolCount : nStored;
    return true;
}

void LoadIconOptions()
{
    wchar_t szValue[kValueSize] = {};
    if (!g_config.ReadString(L"tools", L"icons", szValue, kValueSize))
        return;
    if (TextEquals(szValue, L"large", true))
        g_bLargeIcons = true;
    else if (TextEquals(szValue, L"small", true))
        g_bLargeIcons = false;
}

void LoadFontOptions()
{
    g_config.ReadBool(L"tools", L"shortpath", g_bShortPath);
    g_config.ReadBool(L"tools", L"systemfont", g_bSystemFont);

    wchar_t szFace[kFaceNameSize] = {};
    if (g_config.ReadString(L"font", L"name", szFace, kFaceNameSize))
        std::wmemcpy(g_logFont.lfFaceName, szFace, kFaceNameSize);

    LONG nSize = 0;
    if (g_config.ReadLong(L"font", L"size", nSize))
        g_logFont.lfHeight = -MulDiv(nSize, DesktopDpi(), 72);

    bool bFlag = false;
    if (g_config.ReadBool(L"font", L"bold", bFlag))
        g_logFont.lfWeight = bFlag ? FW_BOLD : FW_NORMAL;
    if (g_config.ReadBool(L"font", L"italic", bFlag))
        g_logFont.lfItalic = bFlag ? 1 : 0;
    if (g_config.ReadBool(L"font", L"underline", bFlag))
        g_logFont.lfUnderline = bFlag ? 1 : 0;
}
