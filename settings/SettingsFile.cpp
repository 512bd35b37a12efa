#include "settings/SettingsFile.h"

#include "foundation/CSplitPath.h"
#include "foundation/ScopedDC.h"
#include "foundation/WideFormat.h"
#include "settings/CConfig.h"
#include "settings/CProfileText.h"
#include "settings/CRecord.h"
#include "settings/CReplacementFile.h"
#include "settings/DisplayOptions.h"
#include "settings/HotkeyText.h"
#include "settings/ProfileFormat.h"
#include "settings/SettingsBackup.h"
#include "settings/SettingsLayout.h"
#include "tray/AppGlobals.h"
#include "tray/ConfigFileWatch.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

using tessvald::CClientDC;
using tessvald::string::CSplitPath;
using tessvald::string::FormatBuffer;
using tessvald::string::TextEquals;

namespace {

constexpr DWORD kValueSize = 1024;
constexpr DWORD kFaceNameSize = 32;
constexpr DWORD kNumberSize = 20;
constexpr int kDefaultDpi = 96;

// A window without a device context, or a context that reports no
// resolution, must not turn every font size into 0 or -1.
int WindowDpi(HWND hWnd)
{
    CClientDC dc(hWnd);
    const int nDpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    return nDpi > 0 ? nDpi : kDefaultDpi;
}

// One option key with its value as text. The settings file stores the
// options in this order; both the options-only save and the whole-file
// save take them from here.
struct OptionValue
{
    const wchar_t* pszSection;
    const wchar_t* pszKey;
    wchar_t szValue[kFaceNameSize];
    // An empty value means "none" and must take the key away, rather than
    // leave the one written before ("hotkey"); for the others an empty
    // value is never written and the stored one stays.
    bool bRemoveWhenEmpty;
};

constexpr std::size_t kOptionCount = 9;

const wchar_t* BoolWord(bool bValue)
{
    return bValue ? L"TRUE" : L"FALSE";
}

void SetOption(OptionValue& option, const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue)
{
    option.pszSection = pszSection;
    option.pszKey = pszKey;
    FormatBuffer(option.szValue, kFaceNameSize, L"%s", pszValue);
    option.bRemoveWhenEmpty = false;
}

void MakeOptionValues(int nDpi, OptionValue (&options)[kOptionCount])
{
    // A face name that fills all 32 characters has no terminator; the file
    // takes at most 31, as the reader does.
    wchar_t szFace[kFaceNameSize] = {};
    const wchar_t* pszFace = g_logFont.lfFaceName;
    std::copy(pszFace, std::find(pszFace, pszFace + kFaceNameSize - 1, L'\0'), szFace);
    wchar_t szSize[kNumberSize] = {};
    FormatBuffer(szSize, kNumberSize, L"%ld", static_cast<long>(FontPointsFromHeight(g_logFont.lfHeight, nDpi)));

    SetOption(options[0], kToolsSection, L"shortpath", BoolWord(g_bShortPath));
    SetOption(options[1], kToolsSection, L"systemfont", BoolWord(g_bSystemFont));
    SetOption(options[2], kToolsSection, L"icons", g_bLargeIcons ? L"large" : L"small");
    // No shortcut is the default and leaves no key, so files without one
    // read the same in every version.
    SetOption(options[3], kToolsSection, L"hotkey", FormatHotkeyText(g_nHotkeyModifiers, g_nHotkeyKey).c_str());
    options[3].bRemoveWhenEmpty = true;
    SetOption(options[4], kFontSection, L"name", szFace);
    SetOption(options[5], kFontSection, L"size", szSize);
    SetOption(options[6], kFontSection, L"bold", BoolWord(g_logFont.lfWeight == FW_BOLD));
    SetOption(options[7], kFontSection, L"italic", BoolWord(g_logFont.lfItalic == 1));
    SetOption(options[8], kFontSection, L"underline", BoolWord(g_logFont.lfUnderline == 1));
}

void AddRecord(CProfileText& text, const CRecord& record)
{
    const wchar_t* pszSection = record.m_strSection.GetData();
    for (const SToolField& field : kToolFields) {
        switch (field.eKind) {
        case EToolFieldKind::Text:
            text.AddValue(pszSection, field.pszKey, (record.*field.pText).GetData());
            break;
        case EToolFieldKind::Number:
            text.AddValue(pszSection, field.pszKey, std::to_wstring(record.*field.pNumber).c_str());
            break;
        case EToolFieldKind::Flag:
            if (record.*field.pFlag)
                text.AddValue(pszSection, field.pszKey, L"TRUE");
            break;
        }
    }
    for (const auto& key : record.m_extraKeys)
        text.AddValue(pszSection, key.first.c_str(), key.second.c_str());
}

void ReadField(const wchar_t* pszSection, const SToolField& field, CRecord& record)
{
    wchar_t szValue[kValueSize] = {};
    LONG nNumber = 0;
    bool bFlag = false;
    switch (field.eKind) {
    case EToolFieldKind::Text:
        if (g_config.ReadString(pszSection, field.pszKey, szValue, kValueSize))
            (record.*field.pText).Assign(szValue);
        break;
    case EToolFieldKind::Number:
        if (g_config.ReadLong(pszSection, field.pszKey, nNumber))
            record.*field.pNumber = nNumber;
        break;
    case EToolFieldKind::Flag:
        if (g_config.ReadBool(pszSection, field.pszKey, bFlag))
            record.*field.pFlag = bFlag;
        break;
    }
}

// A value the reader would refuse must not be written: it would be gone
// at the next reading, and the save after that would drop it for good.
bool HasOverlongValue(CRecord* const* ppRecords, ULONG nRows)
{
    for (ULONG i = 0; i < nRows; ++i) {
        if (ppRecords[i] != nullptr && FindOverlongField(*ppRecords[i]) != nullptr)
            return true;
    }
    return false;
}

// "count", the options, then one section per row numbered from 1; a row
// without a record keeps its number unused.
std::wstring MakeSettingsText(CRecord* const* ppRecords, ULONG nRows, int nDpi)
{
    CProfileText text;
    text.AddValue(kToolsSection, kCountKey, std::to_wstring(nRows).c_str());
    OptionValue options[kOptionCount];
    MakeOptionValues(nDpi, options);
    for (const OptionValue& option : options)
        text.AddValue(option.pszSection, option.pszKey, option.szValue);
    for (ULONG i = 0; i < nRows; ++i) {
        CRecord* pRecord = ppRecords[i];
        if (pRecord == nullptr)
            continue;
        SetToolSection(*pRecord, i + 1);
        AddRecord(text, *pRecord);
    }
    return text.GetText();
}

bool HasConfigFileName()
{
    if (g_config.GetFileName() != nullptr && g_config.GetFileName()[0] != L'\0')
        return true;
    SetLastError(ERROR_INVALID_NAME);
    return false;
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
    CConfigReadBatch batch(g_config);
    for (const SToolField& field : kToolFields)
        ReadField(pszSection, field, *pRecord);
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    g_config.ReadSectionKeys(pszSection, keys);
    pRecord->m_extraKeys.clear();
    for (auto& key : keys) {
        if (!IsToolFieldKey(key.first.c_str()))
            pRecord->m_extraKeys.push_back(std::move(key));
    }
    return true;
}

bool ReadToolCount(ULONG& nCount)
{
    nCount = 0;
    CConfigReadBatch batch(g_config);
    ULONG nStored = 0;
    if (!g_config.ReadULong(kToolsSection, kCountKey, nStored))
        return false;
    // Readers loop up to the count: a hostile or garbled value must neither
    // run for hours nor produce command ids that wrap around.
    if (static_cast<LONG>(nStored) < 0)
        return true;
    // Every number up to the count becomes an entry, a missing section an
    // empty one; a typo such as 100000 would fill the menu with empty
    // entries for minutes. Gaps below the last section stay as they are.
    const ULONG nHighest = g_config.ReadHighestSectionNumber(kToolSectionPrefix);
    nCount = std::min({ nStored, nHighest, kMaxToolCount });
    return true;
}

void LoadIconOptions()
{
    wchar_t szValue[kValueSize] = {};
    if (!g_config.ReadString(kToolsSection, L"icons", szValue, kValueSize))
        return;
    if (TextEquals(szValue, L"large", true))
        g_bLargeIcons = true;
    else if (TextEquals(szValue, L"small", true))
        g_bLargeIcons = false;
}

void LoadFontOptions()
{
    CConfigReadBatch batch(g_config);
    g_config.ReadBool(kToolsSection, L"shortpath", g_bShortPath);
    g_config.ReadBool(kToolsSection, L"systemfont", g_bSystemFont);

    wchar_t szFace[kFaceNameSize] = {};
    if (g_config.ReadString(kFontSection, L"name", szFace, kFaceNameSize))
        std::wmemcpy(g_logFont.lfFaceName, szFace, kFaceNameSize);

    LONG nSize = 0;
    if (g_config.ReadLong(kFontSection, L"size", nSize))
        g_logFont.lfHeight = FontHeightFromPoints(nSize, WindowDpi(GetDesktopWindow()));

    bool bFlag = false;
    if (g_config.ReadBool(kFontSection, L"bold", bFlag))
        g_logFont.lfWeight = bFlag ? FW_BOLD : FW_NORMAL;
    if (g_config.ReadBool(kFontSection, L"italic", bFlag))
        g_logFont.lfItalic = bFlag ? 1 : 0;
    if (g_config.ReadBool(kFontSection, L"underline", bFlag))
        g_logFont.lfUnderline = bFlag ? 1 : 0;
}

void LoadHotkeyOption()
{
    g_nHotkeyModifiers = 0;
    g_nHotkeyKey = 0;
    wchar_t szValue[kValueSize] = {};
    if (g_config.ReadString(kToolsSection, L"hotkey", szValue, kValueSize))
        ParseHotkeyText(szValue, g_nHotkeyModifiers, g_nHotkeyKey);
}

bool SaveOptions(HWND hWnd)
{
    if (!HasConfigFileName())
        return false;
    OptionValue options[kOptionCount];
    MakeOptionValues(WindowDpi(hWnd), options);
    std::vector<SProfileValue> values;
    for (const OptionValue& option : options) {
        // An empty value keeps the stored one, but for a key that an empty
        // value means to take away.
        if (option.szValue[0] != L'\0' || option.bRemoveWhenEmpty)
            values.push_back({ option.pszSection, option.pszKey, option.szValue, false });
    }
    return g_config.WriteValues(values);
}

bool SaveToolList(CRecord* const* ppRecords, ULONG nRows, HWND hWnd)
{
    if (ppRecords == nullptr && nRows != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!HasConfigFileName())
        return false;
    if (HasOverlongValue(ppRecords, nRows)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return SaveSettingsText(g_config.GetFileName(), MakeSettingsText(ppRecords, nRows, WindowDpi(hWnd)));
}
