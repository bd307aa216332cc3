#include "platform/classlib/ui/afxmsg.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

bool CCmdTarget::AfxDispatch(UINT message, UINT code, UINT id, AfxMsgArgs& args, LRESULT* result) {
  bool byId = message == WM_COMMAND || message == WM_NOTIFY;
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
      if (e->nMessage != message) continue;
      if ((byId || message >= WM_REFLECT_BASE) && e->nCode != code) continue;
      if (byId && (id < e->nID || id > e->nLastID)) continue;
      LRESULT r = e->pfn(this, args);
      if (result) *result = r;
      return true;
    }
  }
  return false;
}
