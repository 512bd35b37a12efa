// The resources of the built program file: version information, icons and
// the manifest, read from the file as Windows reads them.
#include "support/Contrast.h"
#include "support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::wstring ProgramPath()
{
    return ExeFolder() + L"\\ambertille.exe";
}

// The program file loaded for its resources only.
class CResourceModule
{
public:
    CResourceModule()
        : m_hModule(LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    CResourceModule(const CResourceModule&) = delete;
    CResourceModule& operator=(const CResourceModule&) = delete;
    virtual ~CResourceModule()
    {
        if (m_hModule != nullptr)
            FreeLibrary(m_hModule);
    }
    HMODULE Get() const { return m_hModule; }

    std::vector<BYTE> Raw(LPCWSTR pszType, LPCWSTR pszName) const
    {
        HRSRC hInfo = FindResourceW(m_hModule, pszName, pszType);
        if (hInfo == nullptr)
            return {};
        const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(m_hModule, hInfo)));
        return std::vector<BYTE>(pData, pData + SizeofResource(m_hModule, hInfo));
    }

private:
    HMODULE m_hModule;
};

#pragma pack(push, 2)
struct GroupIconHeader
{
    WORD idReserved;
    WORD idType;
    WORD idCount;
};
struct GroupIconEntry
{
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

// The alpha values of an icon's image at the given size, row by row from
// the top.
std::vector<BYTE> IconAlpha(HMODULE hModule, int nId, int nSize, std::vector<DWORD>* pColours)
{
    HICON hIcon = static_cast<HICON>(LoadImageW(hModule, MAKEINTRESOURCEW(nId), IMAGE_ICON, nSize, nSize, 0));
    if (hIcon == nullptr)
        return {};
    ICONINFO info = {};
    GetIconInfo(hIcon, &info);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = nSize;
    bmi.bmiHeader.biHeight = -nSize;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(nSize) * nSize);
    HDC hDC = GetDC(nullptr);
    GetDIBits(hDC, info.hbmColor, 0, nSize, pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hDC);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(hIcon);
    std::vector<BYTE> alpha;
    for (DWORD pixel : pixels)
        alpha.push_back(static_cast<BYTE>(pixel >> 24));
    *pColours = pixels;
    return alpha;
}

} // namespace

TEST(ProgramResources, VersionInformationForTheAboutBox)
{
    const std::wstring path = ProgramPath();
    DWORD nHandle = 0;
    const DWORD nSize = GetFileVersionInfoSizeW(path.c_str(), &nHandle);
    ASSERT_NE(0u, nSize);
    std::vector<BYTE> block(nSize);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, nSize, block.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT nLength = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&pFixed), &nLength));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), nLength);
    EXPECT_EQ(MAKELONG(0, 2), static_cast<LONG>(pFixed->dwFileVersionMS));
    EXPECT_EQ(MAKELONG(42, 5), static_cast<LONG>(pFixed->dwFileVersionLS));
    EXPECT_EQ(pFixed->dwFileVersionMS, pFixed->dwProductVersionMS);
    EXPECT_EQ(pFixed->dwFileVersionLS, pFixed->dwProductVersionLS);

    WORD* pTranslation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                               &nLength));
    ASSERT_EQ(4u, nLength);  // exactly one language and code page
    EXPECT_EQ(0x0407, pTranslation[0]);
    EXPECT_EQ(0x04B0, pTranslation[1]);

    const std::map<std::wstring, std::wstring> expected = {
        { L"Comments", L"Ein Werkzeug zum Laden von Programmen \u00fcber die Tray-Icon-Leiste." },
        { L"FileDescription", L"Ambertille" },
        { L"InternalName", L"Ambertille" },
        { L"ProductName", L"Ambertille" },
        { L"FileVersion", L"2, 0, 5, 42" },
        { L"ProductVersion", L"2, 0, 5, 42" },
        { L"CompanyName", L"Tessvald" },
        { L"LegalCopyright", L"Copyright \u00a9 2026" },
        { L"OriginalFilename", L"ambertille.exe" },
    };
    for (const auto& value : expected) {
        SCOPED_TRACE(value.first);
        wchar_t* pszText = nullptr;
        const std::wstring key = L"\\StringFileInfo\\040704B0\\" + value.first;
        ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&pszText), &nLength));
        EXPECT_EQ(value.second, std::wstring(pszText));
    }
    for (const wchar_t* pszAbsent : { L"PrivateBuild", L"SpecialBuild", L"LegalTrademarks" }) {
        wchar_t* pszText = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040704B0\\") + pszAbsent;
        EXPECT_FALSE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&pszText), &nLength))
            << "unexpected " << pszAbsent;
    }
}

