// System information of the library: a fixed date and banner of the library,
// and the running program's file name and folder. At most one exists at a
// time; a second one while the first lives is a programming error (the fatal
// assertion fires).
#pragma once

#include <string>

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
