#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The groups of the tools menu. "group=Büro\Tabellen" puts a tool into the
// submenu "Tabellen" of the submenu "Büro". A group's entry stands where
// its first member stands in the list, and inside it the members follow in
// list order.

constexpr std::size_t kMaxGroupDepth = 8;

// The names of a group value: blanks around each name dropped, empty names
// dropped ("\Büro\\Tabellen\" is "Büro\Tabellen"), and a group deeper than
// kMaxGroupDepth stays at its last allowed level.
std::vector<std::wstring> SplitGroupPath(const wchar_t* pszGroup);

// Every group that tools with these group values stand in, each before its
// subgroups, in the order first met, joined with "\" and spelled as the
// menu shows them: { "Büro\Tabellen", "BÜRO\Text" } gives "Büro",
// "Büro\Tabellen" and "Büro\Text".
std::vector<std::wstring> ListGroupPaths(const std::vector<const wchar_t*>& values);

// The submenus of the groups met while one tools menu is built. Names match
// ignoring case, and the first spelling met is the one shown.
class CGroupMenus
{
public:
    // Appends a group's entry that opens hSubmenu to hParent; false when it
    // could not be appended (hSubmenu is then still the caller's).
    using AppendEntry = std::function<bool(HMENU hParent, HMENU hSubmenu, const std::wstring& name)>;

    CGroupMenus(HMENU hTop, AppendEntry appendEntry);
    CGroupMenus(const CGroupMenus&) = delete;
    CGroupMenus& operator=(const CGroupMenus&) = delete;
    virtual ~CGroupMenus();

    // The menu that a tool of this group goes into. The entries of the
    // groups on its way that are new are appended now, at this place; a
    // group whose submenu cannot be made leaves its tools in its parent.
    HMENU MenuFor(const wchar_t* pszGroup);

private:
    struct CNode
    {
        std::wstring m_strName;
        HMENU m_hMenu;
        std::vector<std::unique_ptr<CNode>> m_children;
    };

    CNode* ChildOf(CNode& parent, const std::wstring& name);

    CNode m_top;
    AppendEntry m_appendEntry;
};
