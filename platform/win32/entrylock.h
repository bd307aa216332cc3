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

// Where the lock cannot be taken for any other reason than another's hold
// (a network mount without a lock service; a system out of lock records, or
// a lock service that does not answer for a moment, ENOLCK), the maker goes
// on without the lock, and first moves the entry to a name of the form that
// no sweep takes (MoveToUnlockedName): another copy of the program on the
// same file system, whose locks may work, would find the lock free and take
// the entry in use. Only its maker removes such an entry; one whose maker
// ended half-way stays.
enum class EntryLock {
  kHeld,         // taken, by this open of the file
  kBusy,         // another open of the file holds it
  kUnsupported,  // the lock could not be taken, and no one else holds it as far as is known
};
// Takes the exclusive lock on the open file without waiting.
EntryLock TryLockEntry(int fd);
// Moves the entry `name` of the folder open as `folder` (AT_FDCWD: `name` is
// a path of its own) to the same name with "unlocked-" put after its first
// `prefixLength` characters, never over another entry; `fd` is an open file
// of the entry (the folder itself, or a file in it), which must still be
// that entry under the new name. True, with `name` set to the new name, when
// it is moved.
bool MoveToUnlockedName(int fd, int folder, std::string& name, size_t prefixLength);
// The maker's step once it has made an entry: takes the lock on `lockFd`, or,
// where it cannot be taken, moves the entry as above. False when another
// open holds the lock (a sweep's, which removes the entry) or the entry could
// not be moved: the maker does not use it.
bool LockOrMoveToUnlockedName(int lockFd, int fd, int folder, std::string& name, size_t prefixLength);
// Whether the open file `fd` is still the entry `name` of the folder open as
// `folder` (AT_FDCWD: `name` is a path of its own): neither removed nor
// replaced. A link in the last part of the name is not followed.
bool IsStillNamed(int fd, int folder, const std::string& name);
// The names in the folder open as `folder`, "." and ".." left out; empty when
// it cannot be read.
std::vector<std::string> EntryNames(int folder);
