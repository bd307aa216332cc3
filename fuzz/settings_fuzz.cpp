// The user's settings file: any bytes as the settings store of a home of
// this process's own, read through the registry calls (the first keys from
// the root down with their first values, by enumeration and by name) and
// through the program's settings: the settings key's entries of every type,
// loaded at the open and read again at each GetString, the display
// language, the display zone and its daylight saving, the workspace folder
// and the drag types. Then one setting is written, which one the input's
// length picks: it reads back as written, every other value the file held
// reads back the same, and every line that could not be read is still in
// the file.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "appcore/DragTypes.h"
#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "fuzz/fuzz_file.h"
#include "platform/win32/registry.h"
#include "platform/win32/regstore.h"
#include "platform/win32/wstr.h"
#include "sport/SportProjMgr.h"
#include "tests/common/files.h"

namespace {

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";
// The calls read the whole store at each call: the walk stops after this
// many keys and this many values of each.
constexpr size_t kKeysWalked = 8, kValuesWalked = 32;
// Each drag type is one more open of the key; a larger count is read as
// texts alone, up to this many.
constexpr int32_t kDragTypesLoaded = 8;
// Longer than any name a file of the fuzzer's sizes holds.
constexpr DWORD kNameRoom = 1 << 16;

// A home of the process's own, set before anything reads the environment,
// with a fixed time zone; it goes at exit.
class PrivateHome {
 public:
  PrivateHome() {
    std::string folder = FuzzTempFolder() + "/pm_fuzz_settings_XXXXXX";
    if (!mkdtemp(folder.data())) std::abort();
    m_folder = folder;
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("TZ", "Asia/Tokyo", 1);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(RegStorePath()).parent_path(), ec);
    if (ec) std::abort();
  }
  ~PrivateHome() {
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
  }
  PrivateHome(const PrivateHome&) = delete;
  PrivateHome& operator=(const PrivateHome&) = delete;

 private:
  std::string m_folder;
};

struct Store {
  PrivateHome home;
  FuzzFile file{RegStorePath()};
};

std::u16string Folded(std::u16string text) {
  for (char16_t& c : text) c = WCharLowerAscii(c);
  return text;
}

// What the store holds: the keys by their paths and the values by their
// names, both folded, as the store compares them.
struct Value {
  DWORD type;
  std::vector<uint8_t> data;
  bool operator==(const Value&) const = default;
};
using Values = std::map<std::u16string, Value>;
using Snapshot = std::map<std::u16string, Values>;

Snapshot Take(const RegStoreTree& tree) {
  Snapshot s;
  for (const RegStoreKey& k : tree.keys) {
    Values& values = s[Folded(k.path)];
    for (const RegStoreValue& v : k.values) values[Folded(v.name)] = {v.type, v.data};
  }
  return s;
}

std::vector<std::string> UnreadableLines(const RegStoreTree& tree) {
  std::vector<std::string> lines = tree.unreadable;
  for (const RegStoreKey& k : tree.keys) lines.insert(lines.end(), k.unreadable.begin(), k.unreadable.end());
  return lines;
}

struct KeyCloser {
  HKEY key = nullptr;
  ~KeyCloser() {
    if (key) RegCloseKey(key);
  }
};

// The first values of the key by enumeration and by name: each as the store holds it.
void WalkValues(HKEY key, const Values& held) {
  static std::u16string name(kNameRoom, u'\0');
  for (DWORD index = 0; index < kValuesWalked; ++index) {
    DWORD length = kNameRoom, type = 0, size = 0;
    const LSTATUS rc = RegEnumValueW(key, index, name.data(), &length, nullptr, &type, nullptr, &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || name[length] != 0) std::abort();
    const auto found = held.find(Folded(name.substr(0, length)));
    if (found == held.end() || found->second.type != type || found->second.data.size() != size) std::abort();
    std::vector<uint8_t> data(size + 1, 0xA5);
    length = kNameRoom;
    DWORD room = size;
    if (RegEnumValueW(key, index, name.data(), &length, nullptr, &type, data.data(), &room) != ERROR_SUCCESS ||
        room != size || data[size] != 0xA5)
      std::abort();
    data.pop_back();
    if (data != found->second.data) std::abort();
    room = size;
    if (RegQueryValueExW(key, name.data(), nullptr, &type, data.data(), &room) != ERROR_SUCCESS || room != size ||
        data != found->second.data)
      std::abort();
  }
}

