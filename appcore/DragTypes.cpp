#include "appcore/DragTypes.h"

#include <charconv>
#include <string>

#include "appcore/Registry.h"
#include "sport/SportProjMgr.h"

namespace {

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";

// More drag types than any settings dialog stores: a larger count is taken
// for a damaged value and read only this far.
constexpr int32_t kMostDragTypes = 1000;

// Skips blanks, then reads one number into `value`; false when none is there.
template <typename T>
bool ReadNumber(const char*& p, const char* end, T& value) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  const std::from_chars_result r = std::from_chars(p, end, value);
  if (r.ec != std::errc()) return false;
  p = r.ptr;
  return true;
}

}  // namespace

DragTypeText ParseDragType(const CString& text) {
  const std::string s = text.ToUtf8();
  const char* p = s.data();
  const char* end = p + s.size();
  DragTypeText t;
  int32_t kind = 0, imperial = 0;
  float first = 0.0f, second = 0.0f;
  if (!ReadNumber(p, end, kind)) return t;
  t.kind = kind;
  if (!ReadNumber(p, end, first)) return t;
  t.first = first;
  if (!ReadNumber(p, end, second)) return t;
  t.second = second;
  if (ReadNumber(p, end, imperial)) t.imperial = imperial;
  return t;
}

int32_t LoadDragRacingTypes(CSportProjMgr& manager) {
  int32_t count = 0;
  {
    CRegistry reg(0);
    if (reg.Open(kSettingsKey) && reg[u"DragRacingTypeNum"].IsPresent()) count = reg[u"DragRacingTypeNum"].GetInt();
  }
  if (count > kMostDragTypes) count = kMostDragTypes;
  for (int32_t i = 1; i <= count; ++i) {
    CString name;
    name.Format(u"DragRacingType_%d", i);
    CString text;
    CRegistry reg(0);
    if (reg.Open(kSettingsKey) && reg[name].IsPresent()) text = reg[name].GetString();
    const DragTypeText t = ParseDragType(text);
    manager.AddDragType(t.kind, t.first, t.second, t.imperial);
  }
  manager.DragTypesLoaded();
  return count > 0 ? count : 0;
}
