// The project database format: one column table per schema kind, and every
// SQL text the record store issues, generated from those tables.
//
// Every record table starts with fID INT PRIMARY KEY and fZero INT (0 live,
// 1 deleted); the kind's columns follow in the order of its column table.
// The summary table "BR_TGVLib" holds the format version row and one counter
// row per record type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class tgvRecord_C;

// How a column's value is bound and read.
enum tgvColClass : uint8_t {
  tgvCol_Int = 1,  // 32-bit signed (u32 words keep their bit pattern)
  tgvCol_Double = 2,
  tgvCol_Text = 3,  // UTF-16; null = NULL
};

// One value of a column, in the column's class.
struct tgvColValue {
  uint8_t cls;
  int32_t i;
  double d;
  const char16_t* s;
};

using tgvColGetFn = tgvColValue (*)(const tgvRecord_C*);
using tgvColSetFn = void (*)(tgvRecord_C*, const tgvColValue&);

struct tgvColumn {
  const char* name;      // "fName"
  const char* sqlType;   // declared type: "INT", "DOUBLE", "TEXT", "VARCHAR(256)", "VARCHAR(128)"
  uint8_t cls;           // tgvColClass
  uint8_t keptOnDelete;  // 1: the deletion step leaves the field as it is
  tgvColGetFn get;       // the record's field as a column value
  tgvColSetFn set;       // stores a column value into the field (no write)
  uint8_t sensor = 0;    // 1: a sensor value, which a read of the points leaves out
};

// The columns of one schema kind (after fID and fZero), in table order.
struct tgvSchema {
  uint8_t kind;
  uint32_t columnCount;
  const tgvColumn* columns;
  const char* orderColumn;  // "fOrder" where live ids are listed in order, else null
};

constexpr int tgvFormatVersion = 16;
constexpr int tgvOldestUpgradableVersion = 9;

extern const char tgvSummaryTable[];  // "BR_TGVLib"
extern const char tgvColID[];         // "fID"
extern const char tgvColZero[];       // "fZero"
extern const char tgvColUserType[];   // summary columns
extern const char tgvColDBType[];
extern const char tgvColObjNo[];
extern const char tgvColObjFreeNo[];
extern const char tgvColTypeName[];

// Last-error texts of the summary table.
extern const char16_t tgvMsgCreateSummaryFailed[];  // "create table %s failed." (file path)
extern const char16_t tgvMsgInsertSummaryFailed[];  // "insert data to summary table failed."
extern const char16_t tgvMsgUpdateRowFailed[];      // "update row data(%s) to summary table failed." (table)
extern const char16_t tgvMsgUpdateSummaryFailed[];  // "update data to summary table failed."

// The column table of a schema kind; null for a kind that has none.
const tgvSchema* tgvGetSchema(uint8_t kind);
// A column of a kind by name; null when the kind has no such column.
const tgvColumn* tgvFindColumn(uint8_t kind, const char* name);

// Deletion step on the fields: clears every field of the record's schema
// kind (texts to null, numbers to 0); kinds with a name also clear their
// in-memory word (a line its group pointer, which is not released) and the
// header user flag. A waypoint's level and segment and a line's is-group
// flag and sensor flags keep their values.
void tgvClearRecordFields(tgvRecord_C* record);

// A deleted record taken again for a new record: every memory-only field
// goes back to the state of a freshly allocated record (a waypoint's level 0
// and no segment, a line's sensor flags off), so nothing of the old record
// leaks into the new one.
void tgvResetReusedRecord(tgvRecord_C* record);

// --- statement texts ---
// Summary table.
std::string tgvSqlCreateSummary();   // CREATE TABLE BR_TGVLib (fUserType INT, ...);
std::string tgvSqlInsertSummary();   // INSERT INTO BR_TGVLib VALUES(?, ?, ?, ?, ?);
std::string tgvSqlUpdateCounters();  // UPDATE BR_TGVLib SET fObjNo=?, fObjFreeNo=? WHERE fUserType=? ;

// Record tables (empty text for a kind without a column table).
std::string tgvSqlCreateTable(uint8_t kind, const char* table);
std::string tgvSqlInsert(uint8_t kind, const char* table);  // binds fID, fZero, columns
std::string tgvSqlUpdate(uint8_t kind, const char* table);  // binds fZero, columns, fID
std::string tgvSqlSelectAll(const char* table);             // SELECT * FROM t ;
// The same without the sensor columns: "SELECT fID, fZero, <columns> FROM t ;";
// "SELECT * FROM t ;" for a kind that has none.
std::string tgvSqlSelectWithoutSensors(uint8_t kind, const char* table);
// fID of every live row, by fOrder for the kinds that have an order column.
std::string tgvSqlSelectLiveIds(uint8_t kind, const char* table);
// fID of live rows whose owner column equals the bound value.
std::string tgvSqlSelectByOwner(uint8_t kind, const char* table, const char* ownerColumn);
std::string tgvSqlSelectByOwners(uint8_t kind, const char* table, const char* ownerColumn1, const char* ownerColumn2);

// A search condition. It starts with "fZero=0 " and grows by fragments, each
// added only when its argument is given. Every value is a bound parameter
// (in the order of the fragments), so names and limits cannot change the
// statement and keep their full precision.
class tgvCondition_C {
 public:
  // How the condition ends the statement.
  enum Form {
    Plain,           // "WHERE <cond> "
    OrderSemicolon,  // "WHERE <cond> ORDER BY <col> ;"
    Order,           // "WHERE <cond> ORDER BY <col> "
  };

  struct Param {
    uint8_t cls;  // tgvColClass
    int32_t i;
    double d;
    std::u16string text;
  };

  tgvCondition_C();

  // "AND col = ? "
  void AddEquals(const char* column, int32_t value);
  // "AND col LIKE '%' || ? || '%' ESCAPE '\' ": rows whose column contains
  // the text. Nothing is added for a null or empty text.
  void AddContains(const char* column, const char16_t* text);
  // "AND ( x BETWEEN ? AND ? ) AND ( y BETWEEN ? AND ? ) " with integers.
  void AddIntBox(const char* columnX, const char* columnY, int32_t x1, int32_t x2, int32_t y1, int32_t y2);
  // The same with doubles (lon/lat boxes).
  void AddGeoBox(const char* columnX, const char* columnY, double x1, double x2, double y1, double y2);
  // "AND ( col BETWEEN ? AND ? ) "
  void AddRange(const char* column, int32_t from, int32_t to);

  const std::string& GetText() const { return m_text; }
  const std::vector<Param>& GetParams() const { return m_params; }

  // "SELECT fID FROM <table> WHERE <cond> [ORDER BY ...];"
  std::string BuildSelect(const char* table, Form form = Plain, const char* orderColumn = nullptr) const;

 private:
  void AddInt(int32_t v);
  void AddDouble(double v);

  std::string m_text;
  std::vector<Param> m_params;
};
