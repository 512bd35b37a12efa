#include "resolve/CResourceLocator.h"

#include <cwchar>
#include <new>

namespace tessvald::resources {

namespace {

bool SameResourceType(LPCWSTR lpA, LPCWSTR lpB)
{
    const bool bIntA = IS_INTRESOURCE(lpA);
    const bool bIntB = IS_INTRESOURCE(lpB);
    if (bIntA || bIntB)
        return bIntA && bIntB && lpA == lpB;
    return std::wcscmp(lpA, lpB) == 0;
}

} // namespace

CResourceLocator::CResourceLocator()
    : m_nCounter(0), m_nId(0), m_pszName(nullptr), m_lpType(nullptr), m_nIndex(0)
{
}

CResourceLocator::~CResourceLocator()
{
    delete[] m_pszName;
}

bool CResourceLocator::Locate(HMODULE hModule, LPCWSTR lpType, LONG nIndex)
{
    if (hModule == nullptr || lpType == nullptr)
        return false;
    delete[] m_pszName;
    m_pszName = nullptr;
    m_nId = 0;
    m_lpType = lpType;
    m_nIndex = nIndex;
    m_nCounter = 0;
    EnumResourceTypesW(hModule, EnumTypeProc, reinterpret_cast<LONG_PTR>(this));
    return m_pszName != nullptr || m_nId != 0;
}

LPCWSTR CResourceLocator::GetName() const
{
    return m_pszName != nullptr ? m_pszName : MAKEINTRESOURCEW(m_nId);
}

BOOL CALLBACK CResourceLocator::EnumTypeProc(HMODULE hModule, LPWSTR lpType, LONG_PTR lParam)
{
    auto* pLocator = reinterpret_cast<CResourceLocator*>(lParam);
    if (pLocator == nullptr)
        return FALSE;
    if (!SameResourceType(lpType, pLocator->m_lpType))
        return TRUE;
    return EnumResourceNamesW(hModule, lpType, EnumNameProc, lParam);
}

BOOL CALLBACK CResourceLocator::EnumNameProc(HMODULE, LPCWSTR, LPWSTR lpName, LONG_PTR lParam)
{
    auto* pLocator = reinterpret_cast<CResourceLocator*>(lParam);
    if (pLocator == nullptr)
        return FALSE;
    if (pLocator->m_nCounter != pLocator->m_nIndex) {
        InterlockedIncrement(&pLocator->m_nCounter);
        return TRUE;
    }
    if (IS_INTRESOURCE(lpName)) {
        pLocator->m_nId = static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(lpName));
    } else {
        const size_t nLength = std::wcslen(lpName);
        pLocator->m_pszName = new (std::nothrow) wchar_t[nLength + 1];
        if (pLocator->m_pszName != nullptr)
            std::wmemcpy(pLocator->m_pszName, lpName, nLength + 1);
    }
    return FALSE;
}

} // namespace tessvald::resources
