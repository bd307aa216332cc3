// Silent copy and delete of files and folders, in place of the shell's file
// operation: no window, no question, no recycle bin.
//
// Both take absolute paths and normalise them lexically first ("a/./b/../c"
// is "a/c"; a trailing '/' is dropped). An empty, relative or root path is
// refused before anything is touched. The last part of a source may be a mask
// (platform/win32/findfile.h: "/p/*.bin"). Symbolic links are deleted as
// links, never followed; a folder copy copies them as links, while a copy of
// files alone (kFilesOnly) copies the file a link leads to, so that a copy
// that is then written never writes through to its source.
#pragma once

#include <string>

enum class CopyScope {
  kFilesAndFolders,  // folders are copied with everything below them
  kFilesOnly,        // only the files a mask matches; a folder source is refused
};

// Copies `from` to `to`, overwriting what is there and creating missing
// folders above the target. A single source (no mask) goes into `to` when
// that is an existing folder (to/<its name>) and becomes `to` otherwise; the
// matches of a mask all go into the folder `to`. Refused, with nothing
// copied: a target that is a source folder or lies inside one, a copy of a
// file onto itself, a source that does not exist or a mask that matches
// nothing (nothing to copy is reported, not hidden). True when everything was
// copied; a source that fails to copy leaves behind nothing that it made (a
// target or folders above it that did not exist before), so no half copy of
// a folder stands in for a whole one.
bool SilentCopy(const std::u16string& from, const std::u16string& to, CopyScope scope);

// Deletes a file, or a folder with everything below it, or every match of a
// mask. False when nothing exists there (or nothing matches) or something
// could not be deleted.
bool SilentDelete(const std::u16string& path);

// The lexically normal form of an absolute path without a trailing '/';
// empty when the path is empty or relative.
std::u16string NormalizeAbsolutePath(const std::u16string& path);
// True when `inner` equals `outer` or lies below it, compared exactly (both normalised).
bool IsSameOrInside(const std::u16string& inner, const std::u16string& outer);
