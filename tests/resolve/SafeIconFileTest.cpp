#include "foundation/ScopedHandle.h"
#include "resolve/SafeIconFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using tessvald::CIconHandle;
using testsupport::CTempDir;
using testsupport::WriteFileBytes;

namespace {

constexpr int kSide = 16;
constexpr std::size_t kEntryAt = 6;
constexpr std::size_t kImageAt = kEntryAt + 16;
constexpr std::size_t kColorBitsAt = kImageAt + sizeof(BITMAPINFOHEADER);

const unsigned char kOnePixelPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
    0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x30, 0x28, 0x38, 0xF0, 0x1F, 0x00, 0x04, 0x94, 0x02, 0x60,
    0x99, 0x13, 0x3A, 0xCA, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

template <class T>
void Put(std::string& bytes, std::size_t nOffset, T value)
{
    std::memcpy(&bytes[nOffset], &value, sizeof(T));
}

std::string Directory(DWORD nImageSize)
{
    std::string bytes(kImageAt, '\0');
    Put<WORD>(bytes, 2, 1);  // an icon
    Put<WORD>(bytes, 4, 1);  // one image
    bytes[kEntryAt] = static_cast<char>(kSide);
    bytes[kEntryAt + 1] = static_cast<char>(kSide);
    Put<WORD>(bytes, kEntryAt + 4, 1);
    Put<WORD>(bytes, kEntryAt + 6, 32);
    Put<DWORD>(bytes, kEntryAt + 8, nImageSize);
    Put<DWORD>(bytes, kEntryAt + 12, static_cast<DWORD>(kImageAt));
    return bytes;
}

// An icon of 32 bits a pixel with its mask, as an icon editor writes it.
std::string SizedIcon(LONG nWidth, LONG nRows)
{
    const std::size_t nMaskRow = (static_cast<std::size_t>(nWidth) + 31) / 32 * 4;
    const std::size_t nPixels = static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nRows);
    std::string bytes = Directory(static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + nPixels * 4 + nMaskRow * nRows));
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = nWidth;
    header.biHeight = nRows * 2;
    header.biPlanes = 1;
    header.biBitCount = 32;
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    for (std::size_t i = 0; i < nPixels; ++i)
        bytes.append("\xC0\x70\x30\xFF", 4);
    bytes.append(nMaskRow * nRows, '\0');
    return bytes;
}

std::string IntactIcon()
{
    return SizedIcon(kSide, kSide);
}

// An icon of 8 bits a pixel whose header counts more colours than the 256
// its bits can name; the file holds 256, as many as the loader reads, and
// not a byte more.
std::string ManyColoursIcon()
{
    std::string bytes = IntactIcon();
    Put<WORD>(bytes, kImageAt + 14, 8);
    Put<DWORD>(bytes, kImageAt + 32, 300);
    bytes.resize(kColorBitsAt);
    bytes.append(256 * 4, '\x40');
    bytes.append(kSide * kSide + kSide * 4, '\0');
    return bytes;
}

std::string PngIcon()
{
    std::string bytes = Directory(sizeof(kOnePixelPng));
    bytes.append(reinterpret_cast<const char*>(kOnePixelPng), sizeof(kOnePixelPng));
    return bytes;
}

// An animated cursor whose chunk sizes claim more than the file holds.
std::string AnimatedCut()
{
    const std::string icon = IntactIcon();
    std::string bytes = "RIFF";
    bytes.append("\xF0\xFF\xFF\x7F", 4);
    bytes += "ACONLIST";
    bytes.append("\xF0\xFF\xFF\x7F", 4);
    bytes += "framicon";
    const DWORD nSize = static_cast<DWORD>(icon.size());
    bytes.append(reinterpret_cast<const char*>(&nSize), sizeof(nSize));
    bytes += icon;
    return bytes.substr(0, bytes.size() / 2);
}

bool Loads(const CTempDir& dir, const std::string& bytes, const std::wstring& name)
{
    const std::wstring path = dir.File(name);
    if (!WriteFileBytes(path, bytes))
        return false;
    // The sizes the tray and the entry editor ask for.
    CIconHandle small(LoadIconFile(path.c_str(), 16, 16, 0));
    CIconHandle natural(LoadIconFile(path.c_str(), 0, 0, LR_DEFAULTSIZE));
    return small && natural;
}

struct IconCase
{
    const wchar_t* pszName;
    std::function<std::string()> make;
    bool bLoads;
};

} // namespace

