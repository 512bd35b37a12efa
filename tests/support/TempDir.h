#pragma once

#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class CTempDir
{
public:
    CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    virtual ~CTempDir();

    const std::wstring& Path() const { return m_path; }
    // Full path of a name inside the folder.
    std::wstring File(const std::wstring& name) const;

private:
    std::wstring m_path;
};

// Whole-file helpers for checking what the program wrote.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// The folder of the running test program (where the built fixtures lie).
std::wstring ExeFolder();

} // namespace testsupport
