// The lock by which the program shows that a temporary file or folder it made
// is in use, and what a sweep of left-overs needs to judge one. The maker
// holds an exclusive flock on an open file of the entry for as long as it
// uses the entry; the system drops the lock when the maker ends, however it
// ends. A process id in the entry's name cannot tell this: a process in
// another PID namespace that shares the folder is invisible to kill(). The
// lock belongs to the open file, so a second open of the same file meets it
// whether it comes from another process, another namespace or this process.
//
// The maker opens (creates) the file, takes the lock, then checks that the
// name still leads to that file: a sweep may have taken the new entry between
// the two steps, and then the maker makes another. A sweep takes the lock,
// checks the name the same way and holds the lock while it removes the entry.
#pragma once

#include <string>
#include <vector>

// Where the file system cannot lock at all (a network mount without a lock
// service), the maker goes on without the lock: the entry is used as
// before, and no sweep can take it, since a sweep removes only what it has
// locked.
enum class EntryLock {
  kHeld,         // taken, by this open of the file
  kBusy,         // another open of the file holds it
  kUnsupported,  // the file system cannot lock
};
// Takes the exclusive lock on the open file without waiting.
EntryLock TryLockEntry(int fd);
// Whether the open file `fd` is still the entry `name` of the folder open as
// `folder` (AT_FDCWD: `name` is a path of its own): neither removed nor
// replaced. A link in the last part of the name is not followed.
bool IsStillNamed(int fd, int folder, const std::string& name);
// The names in the folder open as `folder`, "." and ".." left out; empty when
// it cannot be read.
std::vector<std::string> EntryNames(int folder);