TEST(ProgramResources, EveryIconGroupHasFourSizesWithAlphaAndMask)
{
    CResourceModule program;
    ASSERT_NE(nullptr, program.Get());
    for (int nGroup = 101; nGroup <= 108; ++nGroup) {
        SCOPED_TRACE(nGroup);
        const std::vector<BYTE> group = program.Raw(RT_GROUP_ICON, MAKEINTRESOURCEW(nGroup));
        ASSERT_GE(group.size(), sizeof(GroupIconHeader));
        GroupIconHeader header;
        std::memcpy(&header, group.data(), sizeof(header));
        ASSERT_EQ(4, header.idCount);
        ASSERT_EQ(sizeof(header) + 4 * sizeof(GroupIconEntry), group.size());
        std::vector<int> sizes;
        for (int i = 0; i < header.idCount; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, group.data() + sizeof(header) + i * sizeof(entry), sizeof(entry));
            sizes.push_back(entry.bWidth);
            EXPECT_EQ(entry.bWidth, entry.bHeight);
            EXPECT_EQ(32, entry.wBitCount);

            // The image: a 32-bit bitmap of twice the height (colour and
            // mask), the mask set exactly where the picture is transparent.
            const std::vector<BYTE> image = program.Raw(RT_ICON, MAKEINTRESOURCEW(entry.nId));
            BITMAPINFOHEADER bih;
            ASSERT_GE(image.size(), sizeof(bih));
            std::memcpy(&bih, image.data(), sizeof(bih));
            const int s = entry.bWidth;
            EXPECT_EQ(s, bih.biWidth);
            EXPECT_EQ(2 * s, bih.biHeight);
            EXPECT_EQ(32, bih.biBitCount);
            const size_t nMaskStride = ((s + 31) / 32) * 4;
            ASSERT_EQ(sizeof(bih) + s * s * 4 + nMaskStride * s, image.size());
            const BYTE* pColour = image.data() + sizeof(bih);
            const BYTE* pMask = pColour + s * s * 4;
            int nOpaque = 0;
            int nMaskErrors = 0;
            for (int y = 0; y < s; ++y) {
                for (int x = 0; x < s; ++x) {
                    const BYTE alpha = pColour[(y * s + x) * 4 + 3];
                    const bool bMasked = (pMask[y * nMaskStride + x / 8] & (0x80 >> (x % 8))) != 0;
                    nOpaque += alpha == 255 ? 1 : 0;
                    nMaskErrors += bMasked != (alpha == 0) ? 1 : 0;
                }
            }
            EXPECT_GT(nOpaque, s * s / 20) << "size " << s;
            EXPECT_LT(nOpaque, s * s) << "size " << s;
            EXPECT_EQ(0, nMaskErrors) << "size " << s;
        }
        EXPECT_EQ((std::vector<int>{ 16, 24, 32, 48 }), sizes);
    }
}

