#include "trackdb/tgvDbFormat.h"

#include <string>
#include <string_view>

#include "platform/win32/format.h"
#include "platform/win32/sqlitestatement.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRegistry.h"

namespace {

bool BindInt(sqlite3_stmt* stmt, int index, int32_t v) { return sqlite3_bind_int(stmt, index, v) == SQLITE_OK; }

bool BindText16(sqlite3_stmt* stmt, int index, const char16_t* text, sqlite3_destructor_type d) {
  if (!text) return true;  // NULL
  const size_t n = std::char_traits<char16_t>::length(text);
  if (n > static_cast<size_t>(INT32_MAX / 2)) return false;
  return sqlite3_bind_text16(stmt, index, text, static_cast<int>(n * 2), d) == SQLITE_OK;
}

bool BindColumns(sqlite3_stmt* stmt, const tgvRecord_C* record, int firstIndex) {
  const tgvSchema* s = tgvGetSchema(record->GetSchemaKind());
  if (!s) return false;
  for (uint32_t i = 0; i < s->columnCount; ++i) {
    if (!tgvBindColumnValue(stmt, firstIndex + static_cast<int>(i), s->columns[i].get(record))) return false;
  }
  return true;
}

std::string TableOf(const tgvRecord_C* record) {
  const tgvRecordTypeEntry* e = tgvFindRecordType(record->GetUserType());
  return e ? tgvTableIdent(e->tableName) : std::string();
}

bool SameName(std::u16string_view stored, const char16_t* expected) {
  return stored.data() && expected && stored == std::u16string_view(expected);
}

}  // namespace

