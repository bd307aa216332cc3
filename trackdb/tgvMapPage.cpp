#include "trackdb/tgvMapPage.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "icbase/src/icutil/unistring.h"
#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/format.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvPhoto.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

constexpr uint8_t kValueRating = 9;
constexpr uint8_t kValueTag = 17;
constexpr int kListThumbWidth = 240;

bool Equal(const char16_t* a, const char16_t* b) {
  return std::u16string_view(a ? a : u"") == std::u16string_view(b ? b : u"");
}

bool Empty(const char16_t* text) { return !text || !*text; }

bool InFilter(const PtrList_C* filter, const tgvRecord_C* record) {
  if (!filter) return true;
  for (tgvRecord_C* r : tgvItems(*filter)) {
    if (r == record) return true;
  }
  return false;
}

std::vector<tgvPhoto_C*> Files(const tgvPOI_C* poi, uint8_t kind) {
  PtrList_C list;
  GetPOIFiles(poi, &list, kind);
  std::vector<tgvPhoto_C*> out;
  for (tgvRecord_C* r : tgvItems(list)) out.push_back(static_cast<tgvPhoto_C*>(r));
  return out;
}

// The POI's values whose definition exists; system ones only when asked.
std::vector<std::pair<tgvVal_C*, tgvValueDef_C*>> Values(const tgvPOI_C* poi, bool withSystem) {
  std::vector<std::pair<tgvVal_C*, tgvValueDef_C*>> out;
  tgvDatabase_C* db = poi->GetManager();
  if (!db) return out;
  PtrList_C values;
  db->SelectLinks(&values, tgvUT_Val, tgvUT_POI, poi->GetId(), 0, 0);
  for (tgvRecord_C* r : tgvItems(values)) {
    auto* value = static_cast<tgvVal_C*>(r);
    tgvValueDef_C* def = value->GetDefinition();
    if (def && (withSystem || !def->IsSystem())) out.emplace_back(value, def);
  }
  return out;
}

// The description of the document's tag of that name; null when none has one.
const char16_t* TagDescription(tgvDatabase_C* db, const char16_t* name) {
  tgvDocument_C* doc = db->GetOwner();
  PtrList_C tags;
  if (!doc) return nullptr;
  doc->GetTags(&tags);
  for (tgvRecord_C* r : tgvItems(tags)) {
    auto* tag = static_cast<tgvTagDef_C*>(r);
    if (Equal(tag->GetName(), name)) return Empty(tag->GetDescription()) ? nullptr : tag->GetDescription();
  }
  return nullptr;
}

std::optional<IntPair_C> POITime(const tgvPOI_C* poi) {
  IntPair_C t;
  if (!poi->GetTime(&t.first, &t.second) || (t.first == 0 && t.second == 0)) return std::nullopt;
  return t;
}

}  // namespace

std::u16string MapPageJs(const char16_t* text) {
  UniString_C s(text);
  s.EscapeJs();
  return s.GetText();
}

std::u16string MapPageHtml(const char16_t* text) { return XmlEscaped(text, kXmlQuote | kXmlApostrophe); }

std::u16string MapLineColor(const tgvStyle_C* style) {
  if (!style) return u"null";
  uint8_t r = 0, g = 0, b = 0;
  style->GetFillColor(&r, &g, &b, nullptr);
  return FormatW(u"#%02x%02x%02x", r, g, b);
}

GeoPoint_C MapPagePosition(double longitude, double latitude, int shift) {
  GeoPoint_C p(longitude, latitude);
  return shift == 1 ? ChinaMapShift(p) : p;
}

std::u16string MapPageNumber(int64_t value) { return FormatW(u"%lld", static_cast<long long>(value)); }

void AppendDescriptionHtml(const tgvPOI_C* poi, std::u16string* out) {
  tgvDatabase_C* db = poi ? poi->GetManager() : nullptr;
  if (!db || !out) return;
  DbLock lock = db->Lock();
  for (const auto& [value, def] : Values(poi, false)) {
    const char16_t* text = value->GetValue();
    if (def->GetValueType() == kValueRating) {
      if (UniString_C(text).ToInt() > 0)
        *out += u"<img src=\"../../res/Rating_" + MapPageHtml(text) + u".png\" /> <br />";
    } else if (def->GetValueType() == kValueTag) {
      const char16_t* description = TagDescription(db, text);
      *out += u"<b>" + MapPageHtml(description ? description : text) + u"</b> <br />";
    } else {
      UniString_C html(text);
      html.ToHtml();
      *out += std::u16string(html.GetText()) + u" <br />";
    }
  }
}

