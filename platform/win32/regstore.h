// The per-user settings store that stands in for the current user's registry:
// keys and typed values in one human-readable text file,
// <settings folder>/win32-registry/HKEY_CURRENT_USER.txt (see
// knownfolders.h). A change is a read-modify-write under an exclusive lock
// (flock on a lock file beside it), so that two processes or threads writing
// at once lose nothing, and the new text reaches the disk in a temporary file
// that is then renamed over the store: a crash leaves the old file or the new
// one, whole (a temporary file a dead writer left is removed by the next
// writer). Readers take no lock.
//
// The file, one entry per line ('#' starts a comment line):
//   [Software\Vendor\Product\Key]           a key (sub-keys separated by '\')
//   "Name"=sz:"text"                        REG_SZ
//   "Name"=multi_sz:"one","two"             REG_MULTI_SZ
//   "Name"=dword:000003f9                   REG_DWORD (hexadecimal)
//   "Name"=hex:01,ff                        REG_BINARY
//   "Name"=hex(N):..                        any type, or data that does not fit the forms above
// "@" names the unnamed value. In quoted text '\\', '\"' and '\uXXXX' (control
// characters and unpaired surrogates) are escaped; the rest is UTF-8. A value
// name holds no zero, since the calls name values by zero-terminated texts.
// Key and value names compare without regard to ASCII case, as in the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/wintypes.h"

struct RegStoreValue {
  std::u16string name;
  DWORD type = 0;
  std::vector<uint8_t> data;  // the bytes as RegSetValueExW received them
};

struct RegStoreKey {
  std::u16string path;                // as first created, without leading or trailing '\'
  std::vector<RegStoreValue> values;  // in the order first written
  // Lines of the key that could not be read, kept as they stood and written
  // back after the values, so that one bad line costs nothing else.
  std::vector<std::string> unreadable;
};

struct RegStoreTree {
  std::vector<RegStoreKey> keys;  // in the order first created
  // Lines outside any readable key (before the first key, or under a key
  // line that cannot be read), kept as they stood and written back first.
  std::vector<std::string> unreadable;

  RegStoreKey* FindKey(const std::u16string& path);
  // The key, created with every missing parent.
  RegStoreKey& CreateKey(const std::u16string& path);
  // True when the key or one of its sub-keys is stored.
  bool KeyExists(const std::u16string& path) const;
  // The names of the key's direct sub-keys, in the order first created.
  std::vector<std::u16string> SubKeys(const std::u16string& path) const;
};

RegStoreValue* FindValue(RegStoreKey& key, const std::u16string& name);
// ASCII-case-insensitive equality of names.
bool RegNamesEqual(const std::u16string& a, const std::u16string& b);
// False for an empty name or one with a control character or an empty part.
bool IsValidRegKeyPath(const std::u16string& path);

// The store's text and back. Parsing reads every line; a line that cannot be
// read goes to the `unreadable` lines of its key or of the tree. True when
// every line was read.
std::string FormatRegStore(const RegStoreTree& tree);
bool ParseRegStore(const std::string& text, RegStoreTree& tree);

// The store file's path (native); empty when no settings folder is known.
std::string RegStorePath();
// The stored tree; a missing file is an empty tree; false when the file
// cannot be read. Lines that cannot be parsed are kept in the tree.
bool LoadRegStore(RegStoreTree& tree);
// Applies `change` to the stored tree under the lock and stores the result
// when change returns true; unreadable lines are written back as they were.
// False when the store cannot be read, locked or written.
bool UpdateRegStore(const std::function<bool(RegStoreTree&)>& change);
