#include "sport/SportTypes.h"

#include "platform/classlib/CString.h"
#include "platform/win32/wstr.h"
#include "trackdb/tgvDatabase.h"

namespace {

constexpr uint8_t kTextValue = 1;

bool Usable(tgvDatabase_C* db) { return db && db->IsOpen(); }

}  // namespace

tgvType_C* FindOrCreateType(tgvDatabase_C* db, uint8_t kind, const CString& name) {
  if (!Usable(db)) return nullptr;
  auto lock = db->Lock();
  PtrList_C list;
  db->SelectByOwner(&list, tgvUT_TypeD, tgvUT_TypeD, 0);
  // The first match in the types' own order; the selection gives them by
  // id, so among equal orders the lower id comes first.
  tgvType_C* found = nullptr;
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;) {
    auto* type = static_cast<tgvType_C*>(PtrList_C::GetNext(pos));
    if (type->GetObjType() != kind || WStrCmp(type->GetName(), name) != 0) continue;
    if (!found || type->GetOrder() < found->GetOrder()) found = type;
  }
  return found ? found : tgvType_C::Create(db, name, name, nullptr, nullptr, kind, true);
}

tgvValueDef_C* FindOrCreateValueDef(tgvDatabase_C* db, tgvType_C* type, const CString& name) {
  if (!Usable(db) || !type) return nullptr;
  auto lock = db->Lock();
  PtrList_C list;
  type->GetValueDefs(&list, true);
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;) {
    auto* def = static_cast<tgvValueDef_C*>(PtrList_C::GetNext(pos));
    if (def->GetValueType() == kTextValue && WStrCmp(def->GetName(), name) == 0) return def;
  }
  return tgvValueDef_C::Create(db, name, type, kTextValue, nullptr, false);
}
