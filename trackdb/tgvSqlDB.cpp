#include "trackdb/tgvSqlDB.h"

#include <sqlite3.h>

#include <string>

#include "platform/win32/files.h"
#include "platform/win32/shellfileop.h"
#include "platform/win32/sqlitevfs.h"
#include "platform/win32/utf.h"

tgvSqlDB_C::tgvSqlDB_C() : m_state(kClosed), m_stmtState(kNone), m_path(nullptr), m_queryTag(0) {}

tgvSqlDB_C::~tgvSqlDB_C() {
  m_stmt.reset();
  m_db.reset();
}

namespace {

// The connection is used by one thread at a time (the database manager holds
// its lock around every call), so SQLite's own per-call locking is not needed.
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;

// A new file stores its texts as UTF-16, as an open through the UTF-16
// interface makes it; an existing file keeps its own encoding.
bool OpenConnection(const char* path, sqlite3** db) {
  const int rc = OpenSqlite(path, db, kOpenFlags);
  return rc == SQLITE_OK && sqlite3_exec(*db, "PRAGMA encoding = 'UTF-16';", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The file under a connection, its size, and the read lock held by a
// statement that reads the header value, which takes the lock without
// reading the schema, so that no writer can be half-way through. Null when
// the lock cannot be taken: not a database, or a hot journal that a
// read-only connection may not roll back.
sqlite3_file* LockedFile(sqlite3* db, SqliteStmtHandle& lock, sqlite3_int64* size) {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA schema_version;", -1, &raw, nullptr);
  lock.reset(raw);
  sqlite3_file* file = nullptr;
  if (!lock || sqlite3_step(lock.get()) != SQLITE_ROW ||
      sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods ||
      file->pMethods->xFileSize(file, size) != SQLITE_OK)
    return nullptr;
  return file;
}

// Whether a file starts with the header of a database kept in the classic
// journal mode. An empty or short file has no header; a write-ahead log may
// hold pages newer than the file.
bool IsClassicJournalFile(sqlite3_file* file, sqlite3_int64 size) {
  constexpr int kHeaderBytes = 100;
  unsigned char header[kHeaderBytes];
  if (size < kHeaderBytes || file->pMethods->xRead(file, header, kHeaderBytes, 0) != SQLITE_OK) return false;
  // Bytes 18 and 19: the write and read format versions, 1 for the classic journal.
  return header[18] == 1 && header[19] == 1;
}

// Counts the changes that other connections committed to the file, as this
// connection has seen them (-1 when it cannot be read).
int64_t DataVersion(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA data_version;", -1, &raw, nullptr);
  SqliteStmtHandle st(raw);
  return st && sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : -1;
}

// The bytes of a database file kept in the classic journal mode, read with
// SQLite's own handle under the file's read lock. Null when the file must be
// copied through SQLite's page cache instead, and when a data version is
// expected and the file's is another.
unsigned char* ReadWholeFile(sqlite3* source, sqlite3_int64* size, int64_t expectedVersion = -1) {
  SqliteStmtHandle lock;
  sqlite3_int64 bytes = 0;
  sqlite3_file* file = LockedFile(source, lock, &bytes);
  if (!file || !IsClassicJournalFile(file, bytes)) return nullptr;
  if (expectedVersion >= 0 && DataVersion(source) != expectedVersion) return nullptr;
  auto* image = static_cast<unsigned char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(bytes)));
  if (!image) return nullptr;
  if (bytes > INT32_MAX || file->pMethods->xRead(file, image, static_cast<int>(bytes), 0) != SQLITE_OK) {
    sqlite3_free(image);
    return nullptr;
  }
  *size = bytes;
  return image;
}

// A file whose writer died mid-write has a hot journal, which a read-only
// connection may not roll back. The file and its journal are copied into a
// private folder, where SQLite rolls the journal back as it first reads the
// copy; the result is taken whole and the copy goes with the folder. The
// writer's files are only read. Null when that fails.
unsigned char* ReadRolledBack(const char16_t* path, sqlite3_int64* size) {
  const PrivateTempFolder folder = MakePrivateTempFolder();
  if (!folder) return nullptr;
  const std::u16string copy = folder.Path() + u"/db", journal = u"-journal";
  unsigned char* image = nullptr;
  if (SilentCopy(path, copy, CopyScope::kFilesOnly) &&
      SilentCopy(std::u16string(path) + journal, copy + journal, CopyScope::kFilesOnly)) {
    sqlite3* raw = nullptr;
    const bool opened =
        OpenSqlite(Utf16ToUtf8(copy).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) == SQLITE_OK;
    SqliteHandle db(raw);
    if (opened && sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) == SQLITE_OK)
      image = sqlite3_serialize(db.get(), "main", size, 0);
  }
  return image;
}

}  // namespace

