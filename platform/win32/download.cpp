#include "platform/win32/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/transferrules.h"
#include "platform/win32/utf.h"

namespace {

constexpr long kMaxRedirects = 5;

struct CurlFree {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};

std::atomic<unsigned> g_tempCounter{0};

constexpr char kPartSuffix[] = ".part-";

// The temporary files that downloads of `target` killed half-way left beside it.
void RemoveDeadPartFiles(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  RemoveLeftoversOfEndedProcesses(PathFromNative(folder), name + kPartSuffix);
}

// A new, empty temporary file beside `target`, created exclusively with the
// usual permissions (0666 less the umask); its path goes to `tempPath`. Its
// name, <target>.part-<process id>-<n>, tells whose it is.
FileHandle CreateTempBeside(const std::string& target, std::string& tempPath) {
  RemoveDeadPartFiles(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target + kPartSuffix + std::to_string(getpid()) + "-" + std::to_string(g_tempCounter++);
    int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      FILE* f = fdopen(fd, "wb");
      if (!f) close(fd);
      return FileHandle(f);
    }
    if (errno != EEXIST) break;
  }
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
  FileHandle file = CreateTempBeside(target, tempPath);
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