// The damaged forms that made Wine's loader read beyond the file (width
// and height whose size overflows, an animated cursor cut short) and the
// plainer ones around them: all refused, none faulting, while intact icons
// and the damage the loader copes with still give an icon.
TEST(IconFile, DamagedIconFilesAreRefusedAndIntactOnesLoad)
{
    const IconCase cases[] = {
        { L"intact", IntactIcon, true },
        { L"png", PngIcon, true },
        { L"directory size too small", [] { std::string b = IntactIcon(); Put<DWORD>(b, kEntryAt + 8, 4); return b; }, true },
        { L"width overflowing", [] { std::string b = IntactIcon(); Put<LONG>(b, kImageAt + 4, 0x64000010); return b; }, false },
        { L"height overflowing", [] { std::string b = IntactIcon(); Put<LONG>(b, kImageAt + 8, 0x08000020); return b; }, false },
        { L"negative width", [] { std::string b = IntactIcon(); Put<LONG>(b, kImageAt + 4, -16); return b; }, false },
        { L"colour table beyond the end", [] {
              std::string b = IntactIcon();
              Put<WORD>(b, kImageAt + 14, 8);
              Put<DWORD>(b, kImageAt + 32, 0xFFFFFFF0u);
              return b.substr(0, kColorBitsAt + 1000);
          }, false },
        { L"unknown bit count", [] { std::string b = IntactIcon(); Put<WORD>(b, kImageAt + 14, 0xFFFF); return b; }, false },
        { L"image beyond the end", [] { std::string b = IntactIcon(); Put<DWORD>(b, kEntryAt + 12, 0x7FFFFFFFu); return b; }, false },
        { L"image at the last bytes", [] {
              std::string b = IntactIcon();
              Put<DWORD>(b, kEntryAt + 12, static_cast<DWORD>(b.size() - 2));
              return b;
          }, false },
        { L"more images than the file holds", [] { std::string b = IntactIcon(); Put<WORD>(b, 4, 0xFFFF); return b; }, false },
        { L"no images", [] { std::string b = IntactIcon(); Put<WORD>(b, 4, 0); return b; }, false },
        // Each limit of the check on its own, with every byte it asks for
        // present: the widest and tallest sides taken and one beyond, no
        // rows, a header shorter than its kind, compression, and a colour
        // count above what 8 bits name (counted as 256, as the loader does).
        { L"4096 wide", [] { return SizedIcon(4096, 1); }, true },
        { L"4097 wide", [] { return SizedIcon(4097, 1); }, false },
        { L"4096 rows", [] { return SizedIcon(1, 4096); }, true },
        { L"4097 rows", [] { return SizedIcon(1, 4097); }, false },
        { L"no rows", [] { std::string b = IntactIcon(); Put<LONG>(b, kImageAt + 8, 1); return b; }, false },
        { L"header shorter than its kind", [] { std::string b = IntactIcon(); Put<DWORD>(b, kImageAt, 20); return b; }, false },
        { L"compressed", [] { std::string b = IntactIcon(); Put<DWORD>(b, kImageAt + 16, BI_RLE8); return b; }, false },
        { L"300 colours counted as 256", ManyColoursIcon, true },
        { L"png cut in its header", [] { return PngIcon().substr(0, kImageAt + 20); }, false },
        { L"animated cursor cut short", AnimatedCut, false },
        { L"empty", [] { return std::string(); }, false },
    };
    CTempDir dir;
    for (const IconCase& test : cases)
        EXPECT_EQ(test.bLoads, Loads(dir, test.make(), std::wstring(test.pszName) + L".ico")) << test.pszName;
}

// Wherever a copy is cut short (in the directory, the bitmap header, the
// colour bits or the mask) it gives no icon, and never a fault.
TEST(IconFile, CopiesCutShortGiveNoIcon)
{
    CTempDir dir;
    const std::string icon = IntactIcon();
    for (std::size_t nLength = 0; nLength < icon.size(); nLength += nLength < kColorBitsAt ? 1 : 61)
        EXPECT_FALSE(Loads(dir, icon.substr(0, nLength), L"cut.ico")) << nLength;
}

TEST(IconFile, MissingFileGivesNoIcon)
{
    CTempDir dir;
    EXPECT_EQ(nullptr, LoadIconFile(dir.File(L"none.ico").c_str(), 16, 16, 0));
    EXPECT_EQ(nullptr, LoadIconFile(L"", 16, 16, 0));
    EXPECT_EQ(nullptr, LoadIconFile(nullptr, 16, 16, 0));
}
