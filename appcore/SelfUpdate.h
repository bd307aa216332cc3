// The check for a newer version of the program, run once per start on its
// own thread. The update store (a deployment value) serves two files
// (datafiles/DataFiles.h names them):
//   auto_update.txt                   the description: a line "version" with
//                                     the offered version on the next line,
//                                     a line "chksum" with the installer's
//                                     MD5 (32 hex digits, either case) on the
//                                     next, and the release notes;
//   Pelmora_Uploader_installer.exe    the installer.
// Both are fetched with "?rand=<seconds>" (one value for both) so that no
// cache serves an old copy, into <userdata>/TransferDb. A failed or partial
// download leaves the file that was there before. The store must be an https
// folder (its peer verified) or one on this machine: over plain http anyone
// on the path could replace the installer and its checksum together.
#pragma once

#include <string>

#include "platform/classlib/CString.h"

// Versions above this one are newer than the program.
constexpr int kProgramVersion = 100;

// What an update check found.
enum class UpdateCheck : int {
  kNothingToInstall = 0,  // every failure: no store, no description, an old
                          // version, no checksum, a mismatch
  kInstallerReady = 1,    // a newer installer is downloaded, verified and runnable
};

// kInstallerReady when the store offers a newer version and its installer
// has been downloaded, matches the description's checksum and has been made
// executable by its owner (it is a program for this machine). The
// description is read as UTF-16LE with a byte-order mark or as UTF-8; lines
// compare exactly. `userData` is the per-user data folder; its TransferDb
// folder is made when missing (the data folder itself must exist).
UpdateCheck CheckSelfUpdate(const std::u16string& userData);

// True when the MD5 of the file, as 32 upper-case hex digits, equals
// `expected` after `expected` has been upper-cased in place. The file is
// hashed as it is read, to its end; a file that cannot be read matches
// nothing.
bool VerifyFileMd5(const char16_t* path, CString& expected);
