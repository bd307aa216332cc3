// A small database manager for the tests: a real SQLite file in a temporary
// folder, a real string pool, records allocated zero-filled by their type's
// size, registered in the process registry so that records find it.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "icbase/src/icutil/hashtable.h"
#include "platform/win32/utf.h"
#include "tests/common/temp_dir.h"
#include "trackdb/tgvDbFormat.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRegistry.h"

class TestDb : public tgvRecordHost_I {
 public:
  TestDb() : m_pool(1048576) {}
  ~TestDb() { Close(); }

  // Opens (creating the schema when the file is new) and registers.
  bool Open(const std::string& path, bool* isNew = nullptr) {
    Close();
    const bool fresh = !std::filesystem::exists(path);
    if (isNew) *isNew = fresh;
    m_path16 = Utf8ToUtf16(path);
    if (sqlite3_open16(m_path16.c_str(), &m_db) != SQLITE_OK) return false;
    // As the record store runs: synchronous writes off.
    Exec("PRAGMA synchronous = OFF;");
    m_slot = tgvDBRegistry_C::Get().Register(this);
    if (fresh) {
      if (!tgvCreateSummaryTable(m_db, RecordTypeTable, m_path16.c_str(), &m_lastError) ||
          !tgvCreateRecordTables(m_db, RecordTypeTable))
        return false;
    }
    m_open = true;
    return true;
  }

  // Reads the summary and loads every table (the open of an existing file).
  tgvSummaryCheck Load() {
    tgvSummary summary;
    m_open = false;  // no write-through while loading
    const tgvSummaryCheck check = tgvReadSummary(m_db, RecordTypeTable, &summary);
    if (check != tgvSummary_Current) return check;
    for (const tgvSummaryRow& row : summary.rows) {
      const tgvRecordTypeEntry& type = *tgvFindRecordType(row.userType);
      m_objNo[row.userType] = row.objNo;
      const bool ok = tgvLoadRecordTable(
          m_db, type, row.objNo,
          [&](uint32_t id, bool deleted) {
            tgvRecord_C* r = Alloc(row.userType, id);
            r->SetDeletedFlag(deleted ? 1 : 0);
            return r;
          },
          this);
      if (!ok) return tgvSummary_Refused;
    }
    m_open = true;
    return tgvSummary_Current;
  }

  void Close() {
    if (m_slot) tgvDBRegistry_C::Get().Unregister(m_slot);
    m_slot = 0;
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
    m_open = false;
    for (tgvRecord_C* r : m_records) std::free(r);
    m_records.clear();
    m_byKey.clear();
    m_objNo.clear();
  }

  // A zero-filled record of the type with the given id, stamped with our slot.
  tgvRecord_C* Alloc(uint8_t userType, uint32_t id) {
    const tgvRecordTypeEntry* e = tgvFindRecordType(userType);
    auto* r = static_cast<tgvRecord_C*>(std::calloc(1, e->recordSize));
    r->StampHeader(m_slot, userType, id);
    m_records.push_back(r);
    m_byKey[{userType, id}] = r;
    return r;
  }

  // A new record with the next id of its type, inserted, counters written.
  template <class T = tgvRecord_C>
  T* New(uint8_t userType) {
    const uint32_t id = ++m_objNo[userType];
    return static_cast<T*>(Alloc(userType, id));
  }
  bool Insert(tgvRecord_C* r) {
    if (!tgvInsertRecordRow(m_db, r)) return false;
    return tgvWriteTableCounters(m_db, *tgvFindRecordType(r->GetUserType()), m_objNo[r->GetUserType()], 0,
                                 &m_lastError);
  }

  template <class T = tgvRecord_C>
  T* Find(uint8_t userType, uint32_t id) {
    auto it = m_byKey.find({userType, id});
    return it == m_byKey.end() ? nullptr : static_cast<T*>(it->second);
  }

  // tgvRecordHost_I
  bool IsOpen() const override { return m_open; }
  bool SaveRecord(tgvRecord_C* record) override {
    ++m_saves;
    return tgvUpdateRecordRow(m_db, record);
  }
  const char16_t* InternString(const char16_t* text) override { return text ? m_pool.Intern(text) : nullptr; }

  bool Exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
  void SetOpen(bool open) { m_open = open; }
  sqlite3* Db() const { return m_db; }
  uint8_t Slot() const { return m_slot; }
  int Saves() const { return m_saves; }
  const std::u16string& LastError() const { return m_lastError; }

 private:
  StrPool_C m_pool;
  sqlite3* m_db = nullptr;
  uint8_t m_slot = 0;
  bool m_open = false;
  int m_saves = 0;
  std::u16string m_path16;
  std::u16string m_lastError;
  std::vector<tgvRecord_C*> m_records;
  std::map<std::pair<uint8_t, uint32_t>, tgvRecord_C*> m_byKey;
  std::map<uint8_t, uint32_t> m_objNo;
};

// Runs a query and returns its rows as text (NULL as "<null>"), columns
// separated by '|'.
inline std::vector<std::string> QueryRows(sqlite3* db, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    rows.push_back("<prepare failed: " + std::string(sqlite3_errmsg(db)) + ">");
    return rows;
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      if (c) row += "|";
      const unsigned char* t = sqlite3_column_text(st, c);
      row += t ? reinterpret_cast<const char*>(t) : "<null>";
    }
    rows.push_back(row);
  }
  sqlite3_finalize(st);
  return rows;
}

inline bool Exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The same on the file at `path`, opened for the call as another program
// would open it; a file that cannot be opened fails the query or the change.
inline std::vector<std::string> QueryFileRows(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  std::vector<std::string> rows = QueryRows(db, sql);
  sqlite3_close(db);
  return rows;
}

inline bool ExecFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  const bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK && Exec(db, sql);
  sqlite3_close(db);
  return ok;
}