bool tgvSqlDB_C::Open(const char16_t* path, bool* isNew, tgvOpenMode mode) {
  if (m_state == kOpen && !Close()) return false;
  m_path = path;
  const bool fresh = !path || !PathFileExistsW(path);
  if (isNew) *isNew = fresh;
  m_readOnly = mode != tgvOpen_ReadWrite;
  m_inPlace = false;
  m_readVersion = -1;
  sqlite3* raw = nullptr;
  int rc = SQLITE_MISUSE;
  if (m_readOnly && path) {
    rc = (!fresh && OpenInPlace(path)) || OpenCopy(path, !fresh) ? SQLITE_OK : SQLITE_CANTOPEN;
  } else if (path) {
    rc = OpenConnection(Utf16ToUtf8(path).c_str(), &raw) ? SQLITE_OK : SQLITE_CANTOPEN;
    m_db.reset(raw);  // a failed open's handle is closed too
  }
  if (rc != SQLITE_OK) {
    m_db.reset();
    m_state = kOpenFailed;
    return false;
  }
  m_state = kOpen;
  m_stmtState = kNone;
  SetSynchronous(false);
  SetCountChangesOff();
  return true;
}

bool tgvSqlDB_C::OpenInPlace(const char16_t* path) {
  sqlite3* raw = nullptr;
  const int rc = OpenSqlite(Utf16ToUtf8(path).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
  SqliteHandle file(raw);  // a failed open's handle is closed too
  if (rc != SQLITE_OK) return false;
  {
    SqliteStmtHandle lock;
    sqlite3_int64 size = 0;
    sqlite3_file* f = LockedFile(file.get(), lock, &size);
    if (!f || !IsClassicJournalFile(f, size)) return false;
  }
  m_db = std::move(file);
  m_inPlace = true;
  return true;
}

bool tgvSqlDB_C::OpenCopy(const char16_t* path, bool exists) {
  if (!exists) return AdoptImage(nullptr, 0);
  sqlite3* file = nullptr;
  const std::string path8 = Utf16ToUtf8(path);
  SqliteHandle source(
      OpenSqlite(path8.c_str(), &file, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX) == SQLITE_OK ? file : nullptr);
  if (!source) {
    sqlite3_close_v2(file);
    return false;
  }
  // The file's pages are read once, under the file's read lock, and the
  // copy is handed to the connection whole.
  sqlite3_int64 size = 0;
  unsigned char* image = ReadWholeFile(source.get(), &size);
  if (!image && sqlite3_extended_errcode(source.get()) == SQLITE_READONLY_ROLLBACK) image = ReadRolledBack(path, &size);
  if (!image) image = sqlite3_serialize(source.get(), "main", &size, 0);
  return AdoptImage(image, size);
}

bool tgvSqlDB_C::AdoptImage(unsigned char* image, int64_t size) {
  sqlite3* raw = nullptr;
  const bool opened = OpenConnection(":memory:", &raw);
  m_db.reset(raw);
  // An empty file is an empty database; what is not a database has no size.
  if (!opened || !image) {
    sqlite3_free(image);
    return opened && size == 0;
  }
  // A copy in memory keeps no write-ahead log (its pages are in the copy
  // already): it is marked as a file of the classic journal.
  constexpr sqlite3_int64 kFormatBytes = 20;
  if (size >= kFormatBytes && image[18] == 2 && image[19] == 2) image[18] = image[19] = 1;
  constexpr unsigned kOwned = SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE;
  if (sqlite3_deserialize(m_db.get(), "main", image, size, size, kOwned) != SQLITE_OK) return false;
  // What is not a database is found now, as the copy's schema is read.
  return sqlite3_exec(m_db.get(), "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool tgvSqlDB_C::MakePrivate() {
  if (m_state != kOpen) return false;
  if (!m_inPlace) return true;
  m_stmt.reset();
  m_stmtState = kNone;
  m_queryTag = 0;
  // Inside a transaction the file is as this connection reads it; outside,
  // it must be as the last transaction left it.
  const bool inTransaction = !sqlite3_get_autocommit(m_db.get());
  if (!inTransaction && m_readVersion < 0) return false;
  sqlite3_int64 size = 0;
  unsigned char* image = ReadWholeFile(m_db.get(), &size, inTransaction ? -1 : m_readVersion);
  if (!image) return false;
  SqliteHandle file(m_db.release());
  if (!AdoptImage(image, size)) {
    m_db = std::move(file);
    return false;
  }
  m_inPlace = false;
  SetSynchronous(false);
  SetCountChangesOff();
  return true;
}

bool tgvSqlDB_C::Close() {
  if (m_state == kOpen) {
    m_stmt.reset();
    m_stmtState = kNone;
    m_queryTag = 0;
    if (sqlite3_close(m_db.get()) == SQLITE_BUSY) return false;
    (void)m_db.release();  // closed above
  }
  m_db.reset();
  m_path = nullptr;
  m_state = kClosed;
  m_inPlace = false;
  m_readVersion = -1;
  return true;
}

bool tgvSqlDB_C::Prepare(const char16_t* sql) {
  if (m_state != kOpen || !sql) return false;
  if (m_stmtState == kPrepared && m_stmt) return false;
  m_stmt.reset();
  const size_t n = std::char_traits<char16_t>::length(sql);
  if (n > static_cast<size_t>(INT32_MAX / 2)) return false;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare16_v2(m_db.get(), sql, static_cast<int>(n * 2), &raw, nullptr) != SQLITE_OK || !raw) {
    sqlite3_finalize(raw);
    m_stmtState = kNone;
    return false;
  }
  m_stmt.reset(raw);
  m_stmtState = kPrepared;
  return true;
}

bool tgvSqlDB_C::Step(bool* hasRow) {
  if (hasRow) *hasRow = false;
  if (m_state != kOpen || !m_stmt) return false;
  const int rc = sqlite3_step(m_stmt.get());
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
    if (hasRow) *hasRow = rc == SQLITE_ROW;
    m_stmtState = kStepped;
    return true;
  }
  m_stmtState = kNone;
  return false;
}

