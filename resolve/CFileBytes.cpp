#include "resolve/CFileBytes.h"

#include <algorithm>

namespace {

constexpr DWORD kBlockSize = 16384;
// 16 MB: far beyond the headers and resources of any real program or icon.
constexpr std::size_t kMaxBlocks = 1024;

} // namespace

CFileBytes::CFileBytes(const wchar_t* pszPath) : m_nSize(0)
{
    if (pszPath == nullptr || pszPath[0] == L'\0')
        return;
    m_file.Reset(CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (m_file && GetFileSizeEx(m_file.Get(), &size))
        m_nSize = static_cast<ULONGLONG>(size.QuadPart);
    else
        m_file.Reset();
}

CFileBytes::~CFileBytes() = default;

bool CFileBytes::Contains(ULONGLONG nOffset, ULONGLONG nBytes) const
{
    return nBytes <= m_nSize && nOffset <= m_nSize - nBytes;
}

bool CFileBytes::Read(ULONGLONG nOffset, void* pBuffer, std::size_t nBytes)
{
    if (!Contains(nOffset, nBytes))
        return false;
    auto* pOut = static_cast<unsigned char*>(pBuffer);
    while (nBytes > 0) {
        const std::vector<unsigned char>* pBlock = Block(nOffset / kBlockSize);
        if (pBlock == nullptr)
            return false;
        const std::size_t nStart = static_cast<std::size_t>(nOffset % kBlockSize);
        const std::size_t nChunk = std::min(nBytes, pBlock->size() - nStart);
        std::copy(pBlock->begin() + static_cast<std::ptrdiff_t>(nStart),
                  pBlock->begin() + static_cast<std::ptrdiff_t>(nStart + nChunk), pOut);
        pOut += nChunk;
        nOffset += nChunk;
        nBytes -= nChunk;
    }
    return true;
}

const std::vector<unsigned char>* CFileBytes::Block(ULONGLONG nIndex)
{
    const auto found = m_blocks.find(nIndex);
    if (found != m_blocks.end())
        return &found->second;
    if (m_blocks.size() >= kMaxBlocks)
        return nullptr;
    const ULONGLONG nStart = nIndex * kBlockSize;
    const DWORD nLength = static_cast<DWORD>(std::min<ULONGLONG>(kBlockSize, m_nSize - nStart));
    std::vector<unsigned char> block(nLength);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(nStart);
    at.OffsetHigh = static_cast<DWORD>(nStart >> 32);
    DWORD nRead = 0;
    // A file that shrank since its size was taken is refused as well.
    if (!ReadFile(m_file.Get(), block.data(), nLength, &nRead, &at) || nRead != nLength)
        return nullptr;
    return &m_blocks.emplace(nIndex, std::move(block)).first->second;
}
