// How much work SQLite does for a piece of code: the virtual-machine steps
// of every statement run on any connection opened while a SqliteWork is
// alive. A step count that grows with the square of the rows shows a scan
// per row, whatever the speed of the machine.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstdint>

class SqliteWork {
 public:
  SqliteWork() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&Attach)); }
  ~SqliteWork() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&Attach)); }
  SqliteWork(const SqliteWork&) = delete;
  SqliteWork& operator=(const SqliteWork&) = delete;

  // The steps since the last call.
  static uint64_t Take() { return Steps().exchange(0); }

 private:
  static std::atomic<uint64_t>& Steps() {
    static std::atomic<uint64_t> steps{0};
    return steps;
  }
  static int Attach(sqlite3* db, const char**, const void*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, &Finished, nullptr);
    return SQLITE_OK;
  }
  static int Finished(unsigned, void*, void* stmt, void*) {
    Steps() +=
        static_cast<uint64_t>(sqlite3_stmt_status(static_cast<sqlite3_stmt*>(stmt), SQLITE_STMTSTATUS_VM_STEP, 1));
    return 0;
  }
};
