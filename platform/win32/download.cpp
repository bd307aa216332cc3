#include "platform/win32/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/entrylock.h"
#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/transferrules.h"
#include "platform/win32/uniquefd.h"
#include "platform/win32/utf.h"

namespace {

constexpr long kMaxRedirects = 5;

struct CurlFree {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};

std::atomic<unsigned> g_tempCounter{0};

constexpr char kPartSuffix[] = ".part-";
// A try fails when the name is taken (a download in another PID namespace may
// run under the same id) or a sweep took the new file before its lock.
constexpr int kCreateAttempts = 100;

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `entry` has the form of a temporary file of the download of
// `name`: <name>.part-<digits>-<digits>.
bool IsPartFileName(std::string_view entry, const std::string& name) {
  const std::string prefix = name + kPartSuffix;
  if (!entry.starts_with(prefix)) return false;
  entry.remove_prefix(prefix.size());
  const size_t dash = entry.find('-');
  return dash != std::string_view::npos && IsDigits(entry.substr(0, dash)) && IsDigits(entry.substr(dash + 1));
}

// Removes the temporary files that downloads of `target` left when they
// ended half-way: this user's regular files of the form the downloads make,
// whose lock is free. The lock is held until the file is gone.
void RemoveDeadPartFiles(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folderPath = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const UniqueFd folder(open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return;
  for (const std::string& entry : EntryNames(folder.get())) {
    if (!IsPartFileName(entry, name)) continue;
    const UniqueFd part(openat(folder.get(), entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!part || fstat(part.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
    if (TryLockEntry(part.get()) == EntryLock::kHeld && IsStillNamed(part.get(), folder.get(), entry))
      unlinkat(folder.get(), entry.c_str(), 0);
  }
}

// A new, empty temporary file beside `target`, created exclusively with the
// usual permissions (0666 less the umask) and locked through `lock` until the
// caller renames or removes it (where it cannot be locked, under the name
// that no sweep takes); its path goes to `tempPath`. Its name,
// <target>.part-<process id>-<n>, tells whose it is; only the lock tells
// whether it is in use.
FileHandle CreateTempBeside(const std::string& target, std::string& tempPath, UniqueFd& lock) {
  RemoveDeadPartFiles(target);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    tempPath = target + kPartSuffix + std::to_string(getpid()) + "-" + std::to_string(g_tempCounter++);
    lock.reset(open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!lock) {
      if (errno == EEXIST) continue;
      break;
    }
    if (!LockOrMoveToUnlockedName(lock.get(), lock.get(), AT_FDCWD, tempPath, target.size() + sizeof kPartSuffix - 1)) {
      unlink(tempPath.c_str());
      continue;
    }
    // A sweep may have taken the file between its making and the lock.
    if (!IsStillNamed(lock.get(), AT_FDCWD, tempPath)) continue;
    // The stream writes through its own descriptor, so that closing it keeps the lock.
    const int own = fcntl(lock.get(), F_DUPFD_CLOEXEC, 0);
    FILE* f = own >= 0 ? fdopen(own, "wb") : nullptr;
    if (f) return FileHandle(f);
    if (own >= 0) close(own);
    unlink(tempPath.c_str());
    break;
  }
  lock.reset();
  tempPath.clear();
  return FileHandle();
}

struct Sink {
  FILE* file;
  uint64_t written = 0;
};

// A short count aborts the transfer: a full disk, or a body beyond the limit
// that did not announce its length.
size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
  Sink* sink = static_cast<Sink*>(user);
  const size_t n = size * count;
  if (sink->written + n > kDownloadMaxBytes) return 0;
  sink->written += n;
  return std::fwrite(data, 1, n, sink->file);
}

// Flushes the stream's data to the disk and closes it; true when all of it got there.
bool FlushAndClose(FileHandle& file) {
  bool ok = std::fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
  return file.Close() && ok;
}

}  // namespace

HRESULT URLDownloadToFileW(void*, const char16_t* url, const char16_t* fileName, DWORD, void*) {
  return DownloadToFile(url, fileName, DownloadRules{});
}

HRESULT DownloadToFile(const char16_t* url, const char16_t* fileName, const DownloadRules& rules) {
  if (!url || !*url || !fileName || !*fileName) return E_INVALIDARG;
  const std::u16string wideUrl(url);
  if (!IsHttpOrHttpsUrl(wideUrl)) return E_INVALIDARG;
  const std::string narrowUrl = Utf16ToUtf8(wideUrl);
  const std::string target = PathToNative(fileName);

  EnsureCurlGlobalInit();
  std::unique_ptr<CURL, CurlFree> h(curl_easy_init());
  if (!h) return E_FAIL;

  std::string tempPath;
  UniqueFd tempLock;  // held until the temporary file is renamed or removed
  FileHandle file = CreateTempBeside(target, tempPath, tempLock);
  if (!file) return E_FAIL;

  Sink sink{file.get()};
  TransferDeadline deadline(rules.timeLimitSeconds);
  bool ok =
      ApplyTransferRules(h.get(), deadline) && curl_easy_setopt(h.get(), CURLOPT_URL, narrowUrl.c_str()) == CURLE_OK &&
      curl_easy_setopt(h.get(), CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
      curl_easy_setopt(h.get(), CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
      curl_easy_setopt(h.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kDownloadMaxBytes)) == CURLE_OK &&
      curl_easy_setopt(h.get(), CURLOPT_WRITEFUNCTION, &WriteToFile) == CURLE_OK &&
      curl_easy_setopt(h.get(), CURLOPT_WRITEDATA, &sink) == CURLE_OK;
  HRESULT result = ok ? S_OK : E_FAIL;
  if (ok) {
    long status = 0;
    if (curl_easy_perform(h.get()) != CURLE_OK ||
        curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 || status > 299)
      result = INET_E_DOWNLOAD_FAILURE;
  }
  if (!FlushAndClose(file) && result == S_OK) result = E_FAIL;
  if (result == S_OK && rules.accept && !rules.accept(PathFromNative(tempPath).c_str()))
    result = INET_E_DOWNLOAD_FAILURE;
  if (result == S_OK && std::rename(tempPath.c_str(), target.c_str()) != 0) result = E_FAIL;
  if (result != S_OK) unlink(tempPath.c_str());
  return result;
}
