// A temporary folder for the scope of a test, removed with all it holds.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/utf.h"

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "pmtest_XXXXXX").string();
    if (::mkdtemp(tmpl.data()))
      m_path = tmpl;
    else
      ADD_FAILURE() << "no temporary folder";
  }
  ~TempDir() {
    if (m_path.empty()) return;
    std::error_code ec;
    // A folder made read-only by a test must be writable again to be removed.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing '/'; empty when it could not be made.
  const std::string& Path() const { return m_path; }
  // A path inside the folder, in UTF-8 and in UTF-16.
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  std::u16string WFile(const std::string& name) const { return Utf8ToUtf16(File(name)); }
  // A folder path inside the folder that is `length` bytes long in all (one
  // more where a part of one byte would be left), each part at most 200
  // bytes, under the system's limit of 255; made with its parents when
  // `make` is set.
  std::string Deep(size_t length, bool make = true) const {
    std::string path = m_path;
    while (path.size() < length) path += "/" + std::string(std::clamp<size_t>(length - path.size() - 1, 1, 200), 'd');
    std::error_code ec;
    if (make) std::filesystem::create_directories(path, ec);
    return path;
  }
  // The names of the folder's entries.
  std::vector<std::string> Entries() const {
    std::vector<std::string> out;
    for (auto& e : std::filesystem::directory_iterator(m_path)) out.push_back(e.path().filename().string());
    return out;
  }

 private:
  std::string m_path;
};
