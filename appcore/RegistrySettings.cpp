#include "appcore/RegistrySettings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "appcore/Registry.h"
#include "platform/win32/registry.h"
#include "platform/win32/timezones.h"

namespace {

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";
const char16_t kTimeZonesKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
constexpr size_t kDisplayLimit = 510;
constexpr size_t kStdLimit = 256;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHolder = std::unique_ptr<RegKeyHandle, KeyCloser>;

// The whole value (size asked first); empty when absent.
std::vector<uint8_t> QueryBytes(HKEY key, const char16_t* name) {
  DWORD size = 0, type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  std::vector<uint8_t> data(size);
  if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return {};
  data.resize(size);
  return data;
}

CString QueryText(HKEY key, const char16_t* name, size_t limit) {
  const std::vector<uint8_t> data = QueryBytes(key, name);
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size() && text.size() < limit; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (!c) break;
    text.push_back(c);
  }
  return CString(std::move(text));
}

// The text of one settings value; empty when the key or the value is missing.
CString SettingText(const char16_t* name) {
  CRegistry reg(0);
  if (!reg.Open(kSettingsKey)) return CString();
  return reg[name].GetString();
}

}  // namespace

int32_t TimeZoneRecord::Bias() const { return TziBias(tzi); }
int32_t TimeZoneRecord::DaylightBias() const { return TziDaylightBias(tzi); }

// A workspace may lie as deep as the system takes paths, beyond the text an
// entry holds: its location is read whole.
CString GetWorkspaceLocation() {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return CString();
  KeyHolder key(raw);
  return QueryText(key.get(), u"Fennaro_Workspace_Location", SIZE_MAX);
}

void SetWorkspaceLocation(const CString& folder) {
  CRegistry reg(kRegCreateKey);
  if (reg.Open(kSettingsKey)) reg[u"Fennaro_Workspace_Location"].SetString(folder);
}

CString GetPresetDispTimeZone() {
  CString zone = SettingText(u"PresetDispTimeZone");
  if (zone.IsEmpty()) zone = CString(GetCurrentTimeZoneStandardName());
  return zone;
}

int32_t GetDaylightSaving() {
  std::vector<TimeZoneRecord> zones;
  LoadTimeZoneList(zones);
  const CString wanted = GetPresetDispTimeZone();
  for (const TimeZoneRecord& z : zones) {
    if (z.standardName.Compare(wanted) != 0) continue;
    int32_t bias = z.Bias();
    CRegistry reg(0);
    if (reg.Open(kSettingsKey) && reg[u"DaylightSaving"].IsPresent() && reg[u"DaylightSaving"].GetInt() == 1)
      bias += z.DaylightBias();
    return bias;
  }
  return 0;
}

LANGID GetDisplayLanguage() {
  CRegistry reg(0);
  if (!reg.Open(kSettingsKey)) return 0;
  CRegEntry& entry = reg[u"DisplayLanguage"];
  return entry.IsPresent() ? static_cast<LANGID>(entry.GetInt()) : 0;
}

void SetDisplayLanguage(LANGID lang) {
  CString text;
  text.Format(u"%d", static_cast<int>(lang));
  CRegistry reg(kRegCreateKey);
  if (reg.Open(kSettingsKey)) reg[u"DisplayLanguage"].SetString(text);
}

bool LoadTimeZoneList(std::vector<TimeZoneRecord>& list) {
  list.clear();
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTimeZonesKey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &raw) !=
      ERROR_SUCCESS)
    return false;
  KeyHolder zones(raw);
  for (DWORD index = 0;; ++index) {
    char16_t name[256];
    DWORD length = 256;
    const LSTATUS rc = RegEnumKeyExW(zones.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    HKEY zoneKey = nullptr;
    if (RegOpenKeyExW(zones.get(), name, 0, KEY_QUERY_VALUE, &zoneKey) != ERROR_SUCCESS) continue;
    KeyHolder zone(zoneKey);
    TimeZoneRecord record;
    record.display = QueryText(zone.get(), u"Display", kDisplayLimit);
    record.standardName = QueryText(zone.get(), u"Std", kStdLimit);
    const std::vector<uint8_t> tzi = QueryBytes(zone.get(), u"TZI");
    if (!tzi.empty()) std::memcpy(record.tzi, tzi.data(), std::min(tzi.size(), sizeof record.tzi));
    list.push_back(record);
  }
  return true;
}
