#include "tray/ShellContextMenu.h"

#include "foundation/ComApartment.h"

#include <oleacc.h>

namespace {

// The shell hands out item lists that it allocated itself.
class CItemList
{
public:
    CItemList() : m_pList(nullptr) {}
    CItemList(const CItemList&) = delete;
    CItemList& operator=(const CItemList&) = delete;
    virtual ~CItemList() { CoTaskMemFree(m_pList); }

    PIDLIST_ABSOLUTE* Receive() { return &m_pList; }
    PCIDLIST_ABSOLUTE Get() const { return m_pList; }

private:
    PIDLIST_ABSOLUTE m_pList;
};

bool IsSubmenuOf(HMENU hMenu, HMENU hWanted)
{
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        HMENU hSubmenu = GetSubMenu(hMenu, i);
        if (hSubmenu != nullptr && (hSubmenu == hWanted || IsSubmenuOf(hSubmenu, hWanted)))
            return true;
    }
    return false;
}

// Our own entries carry the accessibility record first; the shell's do not.
bool IsOurItemData(ULONG_PTR nData)
{
    const auto* pInfo = reinterpret_cast<const MSAAMENUINFO*>(nData);
    return pInfo != nullptr && pInfo->dwMSAASignature == static_cast<DWORD>(MSAA_MENU_SIG);
}

} // namespace

CShellContextMenu::CShellContextMenu() : m_hMenu(nullptr), m_nFirstId(0), m_nLastId(0)
{
}

CShellContextMenu::~CShellContextMenu() = default;

bool CShellContextMenu::Load(HWND hOwner, const wchar_t* pszPath)
{
    EnterComApartment();
    CItemList item;
    if (pszPath == nullptr || FAILED(SHParseDisplayName(pszPath, nullptr, item.Receive(), 0, nullptr)))
        return false;
    tessvald::shelllink::CComRef<IShellFolder> parent;
    PCUITEMID_CHILD pChild = nullptr;
    if (FAILED(SHBindToParent(item.Get(), IID_IShellFolder, parent.Receive(), &pChild)))
        return false;
    if (FAILED(parent->GetUIObjectOf(hOwner, 1, &pChild, IID_IContextMenu, nullptr, m_menu.Receive())))
        return false;
    m_menu->QueryInterface(IID_IContextMenu2, m_menu2.Receive());
    m_menu->QueryInterface(IID_IContextMenu3, m_menu3.Receive());
    return true;
}

bool CShellContextMenu::AddTo(HMENU hMenu, UINT nPosition, UINT nFirstId, UINT nLastId)
{
    if (!m_menu)
        return false;
    const HRESULT hr = m_menu->QueryContextMenu(hMenu, nPosition, nFirstId, nLastId, CMF_NORMAL);
    if (FAILED(hr) || HRESULT_CODE(hr) == 0)
        return false;
    m_hMenu = hMenu;
    m_nFirstId = nFirstId;
    m_nLastId = nFirstId + HRESULT_CODE(hr) - 1;
    return true;
}

bool CShellContextMenu::Owns(UINT nId) const
{
    return m_hMenu != nullptr && nId >= m_nFirstId && nId <= m_nLastId;
}

bool CShellContextMenu::Invoke(HWND hOwner, UINT nId, POINT pt) const
{
    if (!Owns(nId))
        return false;
    CMINVOKECOMMANDINFOEX info = {};
    info.cbSize = sizeof(info);
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    info.hwnd = hOwner;
    info.lpVerb = MAKEINTRESOURCEA(nId - m_nFirstId);
    info.lpVerbW = MAKEINTRESOURCEW(nId - m_nFirstId);
    info.nShow = SW_SHOWNORMAL;
    info.ptInvoke = pt;
    return SUCCEEDED(m_menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
}

bool CShellContextMenu::IsOwnMenu(HMENU hMenu) const
{
    return m_hMenu != nullptr && hMenu != nullptr && (hMenu == m_hMenu || IsSubmenuOf(m_hMenu, hMenu));
}

bool CShellContextMenu::HandleMenuMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& nResult)
{
    if (!m_menu2 && !m_menu3)
        return false;
    bool bOwn = false;
    if (nMsg == WM_INITMENUPOPUP)
        bOwn = IsOwnMenu(reinterpret_cast<HMENU>(wParam));
    else if (nMsg == WM_MENUCHAR)
        bOwn = IsOwnMenu(reinterpret_cast<HMENU>(lParam));
    else if (nMsg == WM_DRAWITEM)
        bOwn = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU
            && IsOwnMenu(reinterpret_cast<HMENU>(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem));
    else if (nMsg == WM_MEASUREITEM)
        bOwn = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU
            && !IsOurItemData(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->itemData);
    if (!bOwn)
        return false;
    nResult = nMsg == WM_INITMENUPOPUP ? 0 : TRUE;
    if (m_menu3)
        return SUCCEEDED(m_menu3->HandleMenuMsg2(nMsg, wParam, lParam, &nResult));
    return SUCCEEDED(m_menu2->HandleMenuMsg(nMsg, wParam, lParam));
}
