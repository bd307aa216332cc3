// Folder tools of the project and workspace code: listing the sub-folders or
// the files of a folder into a NameList, and the silent file and folder
// copies and the folder delete (platform/win32/shellfileop.h) with the rule
// this program adds: a path the system cannot take whole (PathFitsSystem)
// fails the call without touching the disk.
#pragma once

#include "platform/classlib/CString.h"
#include "sport/NameList.h"

// The last error CopyFolder leaves when its source names only folders.
constexpr DWORD kErrorSourceIsFolder = 0x10000000;

// The path with a trailing '/'; an empty path stays empty.
CString AddTrailingBackslash(const CString& path);

// Resets the list to the top-level sub-folders (ListSubfolders) or files
// (ListFiles) of the folder, in ordinal order of their full paths; each entry
// holds the name with its extension, and the extension.
void ListSubfolders(const CString& folder, NameList& list);
void ListFiles(const CString& folder, NameList& list);

// Copies files: a file, or the files a mask matches. A source that matches
// only folders fails with last error kErrorSourceIsFolder and copies nothing.
bool CopyFolder(const CString& from, const CString& to);
// Copies files and folders with everything below them.
bool CopyFolderSilent(const CString& from, const CString& to);
// Deletes a folder (or file) for good. When the process's current directory
// is the folder or lies inside it, it first moves to the folder's parent; an
// unrelated current directory is left alone.
bool DeleteFolder(const CString& path);
