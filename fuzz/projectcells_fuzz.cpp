// The open of a project database whose cells come from the input. The file
// is well-formed SQLite, made as the program makes a new project (every
// table, on small pages); the input then writes into it, through SQLite,
// rows of any table and single cells of any row or of the summary, each of
// any kind, length and content: texts of an odd number of bytes, numbers or
// blobs where texts stand, ids and counters that do not agree. Mutating the
// file's bytes seldom gets past SQLite's own checks to such cells. Then the
// open, walk and search of the project-database target (read-only, or for a
// track's points); the file keeps its bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "fuzz/project_walk.h"
#include "trackdb/tgvDbFormat.h"
#include "trackdb/tgvSchema.h"

namespace {

constexpr int kMaxWrites = 48;
constexpr size_t kMaxCellBytes = 96;
constexpr int kTypeCount = static_cast<int>(sizeof RecordTypeTable / sizeof RecordTypeTable[0]) - 1;

using Db = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
using Stmt = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Stmt Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  return Stmt(st, &sqlite3_finalize);
}

// A new project's file, as the program makes it, on 512-byte pages so that
// each input's copy stays small.
std::string NewProjectBytes() {
  FuzzFile made(".new.tgv");
  made.Remove();
  {
    sqlite3* raw = nullptr;
    sqlite3_open16(made.Path(), &raw);
    Db db(raw, &sqlite3_close);
    if (sqlite3_exec(raw, "PRAGMA page_size = 512; CREATE TABLE x(a); DROP TABLE x; VACUUM;", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
      std::abort();
  }
  tgvDatabase_C project;
  if (!project.Open(RecordTypeTable, made.Path(), nullptr)) std::abort();
  project.Close();
  RemoveCompanions(made.Path());
  return made.Bytes();
}

// One value of any kind into the parameter.
void BindAny(FuzzedDataProvider& in, sqlite3_stmt* st, int index) {
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
      sqlite3_bind_null(st, index);
      break;
    case 1:
      sqlite3_bind_int(st, index, in.ConsumeIntegralInRange(-2, 40));
      break;
    case 2:
      sqlite3_bind_int64(st, index, in.ConsumeIntegral<int64_t>());
      break;
    case 3:
      sqlite3_bind_double(st, index, in.ConsumeFloatingPoint<double>());
      break;
    case 4: {  // UTF-16 of any number of bytes, odd ones included
      const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, kMaxCellBytes));
      sqlite3_bind_text16(st, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
      break;
    }
    case 5: {  // bytes given as UTF-8, valid or not
      const std::string text = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, kMaxCellBytes));
      sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      break;
    }
    default: {
      const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, kMaxCellBytes));
      sqlite3_bind_blob(st, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
      break;
    }
  }
}

// The table's column names, in their order.
std::vector<std::string> Columns(sqlite3* db, const std::string& table) {
  std::vector<std::string> names;
  Stmt st = Prepare(db, tgvSqlSelectAll(table.c_str()));
  for (int i = 0; st && i < sqlite3_column_count(st.get()); ++i) names.emplace_back(sqlite3_column_name(st.get(), i));
  return names;
}

// A row of the table whose every cell comes from the input. Rows are mostly
// added with the next id, which the summary's counter then names, so that
// the open goes on to read their cells.
void WriteRow(FuzzedDataProvider& in, sqlite3* db, const tgvRecordTypeEntry& type) {
  const std::string table = tgvTableIdent(type.tableName);
  const size_t columns = Columns(db, table).size();
  if (columns < 2) return;
  const bool anyId = in.ConsumeBool() && in.ConsumeBool();
  Stmt count = Prepare(db, "SELECT count(*) FROM " + table + ";");
  const int rows = count && sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int(count.get(), 0) : 0;
  const int id = anyId ? in.ConsumeIntegralInRange(-1, rows + 2) : rows + 1;
  std::string sql = "INSERT OR REPLACE INTO " + table + " VALUES (?";
  for (size_t i = 1; i < columns; ++i) sql += ", ?";
  Stmt row = Prepare(db, sql + ");");
  if (!row) return;
  sqlite3_bind_int(row.get(), 1, id);
  for (size_t i = 1; i < columns; ++i) BindAny(in, row.get(), static_cast<int>(i + 1));
  sqlite3_step(row.get());
  Stmt counter = Prepare(db, "UPDATE BR_TGVLib SET fObjNo = max(fObjNo, ?) WHERE fUserType = ?;");
  if (!counter) return;
  sqlite3_bind_int(counter.get(), 1, id);
  sqlite3_bind_int(counter.get(), 2, type.userType);
  sqlite3_step(counter.get());
}

// One cell of a row of the table (the summary's when `table` is its name).
void WriteCell(FuzzedDataProvider& in, sqlite3* db, const std::string& table) {
  const std::vector<std::string> names = Columns(db, table);
  if (names.empty()) return;
  const std::string& column = names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
  Stmt cell = Prepare(db, "UPDATE " + table + " SET " + column + " = ? WHERE rowid = ?;");
  if (!cell) return;
  BindAny(in, cell.get(), 1);
  sqlite3_bind_int(cell.get(), 2, in.ConsumeIntegralInRange(1, 24));
  sqlite3_step(cell.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kNewProject = NewProjectBytes();
  static FuzzFile file(".tgv");
  FuzzedDataProvider in(data, size);
  const tgvOpenMode mode = in.ConsumeBool() ? tgvOpen_ReadPoints : tgvOpen_ReadOnly;

  RemoveCompanions(file.Path());
  file.Put(reinterpret_cast<const uint8_t*>(kNewProject.data()), kNewProject.size());
  {
    sqlite3* raw = nullptr;
    sqlite3_open16(file.Path(), &raw);
    Db db(raw, &sqlite3_close);
    sqlite3_exec(raw, "BEGIN;", nullptr, nullptr, nullptr);
    for (int i = 0; i < kMaxWrites && in.remaining_bytes() > 0; ++i) {
      const tgvRecordTypeEntry& type = RecordTypeTable[in.ConsumeIntegralInRange(0, kTypeCount - 1)];
      switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
          WriteCell(in, raw, tgvSummaryTable);
          break;
        case 1:
          WriteCell(in, raw, tgvTableIdent(type.tableName));
          break;
        default:
          WriteRow(in, raw, type);
          break;
      }
    }
    sqlite3_exec(raw, "COMMIT;", nullptr, nullptr, nullptr);
  }
  RemoveCompanions(file.Path());

  const std::string written = file.Bytes();
  OpenAndWalk(file.Path(), mode);
  if (!file.Holds(reinterpret_cast<const uint8_t*>(written.data()), written.size())) std::abort();
  RemoveCompanions(file.Path());
  return 0;
}
