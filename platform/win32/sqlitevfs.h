// How the program's SQLite connections reach their files: through SQLite's
// own unix file layer, widened from its limit of 512 bytes to any path the
// system takes (PATH_MAX bytes with the terminating zero, NAME_MAX per
// part). A journal or write-ahead log is made with the mode and owner of its
// database, as SQLite's layer makes it, at any length of path.
#pragma once

struct sqlite3;

// sqlite3_open_v2 through that layer: SQLite's result code, and in *db a
// handle that is closed even when the open fails. A path the system does not
// take fails as SQLite's own open does.
int OpenSqlite(const char* path, sqlite3** db, int flags);
