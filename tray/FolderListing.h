#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a live folder's submenu shows: the folder's subfolders, then its
// files, each in Explorer's order and under the names Explorer shows.

// Explorer's settings that decide what it shows.
struct SFolderView
{
    bool bShowHidden;          // "Hidden" is 1
    bool bShowSystem;          // "ShowSuperHidden" is 1: protected system files
    bool bHideKnownExtensions; // "HideFileExt" is not 0 (the default)
};

// The current user's settings as Explorer keeps them.
SFolderView ReadExplorerView();

struct SFolderEntry
{
    std::wstring strName;  // as Explorer shows it
    std::wstring strPath;  // the full path
    bool bFolder;
};

struct SFolderListing
{
    bool bReachable = false;   // the folder could be read at all
    std::vector<SFolderEntry> entries;  // subfolders first
    bool bMore = false;        // entries past the cap were left out
};

// The name Explorer shows for a file: shortcuts and other types that never
// show their extension without it, registered types without it when known
// extensions are hidden; folders as they are.
std::wstring ExplorerName(const std::wstring& fileName, bool bFolder, const SFolderView& view);

// Reads the folder: hidden and system entries only when the view shows
// them, "." and ".." never; subfolders first, each part sorted as Explorer
// sorts ("Notiz 2" before "Notiz 10"), then cut to nCap entries. May block
// for a long time on a share that does not answer: run it on a worker.
SFolderListing ListFolder(const std::wstring& folder, const SFolderView& view, std::size_t nCap);