// The first keys from the root down, through the calls.
void WalkKeys(const Snapshot& held) {
  static std::u16string name(kNameRoom, u'\0');
  std::vector<std::u16string> paths = {u""};
  for (size_t next = 0; next < paths.size() && next < kKeysWalked; ++next) {
    KeyCloser key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, paths[next].c_str(), 0, KEY_READ, &key.key) != ERROR_SUCCESS) std::abort();
    const auto found = held.find(Folded(paths[next]));
    if (found != held.end()) WalkValues(key.key, found->second);
    for (DWORD index = 0; paths.size() < kKeysWalked; ++index) {
      DWORD length = kNameRoom;
      const LSTATUS rc = RegEnumKeyExW(key.key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) std::abort();
      paths.push_back(paths[next].empty() ? name.substr(0, length) : paths[next] + u"\\" + name.substr(0, length));
    }
  }
}

// Every value of the settings key through its entries, loaded at the open or
// read again at each GetString.
void ReadEntries(RegStoreTree& tree) {
  const RegStoreKey* key = tree.FindKey(kSettingsKey);
  if (!key) return;
  for (DWORD flags : {DWORD{0}, DWORD{kRegReadAgain | kRegNeverWrite}}) {
    CRegistry reg(flags);
    if (!reg.Open(kSettingsKey)) std::abort();
    size_t n = 0;
    for (const RegStoreValue& v : key->values) {
      if (++n > kValuesWalked) break;
      CRegEntry& entry = reg[CString(v.name)];
      if (entry.GetString().GetLength() > kRegEntryTextLimit) std::abort();
      (void)entry.GetInt();
    }
  }
}

// The drag types as the program loads them at start, and their look-up.
void ReadDragTypes() {
  int32_t count = 0;
  {
    CRegistry reg(0);
    if (reg.Open(kSettingsKey) && reg[u"DragRacingTypeNum"].IsPresent()) count = reg[u"DragRacingTypeNum"].GetInt();
  }
  if (count > kDragTypesLoaded) {
    CRegistry reg(0);
    if (!reg.Open(kSettingsKey)) std::abort();
    for (int32_t i = 1; i <= kDragTypesLoaded; ++i) {
      CString name;
      name.Format(u"DragRacingType_%d", i);
      (void)ParseDragType(reg[name].GetString());
    }
    return;
  }
  CSportProjMgr& manager = *CSportProjMgr::GetInstance();
  manager.ResetDragTypes();
  if (LoadDragRacingTypes(manager) != (count > 0 ? count : 0)) std::abort();
  int index = 0;
  for (int kind = 0; kind <= 2; ++kind) (void)manager.FindDragType(kind, index, 0.0, 0.4);
}

// The bytes a REG_SZ of this text is stored as.
std::vector<uint8_t> TextBytes(const std::u16string& text) { return Utf16LeBytes(text + u'\0', false); }

// Writes one setting; its value name and what it is stored as.
std::pair<std::u16string, Value> WriteOne(size_t pick) {
  switch (pick % 3) {
    case 0:
      SetDisplayLanguage(1041);
      return {u"DisplayLanguage", {REG_SZ, TextBytes(u"1041")}};
    case 1:
      SetWorkspaceLocation(CString(u"/home/rider/Pelmora \u00e9"));
      return {u"Fennaro_Workspace_Location", {REG_SZ, TextBytes(u"/home/rider/Pelmora \u00e9")}};
    default: {
      CRegistry reg(kRegCreateKey);
      if (reg.Open(kSettingsKey)) reg[u"DaylightSaving"].SetDword(1);
      return {u"DaylightSaving", {REG_DWORD, {1, 0, 0, 0}}};
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Store store;
  store.file.Put(data, size);

  RegStoreTree before;
  if (!LoadRegStore(before)) std::abort();
  const Snapshot held = Take(before);
  WalkKeys(held);
  ReadEntries(before);
  (void)GetDisplayLanguage();
  (void)GetPresetDispTimeZone();
  // The daylight saving reads the system's whole zone list, the same for
  // every input: only when the file holds one of the values it reads.
  const auto settings = held.find(Folded(kSettingsKey));
  if (settings != held.end() &&
      (settings->second.count(Folded(u"PresetDispTimeZone")) || settings->second.count(Folded(u"DaylightSaving"))))
    (void)GetDaylightSaving();
  (void)GetWorkspaceLocation();
  ReadDragTypes();

  const auto [name, written] = WriteOne(size);
  RegStoreTree after;
  if (!LoadRegStore(after)) std::abort();
  Snapshot expected = held;
  const std::u16string path = Folded(kSettingsKey);
  // The key and its parents, when the write made them.
  for (size_t sep = path.find(u'\\'); sep != std::u16string::npos; sep = path.find(u'\\', sep + 1))
    expected[path.substr(0, sep)];
  expected[path][Folded(name)] = written;
  if (Take(after) != expected) std::abort();

  // The lines kept unread are kept again, as they stood.
  std::vector<std::string> keptBefore = UnreadableLines(before), keptAfter = UnreadableLines(after);
  std::sort(keptBefore.begin(), keptBefore.end());
  std::sort(keptAfter.begin(), keptAfter.end());
  if (keptBefore != keptAfter) std::abort();
  return 0;
}