TEST(ProgramResources, MoveButtonIconsArePixelExact)
{
    // Rows of the 16-pixel arrow up: (first column, width) of the black run.
    std::map<int, std::pair<int, int>> up = {
        { 4, { 7, 2 } }, { 5, { 6, 4 } }, { 6, { 5, 6 } }, { 7, { 4, 8 } }, { 8, { 3, 10 } },
        { 10, { 3, 10 } }, { 11, { 3, 10 } },
    };
    CResourceModule program;
    ASSERT_NE(nullptr, program.Get());
    for (int nId : { 106, 107 }) {
        SCOPED_TRACE(nId);
        std::vector<DWORD> colours;
        const std::vector<BYTE> alpha = IconAlpha(program.Get(), nId, 16, &colours);
        ASSERT_EQ(256u, alpha.size());
        for (int y = 0; y < 16; ++y) {
            const int nRow = nId == 106 ? y : 15 - y;  // 107 is 106 upside down
            for (int x = 0; x < 16; ++x) {
                const auto it = up.find(nRow);
                const bool bBlack = it != up.end() && x >= it->second.first && x < it->second.first + it->second.second;
                EXPECT_EQ(bBlack ? 255 : 0, alpha[y * 16 + x]) << "pixel " << x << "," << y;
                if (bBlack) {
                    EXPECT_EQ(0u, colours[y * 16 + x] & 0x00FFFFFFu) << "pixel " << x << "," << y;
                }
            }
        }
    }
}

// Per-monitor awareness (version 2) where the system knows it, from
// Windows 10 1703 on; older systems read the older entry and scale the
// program as a whole for the primary monitor's DPI.
TEST(ProgramResources, ManifestAsksForCommonControlsAndDpiAwareness)
{
    CResourceModule program;
    ASSERT_NE(nullptr, program.Get());
    const std::vector<BYTE> raw = program.Raw(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(raw.empty());
    const std::string manifest(raw.begin(), raw.end());
    for (const char* pszPart :
         { "level=\"asInvoker\"", "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
           "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>" }) {
        EXPECT_NE(std::string::npos, manifest.find(pszPart)) << pszPart;
    }

    // This test program carries the same resources: the manifest is
    // honoured, so the dialogs' controls come from the version 6 assembly
    // and text stays sharp on scaled screens.
    EXPECT_TRUE(IsProcessDPIAware());
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof(redirection);
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &redirection));
    HMODULE hComCtl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(nullptr, hComCtl);
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(hComCtl, szPath, MAX_PATH);
    FreeLibrary(hComCtl);
    EXPECT_NE(nullptr, wcsstr(szPath, L"common-controls_6595b64144ccf1df_6.")) << szPath;
}

// The notification icon of each task bar mode stands out on that bar: the
// median pixel of its body at least 3:1 against it, at the sizes of 100,
// 150 and 200 %.
TEST(ProgramResources, TheNotificationIconsStandOutOnTheirTaskBars)
{
    CResourceModule program;
    ASSERT_NE(nullptr, program.Get());
    const struct
    {
        int nId;
        COLORREF nBar;
    } cases[] = {
        { 101, RGB(0x20, 0x20, 0x20) },  // the amber tile on a dark bar
        { 108, RGB(0xF3, 0xF3, 0xF3) },  // the deeper one on a light bar
    };
    for (const auto& c : cases) {
        for (int nSize : { 16, 24, 32 }) {
            SCOPED_TRACE(testing::Message() << c.nId << " at " << nSize);
            std::vector<DWORD> colours;
            const std::vector<BYTE> alpha = IconAlpha(program.Get(), c.nId, nSize, &colours);
            ASSERT_EQ(static_cast<size_t>(nSize * nSize), alpha.size());
            std::vector<double> ratios;
            for (size_t i = 0; i < alpha.size(); ++i) {
                if (alpha[i] != 255)
                    continue;
                const COLORREF nPixel = RGB((colours[i] >> 16) & 0xFF, (colours[i] >> 8) & 0xFF, colours[i] & 0xFF);
                ratios.push_back(ContrastRatio(nPixel, c.nBar));
            }
            ASSERT_FALSE(ratios.empty());
            std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
            EXPECT_GE(ratios[ratios.size() / 2], 3.0);
        }
    }
}
