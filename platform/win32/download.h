// URLDownloadToFileW: a URL fetched into a file. The file is replaced only by
// a complete transfer with a 2xx status: the body goes to a temporary file
// beside the target, which is flushed to disk and then renamed over the
// target in one step. A refused URL, a failed, cut-short or overlong
// transfer, a non-2xx status, a body beyond 1 GiB or one the caller's check
// refuses leaves the previous file (or its absence) exactly as it was and no
// temporary file behind. Redirects are followed (at most 5, http and https
// only); every other rule is the one of the request layer
// (platform/win32/transferrules.h). The target's folder must exist. Blocks
// until the transfer ends; safe from any thread.
//
// The temporary file is <target>.part-<process id>-<n>, and the download
// holds an exclusive lock (flock) on it until it renames or removes it.
// Before it starts, a download removes what downloads of the same target left
// when they ended half-way (killed): a regular file of this user named
// exactly <target>.part-<digits>-<digits> whose lock it can take itself. The
// lock, not the id in the name, tells whether its download runs: one in
// another PID namespace sharing the folder is invisible to kill(). Every
// other file stays, whatever its name. Where the lock cannot be taken, the
// download goes on without it, in <target>.part-unlocked-<process id>-<n>,
// which no sweep removes.
#pragma once

#include <cstdint>

#include "platform/win32/wintypes.h"

typedef int32_t HRESULT;
#ifndef S_OK
#define S_OK (static_cast<HRESULT>(0))
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057))
#endif
#ifndef E_FAIL
#define E_FAIL (static_cast<HRESULT>(0x80004005))
#endif
#ifndef INET_E_DOWNLOAD_FAILURE
#define INET_E_DOWNLOAD_FAILURE (static_cast<HRESULT>(0x800C0008))
#endif

constexpr uint64_t kDownloadMaxBytes = uint64_t(1) << 30;

// What a download must meet besides the rules of every transfer.
struct DownloadRules {
  // The overall time limit in seconds (TransferDeadline); the size the reply
  // announces does not lengthen it.
  long timeLimitSeconds = 60;
  // When set, the downloaded body (at its temporary path) must pass it
  // before it replaces the target.
  bool (*accept)(const char16_t* path) = nullptr;
};

// S_OK when the file holds the whole body; E_INVALIDARG for a null or empty
// URL or path, or a URL that is not http or https; INET_E_DOWNLOAD_FAILURE
// when the transfer failed or ran out of time, the status was not 2xx or the
// body was refused; E_FAIL when the file could not be written or put in
// place.
HRESULT DownloadToFile(const char16_t* url, const char16_t* fileName, const DownloadRules& rules);
// DownloadToFile with the default rules. `caller`, `reserved` and `callback`
// are ignored.
HRESULT URLDownloadToFileW(void* caller, const char16_t* url, const char16_t* fileName, DWORD reserved, void* callback);
