#pragma once

#include <windows.h>

#include <utility>

namespace tessvald {

// Owns one platform handle and releases it exactly once. Movable, never
// copied, so no handle is released twice.
template <class THandle, class TTraits>
class CScopedHandle
{
public:
    CScopedHandle() : m_handle(TTraits::Invalid()) {}
    explicit CScopedHandle(THandle handle) : m_handle(handle) {}
    CScopedHandle(CScopedHandle&& other) noexcept : m_handle(other.Release()) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    virtual ~CScopedHandle() { Reset(); }

    THandle Get() const { return m_handle; }
    bool IsValid() const { return m_handle != TTraits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // Gives the handle up without releasing it.
    THandle Release()
    {
        THandle handle = m_handle;
        m_handle = TTraits::Invalid();
        return handle;
    }

    void Reset(THandle handle = TTraits::Invalid())
    {
        if (m_handle != TTraits::Invalid())
            TTraits::Close(m_handle);
        m_handle = handle;
    }

private:
    THandle m_handle;
};

struct IconTraits
{
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};

struct GdiObjectTraits
{
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};

struct FontTraits
{
    static HFONT Invalid() { return nullptr; }
    static void Close(HFONT h) { DeleteObject(h); }
};

struct MemoryDCTraits
{
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

struct MenuTraits
{
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

struct ModuleTraits
{
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

struct RegKeyTraits
{
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};

// Threads, events and the other kernel objects that give null on failure.
struct KernelObjectTraits
{
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct FileTraits
{
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

struct FindTraits
{
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};

// Icons from LoadImage without LR_SHARED, CreateIcon* or ExtractIcon*;
// never one from LoadIcon, which the system shares.
using CIconHandle = CScopedHandle<HICON, IconTraits>;
using CFontHandle = CScopedHandle<HFONT, FontTraits>;
using CGdiObjectHandle = CScopedHandle<HGDIOBJ, GdiObjectTraits>;
using CMenuHandle = CScopedHandle<HMENU, MenuTraits>;
// Contexts from CreateCompatibleDC, never one from GetDC.
using CMemoryDCHandle = CScopedHandle<HDC, MemoryDCTraits>;
using CModuleHandle = CScopedHandle<HMODULE, ModuleTraits>;
using CRegKeyHandle = CScopedHandle<HKEY, RegKeyTraits>;
using CFileHandle = CScopedHandle<HANDLE, FileTraits>;
using CKernelHandle = CScopedHandle<HANDLE, KernelObjectTraits>;
// A search of FindFirstFile.
using CFindHandle = CScopedHandle<HANDLE, FindTraits>;

} // namespace tessvald
