// The process-wide record of the open sport project: the project (a project
// folder of the track library) and its document, which the sport objects
// reach through this manager. The type and field helpers work on that
// document's database.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

class tgvDocument_C;
class tgvProject_C;
class tgvType_C;
class tgvValueDef_C;

class ProjectDbMgr {
 public:
  // Made on first use; lives until the process ends.
  static ProjectDbMgr* GetInstance();

  // The sport type of the kind and name, made when missing (SportTypes.h);
  // null without an open document.
  tgvType_C* FindOrCreateType(uint8_t kind, const CString& name);
  // The type's text field of the name, made when missing; null without an
  // open document.
  tgvValueDef_C* FindOrCreateValueDef(tgvType_C* type, const CString& name);

  // The open project and its document; null when none. Read directly by the
  // sport model.
  tgvProject_C* m_pProject = nullptr;
  tgvDocument_C* m_pDocument = nullptr;
};
