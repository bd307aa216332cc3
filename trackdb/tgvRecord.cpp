#include "trackdb/tgvRecord.h"

#include <cmath>
#include <string>

#include "trackdb/tgvSchema.h"

namespace {

bool SameText(const char16_t* a, const char16_t* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  return std::char_traits<char16_t>::length(a) == std::char_traits<char16_t>::length(b) &&
         std::u16string_view(a) == std::u16string_view(b);
}

}  // namespace

tgvRecordHost_I* tgvRecord_C::GetDatabase() const {
  return tgvDBRegistry_C::Get().Lookup(m_regSlot);
}

bool tgvRecord_C::Save() {
  tgvRecordHost_I* host = GetDatabase();
  if (!host || !host->IsOpen()) return true;
  // A deleted record's id word is a free-list link: writing its row by that
  // word would overwrite another row.
  if (m_deleted) return false;
  return host->SaveRecord(this);
}

bool tgvRecord_C::SetUserFlag(uint8_t flag, uint8_t mark) {
  return Assign(m_userFlag, flag, mark);
}

bool tgvRecord_C::AssignText(const char16_t*& field, const char16_t* text, uint8_t mark) {
  tgvRecordHost_I* host = GetDatabase();
  tgvHostLock lock(host);
  const char16_t* pooled = nullptr;
  if (text) {
    if (!host) return false;
    pooled = host->InternString(text);
    if (!pooled) return false;
  }
  if (SameText(field, pooled)) return true;
  field = pooled;
  return mark ? Save() : true;
}

const char16_t* tgvRecord_C::GetName() const {
  const tgvColumn* c = tgvFindColumn(GetSchemaKind(), "fName");
  return c ? c->get(this).s : nullptr;
}

bool tgvRecord_C::SetName(const char16_t* text, uint8_t mark) {
  const tgvColumn* c = tgvFindColumn(GetSchemaKind(), "fName");
  if (!c) return false;
  tgvRecordHost_I* host = GetDatabase();
  tgvHostLock lock(host);
  const char16_t* pooled = nullptr;
  if (text) {
    if (!host) return false;
    pooled = host->InternString(text);
    if (!pooled) return false;
  }
  if (SameText(c->get(this).s, pooled)) return true;
  tgvColValue v{};
  v.cls = tgvCol_Text;
  v.s = pooled;
  c->set(this, v);
  return mark ? Save() : true;
}

bool tgvPOI_C::SetMapPoint(int32_t lon, int32_t lat, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_mapLong == lon && m_mapLat == lat) return true;
  m_mapLong = lon;
  m_mapLat = lat;
  return mark ? Save() : true;
}

bool tgvPOI_C::SetRealPoint(double lon, double lat, double alt, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_realLong == lon && m_realLati == lat && m_altitude == alt) return true;
  m_realLong = lon;
  m_realLati = lat;
  m_altitude = alt;
  return mark ? Save() : true;
}

int tgvWayPoint_C::GetLevel() const {
  const double v = m_level;
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int>(v);
}

double tgvMap_C::GetCornerLong(int corner) const {
  switch (corner) {
    case LeftBottom: return m_lbLong;
    case LeftTop: return m_luLong;
    case RightTop: return m_ruLong;
    case RightBottom: return m_rbLong;
    default: return 0.0;
  }
}

double tgvMap_C::GetCornerLati(int corner) const {
  switch (corner) {
    case LeftBottom: return m_lbLati;
    case LeftTop: return m_luLati;
    case RightTop: return m_ruLati;
    case RightBottom: return m_rbLati;
    default: return 0.0;
  }
}

bool tgvMap_C::SetCorner(int corner, double lon, double lat, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  double* pLong = nullptr;
  double* pLat = nullptr;
  switch (corner) {
    case LeftBottom: pLong = &m_lbLong; pLat = &m_lbLati; break;
    case LeftTop: pLong = &m_luLong; pLat = &m_luLati; break;
    case RightTop: pLong = &m_ruLong; pLat = &m_ruLati; break;
    case RightBottom: pLong = &m_rbLong; pLat = &m_rbLati; break;
    default: return false;
  }
  if (*pLong == lon && *pLat == lat) return true;
  *pLong = lon;
  *pLat = lat;
  return mark ? Save() : true;
}

bool tgvVP_C::SetLinkId(uint32_t& id, uint32_t& other, uint32_t v, uint8_t clearOther, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  bool changed = false;
  if (id != v) {
    id = v;
    changed = true;
  }
  if (clearOther && other != 0) {
    other = 0;
    changed = true;
  }
  if (!changed) return true;
  return mark ? Save() : true;
}

bool tgvVP_C::SetPOIID(uint32_t v, uint8_t clearOther, uint8_t mark) {
  return SetLinkId(m_poiId, m_wpId, v, clearOther, mark);
}

bool tgvVP_C::SetWPID(uint32_t v, uint8_t clearOther, uint8_t mark) {
  return SetLinkId(m_wpId, m_poiId, v, clearOther, mark);
}

bool tgvGPSLog_C::SetGPSTime(IntPair_C t, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_time1 == t.first && m_time2 == t.second) return true;
  m_time1 = t.first;
  m_time2 = t.second;
  return mark ? Save() : true;
}
