#include "platform/win32/regstore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/registry.h"
#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

const char16_t kKey[] = u"Software\\Test Vendor\\Options";

class RegStoreTest : public ::testing::Test {
 protected:
  // Writes one value, creating the key; the Win32 result.
  static LSTATUS Set(const std::u16string& name, DWORD type, const std::vector<uint8_t>& data) {
    HKEY key = nullptr;
    LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc;
  }
  // Reads one value; false when it is missing.
  static bool Get(const std::u16string& name, DWORD& type, std::vector<uint8_t>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    data.assign(size, 0);
    ok = ok && RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }
  static std::vector<uint8_t> Text(const std::u16string& s) { return Utf16LeBytes(s + u'\0', false); }
  // The names of the key's values, in stored order.
  static std::vector<std::u16string> Names() {
    std::vector<std::u16string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char16_t name[64];
    DWORD length = 64;
    for (DWORD i = 0; RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 64)
      names.emplace_back(name, length);
    RegCloseKey(key);
    return names;
  }

  // Runs fn in a child process and returns its exit status.
  template <typename Fn>
  static pid_t Spawn(Fn fn) {
    pid_t pid = fork();
    if (pid == 0) _exit(fn() ? 0 : 1);
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
};

TEST_F(RegStoreTest, EveryTypeAndAwkwardTextComeBackByteForByte) {
  const struct {
    std::u16string name;
    DWORD type;
    std::vector<uint8_t> data;
  } cases[] = {
      {u"DisplayLanguage", REG_SZ, Text(u"1041")},
      {u"Path", REG_SZ, Text(u"C:\\x \"quoted\" \u00e9\u6f22 \U0001F600 tab\there")},
      {u"Lone surrogate", REG_SZ, Text(std::u16string(u"a") + char16_t(0xD800) + u"b")},
      {u"No terminator", REG_SZ, {'a', 0, 'b', 0}},
      {u"Odd", REG_SZ, {'a', 0, 'b'}},
      {u"Count", REG_DWORD, {0xF9, 0x03, 0, 0}},
      {u"Short dword", REG_DWORD, {1, 2}},
      {u"Blob", REG_BINARY, {0, 1, 0xFF, '"', '\n'}},
      {u"Empty blob", REG_BINARY, {}},
      {u"List", REG_MULTI_SZ, Utf16LeBytes(std::u16string(u"one\0two\0\0", 9), false)},
      {u"Empty list", REG_MULTI_SZ, {0, 0}},
      {u"Strange type", 11, {1, 2, 3}},
      {u"Name with \"quotes\" and \\", REG_SZ, Text(u"v")},
      {u"", REG_SZ, Text(u"the unnamed value")},
  };
  for (const auto& c : cases) ASSERT_EQ(Set(c.name, c.type, c.data), ERROR_SUCCESS);
  for (const auto& c : cases) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(Get(c.name, type, data));
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(data, c.data);
  }
  const std::string text = ReadBytes(RegStorePath());
  EXPECT_NE(text.find("[Software\\Test Vendor\\Options]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"DisplayLanguage\"=sz:\"1041\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Count\"=dword:000003f9\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"List\"=multi_sz:\"one\",\"two\"\n"), std::string::npos) << text;
}

TEST_F(RegStoreTest, ValuesWrittenByOneProcessAreReadByAnotherAndConcurrentWritersLoseNothing) {
  ASSERT_EQ(Wait(Spawn([] { return Set(u"Written elsewhere", REG_SZ, Text(u"hello")) == ERROR_SUCCESS; })), 0);
  DWORD type;
  std::vector<uint8_t> data;
  ASSERT_TRUE(Get(u"Written elsewhere", type, data));
  EXPECT_EQ(data, Text(u"hello"));

  auto writer = [](char16_t who) {
    return [who] {
      for (int i = 0; i < 30; ++i)
        if (Set(std::u16string(1, who) + std::u16string(u"-") + char16_t(u'A' + i), REG_DWORD, {1, 0, 0, 0}) !=
            ERROR_SUCCESS)
          return false;
      return true;
    };
  };
  const pid_t a = Spawn(writer(u'a')), b = Spawn(writer(u'b'));
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);
  RegStoreTree tree;
  ASSERT_TRUE(LoadRegStore(tree));
  ASSERT_NE(tree.FindKey(kKey), nullptr);
  EXPECT_EQ(tree.FindKey(kKey)->values.size(), 61u);
}

