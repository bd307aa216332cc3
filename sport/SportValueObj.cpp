#include "sport/SportValueObj.h"

#include <mutex>
#include <unordered_map>

#include "platform/win32/wstr.h"
#include "sport/FieldForms.h"
#include "sport/SportFieldIds.h"
#include "trackdb/tgvDatabase.h"

namespace {

struct ObjectMap {
  std::mutex lock;
  std::unordered_map<uint32_t, CSportValueObj*> byId;
};

ObjectMap& Objects() {
  static ObjectMap map;
  return map;
}

// Takes the entry of the id out when it is the object's own.
void Forget(uint32_t id, const CSportValueObj* obj) {
  ObjectMap& map = Objects();
  std::lock_guard<std::mutex> guard(map.lock);
  auto it = map.byId.find(id);
  if (it != map.byId.end() && it->second == obj) map.byId.erase(it);
}

}  // namespace

CSportValueObj::CSportValueObj(tgvPOI_C* record, const CString& typeName) : m_strTypeName(typeName), m_pRecord(record) {
  if (!record) return;
  ObjectMap& map = Objects();
  std::lock_guard<std::mutex> guard(map.lock);
  map.byId[record->GetId()] = this;
}

CSportValueObj::~CSportValueObj() {
  if (m_pRecord) Forget(m_pRecord->GetId(), this);
}

CSportValueObj* CSportValueObj::FindByRecordId(uint32_t id) {
  ObjectMap& map = Objects();
  std::lock_guard<std::mutex> guard(map.lock);
  auto it = map.byId.find(id);
  return it == map.byId.end() ? nullptr : it->second;
}

uint32_t CSportValueObj::GetFieldDefId(const CString& key) const {
  return m_pRecord ? GetPoiFieldDefId(m_pRecord->GetManager(), m_strTypeName, key) : 0;
}

void CSportValueObj::SetText(const CString& key, const CString& text) {
  if (m_pRecord) WriteFieldText(m_pRecord, GetFieldDefId(key), text);
}

void CSportValueObj::SetDouble(const CString& key, double value) { SetText(key, DoubleText(value)); }

CString CSportValueObj::GetText(const CString& key) const {
  return m_pRecord ? ReadFieldText(m_pRecord, GetFieldDefId(key)) : CString();
}

void CSportValueObj::GetPair(const CString& key, double* first, double* second) const {
  const CString text = GetText(key);
  if (text.IsEmpty()) return;
  const int space = text.Find(u' ');
  const CString head = space < 0 ? CString() : text.Left(space);
  const CString tail = space < 0 ? text : text.Mid(space);
  if (first) *first = WStrToDouble(head);
  if (second) *second = WStrToDouble(tail);
}

void CSportValueObj::Remove() {
  if (!m_pRecord) return;
  tgvPOI_C* record = m_pRecord;
  Forget(record->GetId(), this);
  m_pRecord = nullptr;
  record->Delete();
}
