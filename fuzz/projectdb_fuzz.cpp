// The open of a project database: any bytes as the file (mutated SQLite
// files from the seeds), opened read-only by the database manager, which
// checks the summary, upgrades in memory and loads every table whole; then
// every record is walked and a search runs before the close. The file keeps
// its bytes.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_file.h"
#include "icbase/src/icutil/icutil.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvRecordTypes.h"

namespace {

// SQLite's own files beside the database: a journal or WAL file left by one
// input would be rolled into the next.
void RemoveCompanions(const char16_t* path) {
  const std::string p = Utf16ToUtf8(path);
  for (const char* suffix : {"-journal", "-wal", "-shm"}) std::remove((p + suffix).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file(".tgv");
  RemoveCompanions(file.Path());
  file.Put(data, size);

  tgvDatabase_C db;
  if (db.Open(RecordTypeTable, file.Path(), nullptr, tgvOpen_ReadOnly)) {
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
  if (!file.Holds(data, size)) std::abort();
  RemoveCompanions(file.Path());
  return 0;
}
