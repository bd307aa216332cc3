#include "sport/SportFieldIds.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/classlib/CString.h"
#include "platform/win32/wstr.h"
#include "sport/SportTypes.h"
#include "trackdb/tgvDatabase.h"

namespace {

// The type of one sport class and its fields, by key.
class FieldCache {
 public:
  FieldCache(uint8_t kind, std::u16string typeName) : m_kind(kind), m_typeName(std::move(typeName)) {}

  uint32_t TypeId(tgvDatabase_C* db) {
    std::lock_guard<std::mutex> lock(m_lock);
    return TypeIdLocked(db);
  }

  uint32_t FieldId(tgvDatabase_C* db, const CString& key) {
    std::lock_guard<std::mutex> lock(m_lock);
    const uint32_t typeId = TypeIdLocked(db);
    if (!typeId) return 0;
    auto it = m_fields.find(key.Str());
    if (it != m_fields.end() && IsField(db, it->second, typeId, key)) return it->second;
    auto* type = static_cast<tgvType_C*>(db->FindRecord(tgvUT_TypeD, typeId));
    tgvValueDef_C* def = FindOrCreateValueDef(db, type, key);
    if (!def) return 0;
    m_fields[key.Str()] = def->GetId();
    return def->GetId();
  }

 private:
  // A cached id is checked against the database at hand, so that an id of
  // another project (a database opened later) never picks a wrong record.
  bool IsType(tgvDatabase_C* db, uint32_t id) const {
    auto* r = static_cast<tgvType_C*>(Live(db, tgvUT_TypeD, id));
    return r && r->GetObjType() == m_kind && WStrCmp(r->GetName(), m_typeName.c_str()) == 0;
  }
  static bool IsField(tgvDatabase_C* db, uint32_t id, uint32_t typeId, const CString& key) {
    auto* r = static_cast<tgvValueDef_C*>(Live(db, tgvUT_ValD, id));
    return r && r->GetParentID() == typeId && WStrCmp(r->GetName(), key) == 0;
  }
  static tgvRecord_C* Live(tgvDatabase_C* db, uint8_t userType, uint32_t id) {
    tgvRecord_C* r = db && db->IsOpen() ? db->FindRecord(userType, id) : nullptr;
    return r && !r->IsDeleted() ? r : nullptr;
  }

  uint32_t TypeIdLocked(tgvDatabase_C* db) {
    if (!m_typeId || !IsType(db, m_typeId)) {
      tgvType_C* type = FindOrCreateType(db, m_kind, CString(m_typeName));
      m_typeId = type ? type->GetId() : 0;
    }
    return m_typeId;
  }

  std::mutex m_lock;
  const uint8_t m_kind;
  const std::u16string m_typeName;
  uint32_t m_typeId = 0;
  std::map<std::u16string, uint32_t> m_fields;
};

FieldCache& TrackCache() {
  static FieldCache cache(kSportLineKind, u"TypeTrack");
  return cache;
}

FieldCache& UserCache() {
  static FieldCache cache(kSportPoiKind, u"TypeUser");
  return cache;
}

FieldCache& PoiCache(const CString& typeName) {
  static std::mutex lock;
  static std::map<std::u16string, FieldCache> caches;
  std::lock_guard<std::mutex> guard(lock);
  // Entries are never removed, so the reference stays valid.
  return caches.try_emplace(typeName.Str(), kSportPoiKind, typeName.Str()).first->second;
}

}  // namespace

uint32_t GetTrackTypeId(tgvDatabase_C* db) { return TrackCache().TypeId(db); }
uint32_t GetTrackFieldDefId(tgvDatabase_C* db, const CString& key) { return TrackCache().FieldId(db, key); }
uint32_t GetUserTypeId(tgvDatabase_C* db) { return UserCache().TypeId(db); }
uint32_t GetUserFieldDefId(tgvDatabase_C* db, const CString& key) { return UserCache().FieldId(db, key); }
uint32_t GetPoiFieldDefId(tgvDatabase_C* db, const CString& typeName, const CString& key) {
  return PoiCache(typeName).FieldId(db, key);
}

tgvValueDef_C* FindValueDef(tgvDatabase_C* db, uint32_t id) {
  tgvRecord_C* r = db && id ? db->FindRecord(tgvUT_ValD, id) : nullptr;
  return r && !r->IsDeleted() ? static_cast<tgvValueDef_C*>(r) : nullptr;
}

CString ReadFieldText(const tgvRecord_C* object, uint32_t defId) {
  tgvDatabase_C* db = object ? object->GetManager() : nullptr;
  if (!FindValueDef(db, defId)) return CString();
  auto lock = db->Lock();
  tgvVal_C* value = db->FindValue(object->GetUserType(), object->GetId(), tgvUT_ValD, defId);
  return CString(value ? value->GetValue() : nullptr);
}

bool WriteFieldText(const tgvRecord_C* object, uint32_t defId, const CString& text) {
  tgvDatabase_C* db = object ? object->GetManager() : nullptr;
  tgvValueDef_C* def = FindValueDef(db, defId);
  if (!def) return false;
  auto lock = db->Lock();
  if (tgvVal_C* value = db->FindValue(object->GetUserType(), object->GetId(), tgvUT_ValD, defId))
    return value->SetValue(text);
  return tgvVal_C::Create(db, text, object, def) != nullptr;
}
