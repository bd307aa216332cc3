#include "platform/win32/timezones.h"

#include <unicode/basictz.h>
#include <unicode/calendar.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>
#include <unicode/tzrule.h>
#include <unicode/tztrans.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>

namespace {

constexpr int32_t kMsPerMinute = 60000;
constexpr int32_t kNoDaylightBias = -60;

std::u16string ToU16(const icu::UnicodeString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.getBuffer()), static_cast<size_t>(s.length()));
}

void PutLE(uint8_t* out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t GetLE32(const uint8_t* in) {
  return static_cast<int32_t>(static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
                              (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24));
}

// A transition as a SYSTEMTIME rule in "day of the month" form, from the
// local wall time just before it (16 bytes at out).
void PutTransitionRule(uint8_t* out, UDate when, int32_t offsetBeforeMs) {
  const time_t local = static_cast<time_t>((when + offsetBeforeMs) / 1000.0);
  struct tm t;
  if (!gmtime_r(&local, &t)) return;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = t.tm_year + 1900;
  int daysInMonth = kDays[t.tm_mon];
  if (t.tm_mon == 1 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) daysInMonth = 29;
  const int occurrence = t.tm_mday + 7 > daysInMonth ? 5 : (t.tm_mday - 1) / 7 + 1;
  const uint16_t fields[8] = {0,
                              static_cast<uint16_t>(t.tm_mon + 1),
                              static_cast<uint16_t>(t.tm_wday),
                              static_cast<uint16_t>(occurrence),
                              static_cast<uint16_t>(t.tm_hour),
                              static_cast<uint16_t>(t.tm_min),
                              static_cast<uint16_t>(t.tm_sec),
                              0};
  for (int i = 0; i < 8; ++i) PutLE(out + 2 * i, fields[i], 2);
}

// The TZI of a zone for the current year.
void FillTzi(const icu::TimeZone& zone, uint8_t* tzi) {
  UErrorCode status = U_ZERO_ERROR;
  const UDate now = icu::Calendar::getNow();
  int32_t raw = 0, dst = 0;
  zone.getOffset(now, false, raw, dst, status);
  if (U_FAILURE(status)) return;
  int32_t daylightBias = kNoDaylightBias;

  // The transitions of the current year that enter and leave daylight saving.
  std::unique_ptr<icu::Calendar> cal(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), status));
  const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(&zone);
  if (U_SUCCESS(status) && basic) {
    cal->setTime(now, status);
    const int32_t year = cal->get(UCAL_YEAR, status);
    cal->clear();
    cal->set(year, UCAL_JANUARY, 1);
    UDate from = cal->getTime(status);
    cal->set(year + 1, UCAL_JANUARY, 1);
    const UDate end = cal->getTime(status);
    icu::TimeZoneTransition tr;
    while (U_SUCCESS(status) && basic->getNextTransition(from, false, tr) && tr.getTime() < end) {
      const icu::TimeZoneRule* before = tr.getFrom();
      const icu::TimeZoneRule* after = tr.getTo();
      if (!before || !after) break;
      const int32_t offsetBefore = before->getRawOffset() + before->getDSTSavings();
      if (after->getDSTSavings() != 0 && before->getDSTSavings() == 0) {
        PutTransitionRule(tzi + 28, tr.getTime(), offsetBefore);
        daylightBias = -after->getDSTSavings() / kMsPerMinute;
      } else if (after->getDSTSavings() == 0 && before->getDSTSavings() != 0) {
        PutTransitionRule(tzi + 12, tr.getTime(), offsetBefore);
      }
      from = tr.getTime();
    }
    // A rule must come in pairs: a year with only one of them is a zone that
    // changed its rules, and it keeps no daylight saving.
    const bool hasStd = tzi[14] != 0, hasDst = tzi[30] != 0;
    if (hasStd != hasDst) {
      std::fill(tzi + 12, tzi + 44, 0);
      daylightBias = kNoDaylightBias;
    }
  }
  PutLE(tzi, static_cast<uint32_t>(-raw / kMsPerMinute), 4);
  PutLE(tzi + 4, 0, 4);
  PutLE(tzi + 8, static_cast<uint32_t>(daylightBias), 4);
}

std::u16string Display(const icu::TimeZone& zone, const icu::UnicodeString& id, const icu::TimeZoneNames* names,
                       const icu::UnicodeString& winId) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t raw = 0, dst = 0;
  zone.getOffset(icu::Calendar::getNow(), false, raw, dst, status);
  const int32_t minutes = raw / kMsPerMinute;
  const int32_t magnitude = minutes < 0 ? -minutes : minutes;
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "(UTC%c%02d:%02d) ", minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  icu::UnicodeString city;
  if (names) names->getExemplarLocationName(id, city);
  std::u16string out(prefix, prefix + std::char_traits<char>::length(prefix));
  return out + ToU16(city.isEmpty() ? winId : city);
}

std::vector<WindowsTimeZone> BuildList() {
  std::vector<WindowsTimeZone> out;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> ids(
      icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL, nullptr, nullptr, status));
  if (U_FAILURE(status) || !ids) return out;
  std::set<std::u16string> windowsIds;
  while (const icu::UnicodeString* id = ids->snext(status)) {
    if (U_FAILURE(status)) break;
    icu::UnicodeString winId;
    UErrorCode s = U_ZERO_ERROR;
    icu::TimeZone::getWindowsID(*id, winId, s);
    if (U_SUCCESS(s) && !winId.isEmpty()) windowsIds.insert(ToU16(winId));
  }
  UErrorCode namesStatus = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZoneNames> names(icu::TimeZoneNames::createInstance(icu::Locale::getEnglish(), namesStatus));
  for (const std::u16string& w : windowsIds) {
    const icu::UnicodeString winId(w.data(), static_cast<int32_t>(w.size()));
    icu::UnicodeString id;
    UErrorCode s = U_ZERO_ERROR;
    icu::TimeZone::getIDForWindowsID(winId, nullptr, id, s);
    if (U_FAILURE(s) || id.isEmpty()) continue;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
    if (!zone || *zone == icu::TimeZone::getUnknown()) continue;
    WindowsTimeZone z;
    z.keyName = w;
    z.standardName = w;
    z.display = Display(*zone, id, U_SUCCESS(namesStatus) ? names.get() : nullptr, winId);
    FillTzi(*zone, z.tzi);
    out.push_back(std::move(z));
  }
  return out;
}

}  // namespace

const std::vector<WindowsTimeZone>& GetWindowsTimeZones() {
  static const std::vector<WindowsTimeZone> list = BuildList();
  return list;
}

std::u16string GetCurrentTimeZoneStandardName() {
  std::unique_ptr<icu::TimeZone> host(icu::TimeZone::detectHostTimeZone());
  if (!host) return std::u16string();
  icu::UnicodeString id, canonical, winId;
  host->getID(id);
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getCanonicalID(id, canonical, status);
  if (U_FAILURE(status)) return std::u16string();
  icu::TimeZone::getWindowsID(canonical, winId, status);
  return U_SUCCESS(status) ? ToU16(winId) : std::u16string();
}

int32_t TziBias(const uint8_t* tzi) { return GetLE32(tzi); }
int32_t TziDaylightBias(const uint8_t* tzi) { return GetLE32(tzi + 8); }
