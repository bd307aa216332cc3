// What both project-database targets do with a file: the open as the program
// makes it (read-only, or for a track's points), which checks the summary,
// upgrades in memory and loads every table whole; then every record is
// walked and a search runs before the close.
#pragma once

#include <cstdio>
#include <string>

#include "icbase/src/icutil/icutil.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvRecordTypes.h"

// SQLite's own files beside the database: a journal or WAL file left by one
// input would be rolled into the next.
inline void RemoveCompanions(const char16_t* path) {
  const std::string p = Utf16ToUtf8(path);
  for (const char* suffix : {"-journal", "-wal", "-shm"}) std::remove((p + suffix).c_str());
}

inline void OpenAndWalk(const char16_t* path, tgvOpenMode mode) {
  tgvDatabase_C db;
  if (db.Open(RecordTypeTable, path, nullptr, mode)) {
    uint32_t n = 0;
    for (const tgvRecordTypeEntry* t = RecordTypeTable; t->userType; ++t) {
      for (tgvRecord_C* r = db.FirstOfType(t->userType); r; r = db.NextOfType(r)) {
        const char16_t* name = r->GetName();
        n += r->GetId() + (name ? name[0] : 0);
      }
      (void)db.FindRecord(t->userType, db.GetObjectCount(t->userType));
    }
    PtrList_C list;
    (void)db.SelectAll(&list, tgvUT_POI);
    (void)n;
  }
  (void)db.GetLastError();
  db.Close();
}
