#include "resolve/SafeIconFile.h"

#include "resolve/CFileBytes.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kDirectoryHeaderSize = 6;
constexpr DWORD kDirectoryEntrySize = 16;
constexpr DWORD kImageOffsetInEntry = 12;
// Far beyond any real icon, and small enough that no size computed from it
// overflows in the loader's arithmetic.
constexpr LONG kMaxSide = 4096;
constexpr DWORD kMaxColors = 256;
constexpr DWORD kBitfieldMasks = 3;
const unsigned char kPngSignature[] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
// The signature and the IHDR chunk, which the loader reads for the size.
constexpr ULONGLONG kPngHeaderSize = 33;

ULONGLONG RowBytes(ULONGLONG nWidth, ULONGLONG nBits)
{
    return (nWidth * nBits + 31) / 32 * 4;
}

bool IsKnownBitCount(WORD nBits)
{
    return nBits == 1 || nBits == 4 || nBits == 8 || nBits == 16 || nBits == 24 || nBits == 32;
}

// The header, its colour table and the colour bits must lie within the
// file; the mask may be missing, which the loader allows. An icon image's
// height counts the colour and the mask rows together.
bool IsBitmapSound(ULONGLONG nHeaderSize, LONG nWidth, LONG nHeight, WORD nBits, ULONGLONG nColors,
                   ULONGLONG nAvailable)
{
    const ULONGLONG nRows = static_cast<ULONGLONG>(std::llabs(nHeight)) / 2;
    if (nWidth <= 0 || nWidth > kMaxSide || nRows == 0 || nRows > kMaxSide || !IsKnownBitCount(nBits))
        return false;
    return nHeaderSize + nColors + RowBytes(static_cast<ULONGLONG>(nWidth), nBits) * nRows <= nAvailable;
}

bool IsCoreImageSound(CFileBytes& bytes, ULONGLONG nAt, ULONGLONG nAvailable)
{
    BITMAPCOREHEADER header = {};
    if (!bytes.ReadValue(nAt, header))
        return false;
    const ULONGLONG nColors = header.bcBitCount <= 8 ? (1ull << header.bcBitCount) * sizeof(RGBTRIPLE) : 0;
    return IsBitmapSound(sizeof(header), header.bcWidth, header.bcHeight, header.bcBitCount, nColors, nAvailable);
}

// The colour table counted as the loader counts it.
bool IsInfoImageSound(CFileBytes& bytes, ULONGLONG nAt, ULONGLONG nAvailable)
{
    BITMAPINFOHEADER header = {};
    if (!bytes.ReadValue(nAt, header) || header.biSize < sizeof(header))
        return false;
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS)
        return false;
    ULONGLONG nColors = header.biBitCount <= 8 ? 1ull << header.biBitCount : 0;
    if (header.biClrUsed != 0)
        nColors = header.biClrUsed < kMaxColors ? header.biClrUsed : kMaxColors;
    if (header.biCompression == BI_BITFIELDS)
        nColors += kBitfieldMasks;
    return IsBitmapSound(header.biSize, header.biWidth, header.biHeight, header.biBitCount,
                         nColors * sizeof(RGBQUAD), nAvailable);
}

// The loader reads an image from its offset up to the end of the file,
// whatever size the directory gives it.
bool IsImageSound(CFileBytes& bytes, DWORD nImageAt)
{
    if (!bytes.Contains(nImageAt, sizeof(DWORD)))
        return false;
    const ULONGLONG nAvailable = bytes.Size() - nImageAt;
    unsigned char signature[sizeof(kPngSignature)] = {};
    if (bytes.Read(nImageAt, signature, sizeof(signature)) && std::memcmp(signature, kPngSignature, sizeof(signature)) == 0)
        return nAvailable >= kPngHeaderSize;
    DWORD nHeaderSize = 0;
    bytes.ReadValue(nImageAt, nHeaderSize);
    return nHeaderSize == sizeof(BITMAPCOREHEADER) ? IsCoreImageSound(bytes, nImageAt, nAvailable)
                                                   : IsInfoImageSound(bytes, nImageAt, nAvailable);
}

bool IsIconFileSound(const wchar_t* pszPath)
{
    CFileBytes bytes(pszPath);
    char riff[4] = {};
    if (!bytes.IsOpen() || !bytes.Read(0, riff, sizeof(riff)) || std::memcmp(riff, "RIFF", sizeof(riff)) == 0)
        return false;
    WORD nCount = 0;
    if (!bytes.ReadValue(4, nCount) || nCount == 0)
        return false;
    for (DWORD i = 0; i < nCount; ++i) {
        DWORD nImageAt = 0;
        if (!bytes.ReadValue(kDirectoryHeaderSize + i * kDirectoryEntrySize + kImageOffsetInEntry, nImageAt)
            || !IsImageSound(bytes, nImageAt))
            return false;
    }
    return true;
}

} // namespace

HICON LoadIconFile(const wchar_t* pszPath, int nWidth, int nHeight, UINT nFlags)
{
    if (!IsIconFileSound(pszPath))
        return nullptr;
    return static_cast<HICON>(LoadImageW(nullptr, pszPath, IMAGE_ICON, nWidth, nHeight, nFlags | LR_LOADFROMFILE));
}