std::string tgvTableIdent(const char16_t* tableName) {
  std::string out;
  if (!tableName || !*tableName) return out;
  for (const char16_t* p = tableName; *p; ++p) {
    const char16_t c = *p;
    const bool ok =
        (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || (c >= u'0' && c <= u'9' && p != tableName);
    if (!ok) return std::string();
    out += static_cast<char>(c);
  }
  return out;
}

bool tgvBindColumnValue(sqlite3_stmt* stmt, int index, const tgvColValue& value) {
  switch (value.cls) {
    case tgvCol_Int:
      return BindInt(stmt, index, value.i);
    case tgvCol_Double:
      return sqlite3_bind_double(stmt, index, value.d) == SQLITE_OK;
    case tgvCol_Text:
      // Pooled texts live as long as the database; the statement ends first.
      return BindText16(stmt, index, value.s, SQLITE_STATIC);
    default:
      return false;
  }
}

bool tgvBindConditionParams(sqlite3_stmt* stmt, const tgvCondition_C& cond, int firstIndex) {
  int index = firstIndex;
  for (const tgvCondition_C::Param& p : cond.GetParams()) {
    bool ok = false;
    switch (p.cls) {
      case tgvCol_Int:
        ok = BindInt(stmt, index, p.i);
        break;
      case tgvCol_Double:
        ok = sqlite3_bind_double(stmt, index, p.d) == SQLITE_OK;
        break;
      case tgvCol_Text:
        ok = BindText16(stmt, index, p.text.c_str(), SQLITE_TRANSIENT);
        break;
      default:
        break;
    }
    if (!ok) return false;
    ++index;
  }
  return true;
}

bool tgvBindInsertRow(sqlite3_stmt* stmt, const tgvRecord_C* record) {
  if (!stmt || !record) return false;
  return BindInt(stmt, 1, static_cast<int32_t>(record->GetId())) && BindInt(stmt, 2, record->IsDeleted() ? 1 : 0) &&
         BindColumns(stmt, record, 3);
}

bool tgvBindUpdateRow(sqlite3_stmt* stmt, const tgvRecord_C* record) {
  if (!stmt || !record) return false;
  const tgvSchema* s = tgvGetSchema(record->GetSchemaKind());
  if (!s) return false;
  return BindInt(stmt, 1, record->IsDeleted() ? 1 : 0) && BindColumns(stmt, record, 2) &&
         BindInt(stmt, 2 + static_cast<int>(s->columnCount), static_cast<int32_t>(record->GetId()));
}

bool tgvReadRowFields(sqlite3_stmt* stmt, tgvRecord_C* record, tgvRecordHost_I* pool, bool withSensors) {
  if (!stmt || !record) return false;
  const tgvSchema* s = tgvGetSchema(record->GetSchemaKind());
  if (!s) return false;
  const int columns = sqlite3_column_count(stmt);
  int col = 1;
  std::u16string pooled;
  for (uint32_t i = 0; i < s->columnCount; ++i) {
    const tgvColumn& c = s->columns[i];
    if (c.sensor && !withSensors) continue;
    if (++col >= columns) return false;
    tgvColValue v{};
    v.cls = c.cls;
    switch (c.cls) {
      case tgvCol_Int:
        v.i = sqlite3_column_int(stmt, col);
        break;
      case tgvCol_Double:
        v.d = sqlite3_column_double(stmt, col);
        break;
      case tgvCol_Text: {
        const std::u16string_view text = SqliteColumnText16(stmt, col);
        if (text.data()) {
          if (!pool) return false;
          // The pool takes texts that end in a zero unit; the cell's own
          // units are copied, since a damaged cell of an odd number of bytes
          // has no whole zero unit after it.
          pooled.assign(text);
          v.s = pool->InternString(pooled.c_str());
          if (!v.s) return false;
        }
        break;
      }
      default:
        return false;
    }
    c.set(record, v);
  }
  return true;
}

bool tgvInsertRecordRow(sqlite3* db, const tgvRecord_C* record) {
  if (!db || !record) return false;
  SqliteStatement st(db, tgvSqlInsert(record->GetSchemaKind(), TableOf(record).c_str()));
  return st.ok() && tgvBindInsertRow(st.get(), record) && st.Run();
}

bool tgvUpdateRecordRow(sqlite3* db, const tgvRecord_C* record) {
  if (!db || !record) return false;
  SqliteStatement st(db, tgvSqlUpdate(record->GetSchemaKind(), TableOf(record).c_str()));
  return st.ok() && tgvBindUpdateRow(st.get(), record) && st.Run();
}

bool tgvExecSql(sqlite3* db, const std::string& sql) {
  SqliteStatement st(db, sql);
  return st.ok() && st.Run();
}

bool tgvCreateSummaryTable(sqlite3* db, const tgvRecordTypeEntry* types, const char16_t* path,
                           std::u16string* lastError) {
  if (!db || !types) return false;
  if (!tgvExecSql(db, tgvSqlCreateSummary())) {
    if (lastError) *lastError = FormatW(tgvMsgCreateSummaryFailed, path ? path : u"");
    // The insert message replaces the first one, as a failed creation also
    // means that no row could be inserted.
    if (lastError) *lastError = tgvMsgInsertSummaryFailed;
    return false;
  }
  const std::string insert = tgvSqlInsertSummary();
  auto insertRow = [&](int32_t userType, int32_t kind, const char16_t* name) {
    SqliteStatement st(db, insert);
    return st.ok() && BindInt(st.get(), 1, userType) && BindInt(st.get(), 2, kind) && BindInt(st.get(), 3, 0) &&
           BindInt(st.get(), 4, 0) && BindText16(st.get(), 5, name, SQLITE_STATIC) && st.Run();
  };
  bool ok = insertRow(0, tgvFormatVersion, nullptr);
  for (const tgvRecordTypeEntry* e = types; ok && e->userType != 0; ++e)
    ok = insertRow(e->userType, e->schemaKind, e->tableName);
  if (!ok && lastError) *lastError = tgvMsgInsertSummaryFailed;
  return ok;
}

bool tgvCreateRecordTables(sqlite3* db, const tgvRecordTypeEntry* types) {
  if (!db || !types) return false;
  for (const tgvRecordTypeEntry* e = types; e->userType != 0; ++e) {
    const std::string table = tgvTableIdent(e->tableName);
    const std::string sql = tgvSqlCreateTable(e->schemaKind, table.c_str());
    if (table.empty() || sql.empty() || !tgvExecSql(db, sql)) return false;
  }
  return true;
}

tgvSummaryCheck tgvReadSummary(sqlite3* db, const tgvRecordTypeEntry* types, tgvSummary* out) {
  if (!db || !types || !out) return tgvSummary_Refused;
  out->version = 0;
  out->rows.clear();
  SqliteStatement st(db, tgvSqlSelectAll(tgvSummaryTable));
  if (!st.NextRow()) return tgvSummary_Refused;
  int version = sqlite3_column_int(st.get(), 1);
  if (version == 0) version = tgvOldestUpgradableVersion;
  out->version = version;
  if (version < tgvOldestUpgradableVersion || version > tgvFormatVersion) return tgvSummary_Refused;
  if (version < tgvFormatVersion) return tgvSummary_Upgrade;

  for (const tgvRecordTypeEntry* e = types; e->userType != 0; ++e) {
    if (!st.NextRow()) return tgvSummary_Refused;
    sqlite3_stmt* s = st.get();
    const int userType = sqlite3_column_int(s, 0);
    const int kind = sqlite3_column_int(s, 1);
    const int objNo = sqlite3_column_int(s, 2);
    const int freeNo = sqlite3_column_int(s, 3);
    const std::u16string_view name = SqliteColumnText16(s, 4);
    if (userType != e->userType || kind != e->schemaKind || !SameName(name, e->tableName)) return tgvSummary_Refused;
    // Counters that cannot be right (negative, or more free ids than ids).
    if (objNo < 0 || freeNo < 0 || freeNo > objNo) return tgvSummary_Refused;
    out->rows.push_back(
        tgvSummaryRow{e->userType, e->schemaKind, static_cast<uint32_t>(objNo), static_cast<uint32_t>(freeNo)});
  }
  return tgvSummary_Current;
}

sqlite3_stmt* tgvCachedStatement::Get(sqlite3* db, const std::string& sql) {
  if (!m_stmt && db && !sql.empty()) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr) ==
        SQLITE_OK)
      m_stmt.reset(raw);
    else
      sqlite3_finalize(raw);
  }
  return m_stmt.get();
}

