#include "tray/ToolGroups.h"

#include "foundation/CString.h"

#include <algorithm>
#include <utility>

namespace {

// German names need more than ASCII: "BÜRO" is "Büro".
bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE)
        == CSTR_EQUAL;
}

} // namespace

std::vector<std::wstring> SplitGroupPath(const wchar_t* pszGroup)
{
    std::vector<std::wstring> names;
    const std::wstring group = pszGroup != nullptr ? pszGroup : L"";
    std::size_t nStart = 0;
    while (nStart <= group.size() && names.size() < kMaxGroupDepth) {
        std::size_t nEnd = group.find(L'\\', nStart);
        if (nEnd == std::wstring::npos)
            nEnd = group.size();
        std::wstring name = tessvald::string::CString(group.substr(nStart, nEnd - nStart).c_str()).Trim().GetText();
        if (!name.empty())
            names.push_back(std::move(name));
        nStart = nEnd + 1;
    }
    return names;
}

std::vector<std::wstring> ListGroupPaths(const std::vector<const wchar_t*>& values)
{
    std::vector<std::wstring> paths;
    for (const wchar_t* pszValue : values) {
        std::wstring path;
        for (const std::wstring& name : SplitGroupPath(pszValue)) {
            std::wstring candidate = path.empty() ? name : path + L'\\' + name;
            const auto found = std::find_if(paths.begin(), paths.end(),
                                            [&](const std::wstring& known) { return SameName(known, candidate); });
            if (found != paths.end()) {
                path = *found;
                continue;
            }
            paths.push_back(candidate);
            path = std::move(candidate);
        }
    }
    return paths;
}

CGroupMenus::CGroupMenus(HMENU hTop, AppendEntry appendEntry) : m_top{ L"", hTop, {} }, m_appendEntry(std::move(appendEntry))
{
}

CGroupMenus::~CGroupMenus() = default;

HMENU CGroupMenus::MenuFor(const wchar_t* pszGroup)
{
    CNode* pNode = &m_top;
    for (const std::wstring& name : SplitGroupPath(pszGroup)) {
        CNode* pChild = ChildOf(*pNode, name);
        if (pChild == nullptr)
            break;
        pNode = pChild;
    }
    return pNode->m_hMenu;
}

CGroupMenus::CNode* CGroupMenus::ChildOf(CNode& parent, const std::wstring& name)
{
    for (const auto& pChild : parent.m_children) {
        if (SameName(pChild->m_strName, name))
            return pChild.get();
    }
    HMENU hSubmenu = CreatePopupMenu();
    if (hSubmenu == nullptr)
        return nullptr;
    if (!m_appendEntry(parent.m_hMenu, hSubmenu, name)) {
        DestroyMenu(hSubmenu);
        return nullptr;
    }
    parent.m_children.push_back(std::make_unique<CNode>(CNode{ name, hSubmenu, {} }));
    return parent.m_children.back().get();
}