bool tgvSqlDB_C::Finalize() {
  if (!m_stmt) return false;
  const int rc = sqlite3_finalize(m_stmt.release());
  m_stmtState = kFinalized;
  return rc == SQLITE_OK;
}

bool tgvSqlDB_C::Query(uint32_t tag, const char16_t* sql) {
  if (m_stmtState == kStepped) Finalize();
  if (tag == 0 || m_state != kOpen) return false;
  bool hasRow = false;
  if (!Prepare(sql) || !Step(&hasRow)) {
    m_stmtState = kNone;
    return false;
  }
  m_queryTag = tag;
  return true;
}

bool tgvSqlDB_C::Exec(const char16_t* sql) {
  if (!Prepare(sql)) return false;
  bool hasRow = true;
  bool stepped = true;
  while (stepped && hasRow) stepped = Step(&hasRow);
  const bool finalized = Finalize();
  return stepped && finalized;
}

bool tgvSqlDB_C::SetSynchronous(bool on) {
  return Exec(on ? u"PRAGMA synchronous = FULL;" : u"PRAGMA synchronous = OFF;");
}

bool tgvSqlDB_C::SetCountChangesOff() { return Exec(u"PRAGMA count_changes = 0;"); }

bool tgvSqlDB_C::Transaction(bool begin) {
  // What a transaction in place has read is the file at this version: a
  // later private copy must find the file unchanged.
  if (!begin && m_inPlace && m_state == kOpen && !sqlite3_get_autocommit(m_db.get()))
    m_readVersion = DataVersion(m_db.get());
  return Exec(begin ? u"BEGIN TRANSACTION;" : u"COMMIT TRANSACTION;");
}

bool tgvSqlDB_C::Rollback() { return Exec(u"ROLLBACK TRANSACTION;"); }

bool tgvSqlDB_C::BindInt(int index, int32_t value) {
  return CanBind() && sqlite3_bind_int(m_stmt.get(), index, value) == SQLITE_OK;
}

bool tgvSqlDB_C::BindDouble(int index, double value) {
  return CanBind() && sqlite3_bind_double(m_stmt.get(), index, value) == SQLITE_OK;
}

bool tgvSqlDB_C::BindText(int index, const char16_t* text) {
  if (!CanBind() || !text) return false;
  const size_t n = std::char_traits<char16_t>::length(text);
  if (n > static_cast<size_t>(INT32_MAX / 2)) return false;
  return sqlite3_bind_text16(m_stmt.get(), index, text, static_cast<int>(n * 2), SQLITE_STATIC) == SQLITE_OK;
}

bool tgvSqlDB_C::BindBlob(int index, const void* bytes, int size) {
  if (!CanBind() || size < 0 || (size > 0 && !bytes)) return false;
  return sqlite3_bind_blob(m_stmt.get(), index, bytes, size, SQLITE_STATIC) == SQLITE_OK;
}

int32_t tgvSqlDB_C::ColumnInt(int column) const { return CanRead() ? sqlite3_column_int(m_stmt.get(), column - 1) : 0; }

double tgvSqlDB_C::ColumnDouble(int column) const {
  return CanRead() ? sqlite3_column_double(m_stmt.get(), column - 1) : 0.0;
}

std::u16string_view tgvSqlDB_C::ColumnText(int column) const {
  return CanRead() ? SqliteColumnText16(m_stmt.get(), column - 1) : std::u16string_view();
}

int tgvSqlDB_C::ColumnType(int column) const { return CanRead() ? sqlite3_column_type(m_stmt.get(), column - 1) : 0; }
