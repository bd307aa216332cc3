#include "appcore/SelfUpdate.h"

#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/md5.h>

#include <cstdint>
#include <ctime>

#include "appcore/EnsureFolder.h"
#include "datafiles/DataFiles.h"
#include "platform/classlib/CStdioFileEx.h"
#include "platform/win32/download.h"
#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"
#include "webclient/deploy.h"

namespace {

constexpr long kDescriptionTimeLimitSeconds = 30;
// The installer is many megabytes, fetched in the background on whatever
// line the user has: half an hour in all (a stall still ends it within the
// low-speed rule's 30 s).
constexpr long kInstallerTimeLimitSeconds = 1800;

struct UpdateDescription {
  CString version;
  CString checksum;
};

// Reads the "version" and "chksum" values; stops as soon as both are there.
// A file that cannot be opened leaves both empty.
UpdateDescription ReadDescription(const std::u16string& path) {
  UpdateDescription d;
  CStdioFileEx file;
  if (!file.Open(path.c_str(), CFile::typeText | CFile::modeNoTruncate)) return d;
  CString line;
  while (file.ReadString(line)) {
    if (line.Str() == u"version")
      file.ReadString(d.version);
    else if (line.Str() == u"chksum")
      file.ReadString(d.checksum);
    if (!d.version.IsEmpty() && !d.checksum.IsEmpty()) break;
  }
  return d;
}

// The installer is started by the user, and its checksum travels with it:
// only a verified https store, or one on this machine, can be trusted to
// serve it.
bool IsTrustedStore(const std::string& base) {
  static const char* const kTrusted[] = {"https://",          "http://127.0.0.1:", "http://127.0.0.1/",
                                         "http://localhost:", "http://localhost/", "http://[::1]:",
                                         "http://[::1]/"};
  for (const char* prefix : kTrusted)
    if (base.rfind(prefix, 0) == 0) return true;
  return false;
}

std::u16string StoreAddress(const char16_t* fileName, int32_t rand) {
  return FormatW(u"%S/%s?rand=%d", DeployUpdateBase().c_str(), fileName, rand);
}

// The MD5 of a whole file as upper-case hex; empty when it cannot be read.
std::string FileMd5Hex(const char16_t* path) {
  FileHandle file(path, "rb");
  if (!file) return std::string();
  std::string hex;
  try {
    CryptoPP::Weak1::MD5 md5;
    unsigned char buffer[64 * 1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) md5.Update(buffer, n);
    if (std::ferror(file.get())) return std::string();
    CryptoPP::byte digest[CryptoPP::Weak1::MD5::DIGESTSIZE];
    md5.Final(digest);
    CryptoPP::ArraySource(digest, sizeof digest, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), true));
  } catch (const CryptoPP::Exception&) {
    return std::string();
  }
  return hex;
}

}  // namespace

bool VerifyFileMd5(const char16_t* path, CString& expected) {
  expected.MakeUpper();
  const std::string actual = FileMd5Hex(path);
  return !actual.empty() && expected.Str() == Utf8ToUtf16(actual);
}

UpdateCheck CheckSelfUpdate(const std::u16string& userData) {
  constexpr UpdateCheck kNothing = UpdateCheck::kNothingToInstall;
  if (userData.empty() || !IsTrustedStore(DeployUpdateBase())) return kNothing;
  if (!EnsureFolder(UserTransferFolder(userData), FolderParents::kMustExist)) return kNothing;
  const std::u16string descriptionPath = UpdateDescriptionPath(userData);
  const std::u16string installerPath = UpdateInstallerPath(userData);
  const int32_t rand = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));

  // The description is a few lines: 30 s in all, like every small request.
  DownloadRules small;
  small.timeLimitSeconds = kDescriptionTimeLimitSeconds;
  if (DownloadToFile(StoreAddress(kUpdateDescriptionName, rand).c_str(), descriptionPath.c_str(), small) != S_OK)
    return kNothing;
  UpdateDescription d = ReadDescription(descriptionPath);
  if (WStrToInt(d.version) <= kProgramVersion) return kNothing;
  DownloadRules installer;
  installer.timeLimitSeconds = kInstallerTimeLimitSeconds;
  if (DownloadToFile(StoreAddress(kUpdateInstallerName, rand).c_str(), installerPath.c_str(), installer) != S_OK)
    return kNothing;
  if (d.checksum.IsEmpty()) return kNothing;
  if (!VerifyFileMd5(installerPath.c_str(), d.checksum)) return kNothing;
  // Only an installer that matches its checksum may ever be started.
  return SetFileExecutable(installerPath.c_str()) ? UpdateCheck::kInstallerReady : kNothing;
}