bool tgvRunAndReset(sqlite3_stmt* stmt, bool bound) {
  if (!stmt) return false;
  const bool done = bound && sqlite3_step(stmt) == SQLITE_DONE;
  // The reset repeats a failed step's code; the step's own result decides.
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  return done;
}

bool tgvWriteTableCounters(sqlite3* db, const tgvRecordTypeEntry& type, uint32_t objNo, uint32_t freeNo,
                           std::u16string* lastError, tgvCachedStatement* cache) {
  // Not a static: stores that live as long as the process write their last
  // counters while static objects are already going.
  const std::string sql = tgvSqlUpdateCounters();
  SqliteStatement own(cache ? nullptr : db, sql);
  sqlite3_stmt* st = cache ? cache->Get(db, sql) : own.get();
  const bool ok =
      st && tgvRunAndReset(st, BindInt(st, 1, static_cast<int32_t>(objNo)) &&
                                   BindInt(st, 2, static_cast<int32_t>(freeNo)) && BindInt(st, 3, type.userType));
  if (!ok && lastError) *lastError = FormatW(tgvMsgUpdateRowFailed, type.tableName ? type.tableName : u"");
  return ok;
}

bool tgvHasTable(sqlite3* db, const char* table) {
  return db && table &&
         sqlite3_table_column_metadata(db, "main", table, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) ==
             SQLITE_OK;
}

bool tgvLoadRecordTable(sqlite3* db, const tgvRecordTypeEntry& type, uint32_t objNo, const tgvMakeRecordFn& make,
                        tgvRecordHost_I* pool, bool withSensors) {
  if (!db || !make) return false;
  const std::string table = tgvTableIdent(type.tableName);
  if (table.empty() || !tgvGetSchema(type.schemaKind)) return false;
  SqliteStatement st(
      db, withSensors ? tgvSqlSelectAll(table.c_str()) : tgvSqlSelectWithoutSensors(type.schemaKind, table.c_str()));
  if (!st.ok()) return false;
  for (uint32_t k = 1; k <= objNo; ++k) {
    if (!st.NextRow()) return false;
    if (static_cast<uint32_t>(sqlite3_column_int(st.get(), 0)) != k) return false;
    const bool deleted = sqlite3_column_int(st.get(), 1) != 0;
    tgvRecord_C* record = make(k, deleted);
    if (!record || record->GetSchemaKind() != type.schemaKind) return false;
    if (!tgvReadRowFields(st.get(), record, pool, withSensors)) return false;
  }
  return true;
}
