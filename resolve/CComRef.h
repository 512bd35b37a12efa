#pragma once

#include <unknwn.h>

namespace tessvald::shelllink {

// Owns one COM interface reference and releases it exactly once. Never
// copied, so no reference is released twice.
template <class TInterface>
class CComRef
{
public:
    CComRef() : m_pInterface(nullptr) {}
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    virtual ~CComRef() { Reset(); }

    TInterface* Get() const { return m_pInterface; }
    TInterface* operator->() const { return m_pInterface; }
    explicit operator bool() const { return m_pInterface != nullptr; }

    // The slot a creating call writes into; whatever was held is released
    // first, so a reference is never overwritten and leaked.
    void** Receive()
    {
        Reset();
        return reinterpret_cast<void**>(&m_pInterface);
    }

    void Reset()
    {
        if (m_pInterface != nullptr)
            m_pInterface->Release();
        m_pInterface = nullptr;
    }

private:
    TInterface* m_pInterface;
};

} // namespace tessvald::shelllink
