// Named mutexes shared by the user's processes, with the Win32 meaning: a
// name opens the same lock in every process, the owning thread may take it
// again (each take needs its own release), and a process that ends gives up
// what it owned.
//
// Behind a name is a lock file, <runtime folder>/<name>.lock ($XDG_RUNTIME_DIR
// when set, else the settings folder), held with flock while a thread of this
// process owns the mutex. Another process can therefore see the name as
// existing only while it is owned: CreateMutexW reports ERROR_ALREADY_EXISTS
// when this process has the name open already or another process owns it.
// The lock file is never inherited by a started program.
#pragma once

#include "platform/win32/lasterror.h"
#include "platform/win32/wintypes.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// Opens the mutex `name` (no '/', not empty, not "." or ".."); with
// `initialOwner` the calling thread owns it when the mutex is new. The last
// error is ERROR_ALREADY_EXISTS when the mutex existed (ownership is then not
// taken), ERROR_SUCCESS otherwise. Null, with ERROR_INVALID_NAME for a bad
// name or ERROR_ACCESS_DENIED when the lock file cannot be opened. The
// security argument is ignored.
HANDLE CreateMutexW(void* security, BOOL initialOwner, LPCWSTR name);
// Takes the mutex: at once when the calling thread owns it already (counted),
// else waiting up to `ms` milliseconds (INFINITE: without limit) for other
// threads and processes to release it. WAIT_OBJECT_0, WAIT_TIMEOUT, or
// WAIT_FAILED for a handle that is not a mutex.
DWORD WaitForMutex(HANDLE mutex, DWORD ms);
// Gives up one take; the mutex is free once every take is given up. FALSE
// when the calling thread does not own it.
BOOL ReleaseMutex(HANDLE mutex);
// Closes a mutex handle. Ownership is kept until released or the process
// ends; the lock file closes with the process's last handle of the name.
BOOL CloseMutexHandle(HANDLE mutex);