void AppendPopupHtml(const tgvPOI_C* poi, const char16_t* photoFolder, std::u16string* out, const PtrList_C* filter) {
  tgvDatabase_C* db = poi ? poi->GetManager() : nullptr;
  if (!db || !out) return;
  DbLock lock = db->Lock();
  if (std::optional<IntPair_C> t = POITime(poi)) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (TimeToLocalFields(*t, &y, &mo, &d, &h, &mi, &s))
      *out += FormatW(u"%d/%d/%d %d:%d:%d <br />", y, mo, d, h, mi, s);
  }
  AppendDescriptionHtml(poi, out);
  for (tgvPhoto_C* file : Files(poi, 0)) {
    if (!InFilter(filter, file) || file->GetKind() != tgvPhoto_C::kPhoto || !photoFolder) continue;
    *out += u"<br /><img src=\"" + MapPageHtml(file->GetPhotoPath(photoFolder).c_str()) + u"\" /><br />";
    if (!Empty(file->GetTitle())) *out += MapPageHtml(file->GetTitle()) + u"<br />";
  }
}

void AppendPhotoListHtml(const tgvPOI_C* poi, const char16_t* photoFolder, std::u16string* out) {
  tgvDatabase_C* db = poi ? poi->GetManager() : nullptr;
  if (!db || !out) return;
  DbLock lock = db->Lock();
  for (const auto& [value, def] : Values(poi, true))
    *out += MapPageJs((MapPageHtml(value->GetValue()) + u" <br />").c_str());
  const bool hasFolder = !Empty(photoFolder);
  int index = 0;
  for (tgvPhoto_C* file : Files(poi, 0)) {
    std::u16string item;
    if (hasFolder) {
      // The picture itself is the link target of its item.
      const std::u16string picture = MapPageHtml(file->GetPhotoPath(photoFolder).c_str());
      item = u"<br /><a href='" + picture + u"' rel='lyteshow[Brivane]' title='title' ><img src=\"" + picture +
             u"\" /></a><br />";
    } else {
      if (index > 0 && index % 2 == 0) *out += u"<br />";
      const std::u16string location = MapPageHtml(file->GetLocation());
      item = u"<br /><a href='" + location + u"' rel='lyteshow[Brivane]' title='title' ><img src='" + location +
             u"' border='0' width='" + MapPageNumber(kListThumbWidth) + u"' /></a><br />";
    }
    if (!Empty(file->GetTitle())) item += MapPageHtml(file->GetTitle());
    *out += MapPageJs(item.c_str());
    ++index;
  }
}

void AppendMarkerJson(const tgvPOI_C* poi, std::u16string* out, const char16_t* photoFolder, int shift, int photoMode,
                      const PtrList_C* filter) {
  tgvDatabase_C* db = poi ? poi->GetManager() : nullptr;
  if (!db || !out) return;
  DbLock lock = db->Lock();
  const GeoPoint_C p = MapPagePosition(poi->GetRealLong(), poi->GetRealLati(), shift);
  *out += FormatW(u"{'id':%u,'lat':%f,'lon':%f,", poi->GetId(), p.y, p.x);
  *out += u"'name':'" + MapPageJs(poi->GetName()) + u"', 'UTC':[";
  if (std::optional<IntPair_C> t = POITime(poi)) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (TimeToFields(*t, &y, &mo, &d, &h, &mi, &s, 0, nullptr))
      *out += FormatW(u"%d,%d,%d,%d,%d,%d", y, mo, d, h, mi, s);
  }
  std::u16string memo;
  AppendDescriptionHtml(poi, &memo);
  const tgvType_C* type = poi->GetType();
  const bool isDest = type && Equal(type->GetName(), u"Dest");
  *out += u"],'memo':'" + MapPageJs(memo.c_str()) + u"','isdest':" + (isDest ? u"true" : u"false");
  const tgvStyle_C* style = poi->GetStyle();
  if (style && !Empty(style->GetVSIconName()))
    *out += u",'icon':'" + MapPageJs(style->GetVSIconName()) + u"'";
  else
    *out += u",'icon':null";
  *out += u",'lineid':0,'marker':null,'photos':[";
  bool first = true;
  for (tgvPhoto_C* file : Files(poi, tgvPhoto_C::kPhoto)) {
    if (!InFilter(filter, file)) continue;
    if (!first) *out += u",";
    first = false;
    file->AppendJson(out, photoFolder, photoMode);
  }
  *out += u"],'vedios':[";
  first = true;
  for (tgvPhoto_C* file : Files(poi, tgvPhoto_C::kVideo)) {
    if (!first) *out += u",";
    first = false;
    file->AppendJson(out, photoFolder, photoMode);
  }
  *out += u"]}";
}

