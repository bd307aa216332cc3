#include "sport/ProjectDbMgr.h"

#include "sport/SportTypes.h"
#include "trackdb/tgvDocument.h"

ProjectDbMgr* ProjectDbMgr::GetInstance() {
  static ProjectDbMgr instance;
  return &instance;
}

tgvType_C* ProjectDbMgr::FindOrCreateType(uint8_t kind, const CString& name) {
  return m_pDocument ? ::FindOrCreateType(m_pDocument->GetDatabase(), kind, name) : nullptr;
}

tgvValueDef_C* ProjectDbMgr::FindOrCreateValueDef(tgvType_C* type, const CString& name) {
  return m_pDocument ? ::FindOrCreateValueDef(m_pDocument->GetDatabase(), type, name) : nullptr;
}