TEST_F(RegStoreTest, ACrashBeforeTheRenameLeavesTheOldStoreWhole) {
  ASSERT_EQ(Set(u"Keep", REG_SZ, Text(u"old")), ERROR_SUCCESS);
  const std::string old = ReadBytes(RegStorePath());
  // What a writer that dies between writing and renaming leaves: half a new store beside the old one.
  const std::string leftover = RegStorePath() + ".tmp-999999-0";
  ASSERT_TRUE(WriteBytes(leftover, old.substr(0, old.size() / 2)));
  DWORD type;
  std::vector<uint8_t> data;
  ASSERT_TRUE(Get(u"Keep", type, data));
  EXPECT_EQ(data, Text(u"old"));
  ASSERT_EQ(Set(u"Keep", REG_SZ, Text(u"new")), ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(leftover));  // the next writer clears it away

  // Writers killed at arbitrary moments leave one of the two values, whole.
  const std::vector<uint8_t> big1(20000, 0x11), big2(20000, 0x22);
  for (int delayMs : {0, 2, 5}) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = Spawn([&] {
      Set(u"Big", REG_BINARY, big1);
      if (write(ready[1], "x", 1) != 1) return false;
      for (;;) {
        Set(u"Big", REG_BINARY, big2);
        Set(u"Big", REG_BINARY, big1);
      }
      return true;
    });
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);  // the writer is in its loop now
    close(ready[0]);
    close(ready[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(pid, SIGKILL);
    Wait(pid);
    ASSERT_TRUE(Get(u"Big", type, data)) << delayMs;
    EXPECT_TRUE(data == big1 || data == big2) << delayMs;
    ASSERT_TRUE(Get(u"Keep", type, data)) << delayMs;
    EXPECT_EQ(data, Text(u"new"));
  }
}

// Lines that cannot be read, under a readable key or a broken one, cost no
// other value and are written back as they stood.
TEST_F(RegStoreTest, UnreadableLinesAreKeptAsTheyStoodAndBlockNoWrite) {
  ASSERT_EQ(Set(u"Good", REG_SZ, Text(u"1")), ERROR_SUCCESS);
  // Under the readable key: text unquoted, something after the last string,
  // a name that no call can give (it holds a zero); then a broken key.
  const std::vector<std::string> bad = {"\"Bad\"=sz:unquoted", "\"Tail\"=multi_sz:\"one\"x",
                                        "\"Zero\\u0000Name\"=sz:\"x\"", "[Broken\\\\Key]", "\"Lost\"=dword:00000001"};
  std::string text = ReadBytes(RegStorePath()) + bad[0] + "\n" + bad[1] + "\n" + bad[2] + "\n";
  text += "\"After\"=dword:00000002\n" + bad[3] + "\n" + bad[4] + "\n";
  ASSERT_TRUE(WriteBytes(RegStorePath(), text));
  ASSERT_EQ(Set(u"New", REG_SZ, Text(u"2")), ERROR_SUCCESS);
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Good", u"After", u"New"}));
  text = ReadBytes(RegStorePath());
  for (const std::string& line : bad) EXPECT_NE(text.find(line + "\n"), std::string::npos) << text;
  // Written again, the kept lines stay where the reading puts them.
  ASSERT_EQ(Set(u"New", REG_SZ, Text(u"3")), ERROR_SUCCESS);
  EXPECT_EQ(ReadBytes(RegStorePath()).size(), text.size());
}

TEST_F(RegStoreTest, KeysAndNamesIgnoreCaseAndMissingOnesAreReported) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(u"Language", REG_SZ, Text(u"7")), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\test vendor", 0, KEY_READ, &key), ERROR_SUCCESS);
  char16_t name[32];
  DWORD length = 32;
  ASSERT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Options");
  length = 32;
  EXPECT_EQ(RegEnumKeyExW(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_SZ, nullptr, 0), ERROR_ACCESS_DENIED);  // opened for reading
  RegCloseKey(key);
  DWORD type;
  std::vector<uint8_t> data;
  EXPECT_TRUE(Get(u"LANGUAGE", type, data));
  EXPECT_FALSE(Get(u"Missing", type, data));
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
}

}  // namespace
