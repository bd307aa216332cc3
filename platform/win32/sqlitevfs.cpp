#include "platform/win32/sqlitevfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr char kVfsName[] = "unix-longpath";
constexpr int kLogKinds = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL;

sqlite3_vfs* BaseOf(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

// The database a journal or log belongs to: its path up to the last '-'.
std::string DatabaseOf(const char* log) {
  const char* dash = std::strrchr(log, '-');
  return dash ? std::string(log, static_cast<size_t>(dash - log)) : std::string();
}

// Makes the missing journal or log with its database's mode and, where the
// program may give files away, its owner: a journal holds copies of the
// database's pages and must be no more readable than the database.
void CreateLikeDatabase(const char* log) {
  struct stat db;
  if (::stat(DatabaseOf(log).c_str(), &db) != 0) return;
  const mode_t mode = db.st_mode & 0777;
  const int fd = ::open(log, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return;
  // Whatever the umask, as SQLite's layer does.
  (void)::fchmod(fd, mode);
  if (::geteuid() == 0) (void)::fchown(fd, db.st_uid, db.st_gid);
  ::close(fd);
}

// SQLite's layer finds a journal's or log's mode by copying the database's
// path into a buffer of its own limit, with no bound: a longer one is made
// here and opened as the layer opens a super-journal, which is the same
// open (the folder synced at the first sync, no locks) without that copy.
int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  sqlite3_vfs* base = BaseOf(vfs);
  const int log = flags & kLogKinds;
  if (name == nullptr || log == 0 || std::strlen(name) <= static_cast<size_t>(base->mxPathname))
    return base->xOpen(base, name, file, flags, outFlags);
  if (flags & SQLITE_OPEN_CREATE) CreateLikeDatabase(name);
  const int rc = base->xOpen(base, name, file, (flags & ~kLogKinds) | SQLITE_OPEN_SUPER_JOURNAL, outFlags);
  if (outFlags) *outFlags = (*outFlags & ~SQLITE_OPEN_SUPER_JOURNAL) | log;
  return rc;
}

// The layer itself, registered once; null when SQLite has no unix layer.
sqlite3_vfs* LongPathVfs() {
  static sqlite3_vfs* const registered = []() -> sqlite3_vfs* {
    sqlite3_vfs* base = sqlite3_vfs_find("unix");
    if (base == nullptr) return nullptr;
    static sqlite3_vfs vfs{};
    vfs.iVersion = base->iVersion < 3 ? base->iVersion : 3;
    vfs.szOsFile = base->szOsFile;
    vfs.mxPathname = PATH_MAX;
    vfs.zName = kVfsName;
    vfs.pAppData = base;
    vfs.xOpen = Open;
    vfs.xDelete = [](sqlite3_vfs* v, const char* n, int sync) { return BaseOf(v)->xDelete(BaseOf(v), n, sync); };
    vfs.xAccess = [](sqlite3_vfs* v, const char* n, int f, int* out) {
      return BaseOf(v)->xAccess(BaseOf(v), n, f, out);
    };
    vfs.xFullPathname = [](sqlite3_vfs* v, const char* n, int size, char* out) {
      return BaseOf(v)->xFullPathname(BaseOf(v), n, size, out);
    };
    vfs.xDlOpen = [](sqlite3_vfs* v, const char* n) { return BaseOf(v)->xDlOpen(BaseOf(v), n); };
    vfs.xDlError = [](sqlite3_vfs* v, int size, char* out) { BaseOf(v)->xDlError(BaseOf(v), size, out); };
    vfs.xDlSym = [](sqlite3_vfs* v, void* lib, const char* sym) { return BaseOf(v)->xDlSym(BaseOf(v), lib, sym); };
    vfs.xDlClose = [](sqlite3_vfs* v, void* lib) { BaseOf(v)->xDlClose(BaseOf(v), lib); };
    vfs.xRandomness = [](sqlite3_vfs* v, int size, char* out) { return BaseOf(v)->xRandomness(BaseOf(v), size, out); };
    vfs.xSleep = [](sqlite3_vfs* v, int us) { return BaseOf(v)->xSleep(BaseOf(v), us); };
    vfs.xCurrentTime = [](sqlite3_vfs* v, double* now) { return BaseOf(v)->xCurrentTime(BaseOf(v), now); };
    vfs.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
      return BaseOf(v)->xGetLastError(BaseOf(v), size, out);
    };
    if (vfs.iVersion >= 2)
      vfs.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* now) {
        return BaseOf(v)->xCurrentTimeInt64(BaseOf(v), now);
      };
    if (vfs.iVersion >= 3) {
      vfs.xSetSystemCall = [](sqlite3_vfs* v, const char* n, sqlite3_syscall_ptr call) {
        return BaseOf(v)->xSetSystemCall(BaseOf(v), n, call);
      };
      vfs.xGetSystemCall = [](sqlite3_vfs* v, const char* n) { return BaseOf(v)->xGetSystemCall(BaseOf(v), n); };
      vfs.xNextSystemCall = [](sqlite3_vfs* v, const char* n) { return BaseOf(v)->xNextSystemCall(BaseOf(v), n); };
    }
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? &vfs : nullptr;
  }();
  return registered;
}

}  // namespace

int OpenSqlite(const char* path, sqlite3** db, int flags) {
  return sqlite3_open_v2(path, db, flags, LongPathVfs() ? kVfsName : nullptr);
}
