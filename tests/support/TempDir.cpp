#include "support/TempDir.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace testsupport {

namespace {

void RemoveTree(const std::wstring& path)
{
    // SHFileOperation wants a double-terminated list.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

} // namespace

CTempDir::CTempDir()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned s_counter = 0;
    for (;;) {
        wchar_t name[MAX_PATH + 64] = {};
        swprintf(name, sizeof(name) / sizeof(name[0]), L"%lsamb-%lu-%u-%lu", base,
                 GetCurrentProcessId(), ++s_counter, GetTickCount());
        if (CreateDirectoryW(name, nullptr)) {
            m_path = name;
            return;
        }
    }
}

CTempDir::~CTempDir()
{
    // Read-only attributes set by a test must not keep the folder alive.
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((m_path + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            SetFileAttributesW(File(data.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    RemoveTree(m_path);
}

std::wstring CTempDir::File(const std::wstring& name) const
{
    return m_path + L"\\" + name;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD nRead = 0;
    while (ReadFile(hFile, chunk, sizeof(chunk), &nRead, nullptr) && nRead > 0)
        bytes.append(chunk, nRead);
    CloseHandle(hFile);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    const BOOL bOk = WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
    CloseHandle(hFile);
    return bOk && nWritten == bytes.size();
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

} // namespace testsupport
