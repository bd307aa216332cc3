#include "platform/win32/registry.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/win32/regstore.h"
#include "platform/win32/timezones.h"
#include "platform/win32/wstr.h"

struct RegKeyHandle {
  bool machine = false;
  std::u16string path;  // '\'-separated, empty for the root
  REGSAM access = 0;
};

namespace {

const std::u16string kTimeZonesPath = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

std::mutex g_handlesMutex;
std::unordered_set<RegKeyHandle*> g_handles;  // open keys, guarded by g_handlesMutex

// What one key holds at this moment.
struct KeyView {
  bool exists = false;
  std::vector<std::u16string> subKeys;
  std::vector<RegStoreValue> values;
};

bool Resolve(HKEY key, RegKeyHandle& out) {
  if (key == HKEY_CURRENT_USER) {
    out = {false, u"", KEY_ALL_ACCESS};
    return true;
  }
  if (key == HKEY_LOCAL_MACHINE) {
    out = {true, u"", KEY_READ};
    return true;
  }
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  if (!g_handles.count(key)) return false;
  out = *key;
  return true;
}

std::u16string Join(const std::u16string& base, const std::u16string& sub) {
  if (sub.empty()) return base;
  return base.empty() ? sub : base + u"\\" + sub;
}

std::u16string LowerAscii(std::u16string text) {
  for (char16_t& c : text) c = WCharLowerAscii(c);
  return text;
}

// The position of each zone in the list by its key name in lower case, built once.
const std::unordered_map<std::u16string, size_t>& ZoneIndex() {
  static const std::unordered_map<std::u16string, size_t> index = [] {
    std::unordered_map<std::u16string, size_t> m;
    const auto& zones = GetWindowsTimeZones();
    for (size_t i = 0; i < zones.size(); ++i) m.emplace(LowerAscii(zones[i].keyName), i);
    return m;
  }();
  return index;
}

KeyView MachineView(const std::u16string& path) {
  KeyView view;
  const auto& zones = GetWindowsTimeZones();
  if (RegNamesEqual(path, kTimeZonesPath)) {
    view.exists = true;
    for (const WindowsTimeZone& z : zones) view.subKeys.push_back(z.keyName);
    return view;
  }
  if (path.size() < kTimeZonesPath.size() &&
      (path.empty() ||
       (RegNamesEqual(path, kTimeZonesPath.substr(0, path.size())) && kTimeZonesPath[path.size()] == u'\\'))) {
    const size_t start = path.empty() ? 0 : path.size() + 1;
    view.exists = true;
    view.subKeys.push_back(kTimeZonesPath.substr(start, kTimeZonesPath.find(u'\\', start) - start));
    return view;
  }
  const std::u16string prefix = kTimeZonesPath + u"\\";
  if (path.size() <= prefix.size() || !RegNamesEqual(path.substr(0, prefix.size()), prefix)) return view;
  const auto found = ZoneIndex().find(LowerAscii(path.substr(prefix.size())));
  if (found != ZoneIndex().end()) {
    const WindowsTimeZone& z = zones[found->second];
    view.exists = true;
    auto text = [](const std::u16string& s) {
      std::vector<uint8_t> data;
      for (char16_t c : s) data.insert(data.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
      data.insert(data.end(), {0, 0});
      return data;
    };
    view.values.push_back({u"Display", REG_SZ, text(z.display)});
    view.values.push_back({u"Std", REG_SZ, text(z.standardName)});
    view.values.push_back({u"TZI", REG_BINARY, std::vector<uint8_t>(z.tzi, z.tzi + sizeof z.tzi)});
  }
  return view;
}

KeyView UserView(const std::u16string& path) {
  KeyView view;
  RegStoreTree tree;
  LoadRegStore(tree);  // a malformed store still shows what could be read
  view.exists = path.empty() || tree.KeyExists(path);
  view.subKeys = tree.SubKeys(path);
  if (RegStoreKey* k = tree.FindKey(path)) view.values = k->values;
  return view;
}

KeyView View(const RegKeyHandle& h) { return h.machine ? MachineView(h.path) : UserView(h.path); }

LSTATUS OpenKey(HKEY key, const char16_t* subKey, REGSAM access, bool create, PHKEY result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegKeyHandle base;
  if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
  const std::u16string sub = subKey ? subKey : u"";
  if (!sub.empty() && !IsValidRegKeyPath(sub)) return ERROR_INVALID_PARAMETER;
  const std::u16string path = Join(base.path, sub);
  bool created = false;
  if (!View({base.machine, path, 0}).exists) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    if (base.machine) return ERROR_ACCESS_DENIED;
    if (!UpdateRegStore([&](RegStoreTree& tree) {
          tree.CreateKey(path);
          return true;
        }))
      return ERROR_INVALID_DATA;
    created = true;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  RegKeyHandle* h = new RegKeyHandle{base.machine, path, base.machine ? (access & KEY_READ) : access};
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  g_handles.insert(h);
  *result = h;
  return ERROR_SUCCESS;
}

// Copies bytes into a caller's buffer with the Win32 size rules.
LSTATUS GiveData(const std::vector<uint8_t>& bytes, BYTE* data, DWORD* cbData) {
  if (!cbData) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (!data) {
    *cbData = size;
    return ERROR_SUCCESS;
  }
  if (*cbData < size) {
    *cbData = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(data, bytes.data(), size);
  *cbData = size;
  return ERROR_SUCCESS;
}

LSTATUS GiveName(const std::u16string& text, char16_t* name, DWORD* cchName) {
  if (!name || !cchName) return ERROR_INVALID_PARAMETER;
  if (*cchName <= text.size()) return ERROR_MORE_DATA;
  std::memcpy(name, text.data(), text.size() * sizeof(char16_t));
  name[text.size()] = 0;
  *cchName = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

LSTATUS ChangeUserValue(HKEY key, const std::function<bool(RegStoreKey&)>& change) {
  RegKeyHandle h;
  if (!Resolve(key, h)) return ERROR_INVALID_HANDLE;
  if (h.machine || !(h.access & KEY_SET_VALUE) || h.path.empty()) return ERROR_ACCESS_DENIED;
  LSTATUS result = ERROR_SUCCESS;
  const bool stored = UpdateRegStore([&](RegStoreTree& tree) {
    if (!tree.KeyExists(h.path)) {
      result = ERROR_FILE_NOT_FOUND;  // deleted since it was opened
      return false;
    }
    if (!change(tree.CreateKey(h.path))) {
      result = ERROR_FILE_NOT_FOUND;
      return false;
    }
    return true;
  });
  if (!stored && result == ERROR_SUCCESS) result = ERROR_INVALID_DATA;
  return result;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenKey(key, subKey, access, false, result, nullptr);
}

LSTATUS RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD, char16_t*, DWORD, REGSAM access, void*, PHKEY result,
                        DWORD* disposition) {
  return OpenKey(key, subKey, access, true, result, disposition);
}

LSTATUS RegCloseKey(HKEY key) {
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  if (!g_handles.erase(key)) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, const char16_t* name, DWORD*, DWORD* type, BYTE* data, DWORD* cbData) {
  RegKeyHandle h;
  if (!Resolve(key, h)) return ERROR_INVALID_HANDLE;
  const std::u16string wanted = name ? name : u"";
  for (const RegStoreValue& v : View(h).values) {
    if (!RegNamesEqual(v.name, wanted)) continue;
    if (type) *type = v.type;
    return GiveData(v.data, data, cbData);
  }
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegSetValueExW(HKEY key, const char16_t* name, DWORD, DWORD type, const BYTE* data, DWORD cbData) {
  if (!data && cbData) return ERROR_INVALID_PARAMETER;
  const std::u16string valueName = name ? name : u"";
  std::vector<uint8_t> bytes(data, data + cbData);
  return ChangeUserValue(key, [&](RegStoreKey& k) {
    if (RegStoreValue* old = FindValue(k, valueName)) {
      old->type = type;
      old->data = bytes;
    } else {
      k.values.push_back({valueName, type, bytes});
    }
    return true;
  });
}

LSTATUS RegDeleteValueW(HKEY key, const char16_t* name) {
  const std::u16string valueName = name ? name : u"";
  return ChangeUserValue(key, [&](RegStoreKey& k) {
    for (auto it = k.values.begin(); it != k.values.end(); ++it)
      if (RegNamesEqual(it->name, valueName)) {
        k.values.erase(it);
        return true;
      }
    return false;
  });
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* cchName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* cbData) {
  RegKeyHandle h;
  if (!Resolve(key, h)) return ERROR_INVALID_HANDLE;
  const KeyView view = View(h);
  if (index >= view.values.size()) return ERROR_NO_MORE_ITEMS;
  const RegStoreValue& v = view.values[index];
  LSTATUS rc = GiveName(v.name, name, cchName);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = v.type;
  return GiveData(v.data, data, cbData);
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* cchName, DWORD*, char16_t* keyClass,
                      DWORD* cchClass, FILETIME* lastWrite) {
  RegKeyHandle h;
  if (!Resolve(key, h)) return ERROR_INVALID_HANDLE;
  const KeyView view = View(h);
  if (index >= view.subKeys.size()) return ERROR_NO_MORE_ITEMS;
  if (keyClass && cchClass && *cchClass) keyClass[0] = 0;
  if (cchClass) *cchClass = 0;
  if (lastWrite) *lastWrite = FILETIME{0, 0};
  return GiveName(view.subKeys[index], name, cchName);
}