void AppendMapLineJson(tgvLine_C* line, std::u16string* out, int shift, bool polyline) {
  tgvDatabase_C* db = line ? line->GetManager() : nullptr;
  if (!db || !out) return;
  DbLock lock = db->Lock();
  const tgvStyle_C* style = line->GetStyle();
  GeoBox_C box;
  line->GetGeoRect(&box);
  const tgvWayPoint_C* first = line->GetFirstPoint();
  const tgvWayPoint_C* last = line->GetLastPoint();
  const GeoPoint_C start = first ? MapPagePosition(first->GetLongitude(), first->GetLatitude(), shift) : GeoPoint_C();
  const GeoPoint_C end = last ? MapPagePosition(last->GetLongitude(), last->GetLatitude(), shift) : GeoPoint_C();
  *out += FormatW(u"{'id':%u,'name':\"", line->GetId()) + MapPageJs(line->GetName()) + u"\",";
  if (polyline) {
    UniString_C points, levels;
    line->EncodePolyline(&points, &levels, shift);
    *out += std::u16string(u"'num':\"") + points.GetText() + u"\",'lev':\"" + levels.GetText() + u"\",";
  } else {
    int count = 0;
    UniString_C coordinates;
    line->CoordinatesJson(&count, &coordinates, shift);
    *out += std::u16string(u"'pathAry':") + (coordinates.IsEmpty() ? u"[]" : coordinates.GetText()) + u",";
  }
  *out += u"'color':\"" + MapLineColor(style) + u"\",";
  *out += FormatW(
      u"'width':%d,'distance':%f,'minLat':%f,'minLon':%f,'maxLat':%f,'maxLon':%f,'startLat':%f,'startLon':%f,"
      u"'endLat':%f,'endLon':%f,'marker':null,'startMarker':null}",
      style ? style->GetVSWidth() : 0, line->GetLength(), box.GetMin().y, box.GetMin().x, box.GetMax().y,
      box.GetMax().x, start.y, start.x, end.y, end.x);
}

uint32_t AppendPOIsJson(tgvDocument_C* doc, std::u16string* out, const char16_t* photoFolder, int shift,
                        int photoMode) {
  if (!doc || !out || !doc->GetDatabase()) return 0;
  DbLock lock = doc->GetDatabase()->Lock();
  PtrList_C pois;
  doc->GetPOIs(&pois, nullptr, GeoBox_C());
  SortPOIsByTime(&pois);
  uint32_t written = 0;
  *out += u"[";
  for (tgvRecord_C* r : tgvItems(pois)) {
    auto* poi = static_cast<tgvPOI_C*>(r);
    if (!GeoPoint_C(poi->GetRealLong(), poi->GetRealLati()).IsValid()) continue;
    if (written++ > 0) *out += u",";
    AppendMarkerJson(poi, out, photoFolder, shift, photoMode, nullptr);
  }
  *out += u"]";
  return written;
}

uint32_t AppendLinesJson(tgvDocument_C* doc, std::u16string* out, int shift) {
  if (!doc || !out || !doc->GetDatabase()) return 0;
  DbLock lock = doc->GetDatabase()->Lock();
  PtrList_C lines;
  doc->GetLines(&lines, nullptr, true);
  SortLinesByTime(&lines);
  uint32_t written = 0;
  *out += u"[";
  for (tgvRecord_C* r : tgvItems(lines)) {
    auto* line = static_cast<tgvLine_C*>(r);
    if (!line->GetFirstPoint()) continue;
    if (written++ > 0) *out += u",";
    AppendMapLineJson(line, out, shift, true);
  }
  *out += u"]";
  return written;
}

void SortPOIsByTime(PtrList_C* list) {
  if (!list || list->GetCount() < 2) return;
  struct Keyed {
    tgvPOI_C* poi;
    std::optional<IntPair_C> time;
  };
  std::vector<Keyed> keyed;
  for (tgvRecord_C* r : tgvItems(*list)) {
    auto* poi = static_cast<tgvPOI_C*>(r);
    keyed.push_back({poi, POITime(poi)});
  }
  // Untimed POIs compare equal among themselves and come after timed ones.
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (!a.time || !b.time) return a.time.has_value() && !b.time.has_value();
    return CompareTime64(a.time->first, a.time->second, b.time->first, b.time->second) < 0;
  });
  list->RemoveAll();
  for (const Keyed& k : keyed) list->AddTail(k.poi);
}
