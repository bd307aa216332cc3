#include "icbase/src/icutil/sysinfo.h"

#include <atomic>
#include <string>

#include "icbase/src/icutil/fatal.h"
#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"

namespace {

std::atomic<int> g_sysInfoCount{0};

// The program's path when it names an existing file, else empty.
std::u16string ExistingProgramPath() {
  std::u16string path = GetProgramPath();
  return FileName_C(path.c_str()).IsFile() ? path : std::u16string();
}

}  // namespace

std::u16string GetProgramFolder() {
  std::u16string path = ExistingProgramPath();
  size_t cut = path.rfind(PATH_SEP);
  if (cut == std::u16string::npos) return std::u16string();
  return path.substr(0, cut + 1);
}

SysInfo_C::SysInfo_C() {
  if (g_sysInfoCount.fetch_add(1) != 0) {
    AssertFail("sys", 41);
  }
  dateText = u"2011-06-20";
  bannerText = u"icbase system library";
  std::u16string path = ExistingProgramPath();
  size_t cut = path.rfind(PATH_SEP);
  if (cut != std::u16string::npos) {
    moduleFolder = path.substr(0, cut + 1);
    moduleName = path.substr(cut + 1);
  }
}

SysInfo_C::~SysInfo_C() { g_sysInfoCount.fetch_sub(1); }
