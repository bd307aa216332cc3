// System information of the library: the running program's folder, and
// SysInfo_C with a fixed date and banner of the library and the program's
// file name and folder.
#pragma once

#include <string>

// The running program's folder with its trailing separator; empty when the
// module path is unknown or does not name an existing file.
std::u16string GetProgramFolder();

// At most one exists at a time; a second one while the first lives is a
// programming error (the fatal assertion fires).
class SysInfo_C {
 public:
  SysInfo_C();
  ~SysInfo_C();
  SysInfo_C(const SysInfo_C&) = delete;
  SysInfo_C& operator=(const SysInfo_C&) = delete;

  const char16_t* GetDateText() const { return dateText.c_str(); }
  const char16_t* GetBannerText() const { return bannerText.c_str(); }
  // Empty when the program's path is unknown or does not name an existing file.
  const char16_t* GetModuleName() const { return moduleName.c_str(); }
  // With its trailing separator.
  const char16_t* GetModuleFolder() const { return moduleFolder.c_str(); }

 private:
  std::u16string dateText;
  std::u16string bannerText;
  std::u16string moduleName;
  std::u16string moduleFolder;
};
