// Records and replays calls of named handlers in UTF-16LE text files, one
// call per line in the form name(JSON value); ended by CR LF. Handlers are
// registered by name; Load parses each line's value and calls the handler of
// that name with it; WriteEntry appends such a line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "icbase/src/icutil/hashtable.h"
#include "icbase/src/icutil/mempool.h"
#include "platform/win32/filehandle.h"
#include "webclient/JsonValue.h"

class SysInfo_C;

typedef void (*NamedJsonHandler)(CJsonValue* value);

struct NamedJsonPair {
  const char16_t* name;
  NamedJsonHandler handler;
};

struct NamedJsonEntry_C {
  const char16_t* name;  // interned in the file's name pool
  NamedJsonHandler handler;
  NamedJsonEntry_C* next;  // next entry of the same bucket
};

class NamedJsonFile_C {
 public:
  static constexpr size_t kMaxLine = 8192;

  NamedJsonFile_C();
  ~NamedJsonFile_C();
  NamedJsonFile_C(const NamedJsonFile_C&) = delete;
  NamedJsonFile_C& operator=(const NamedJsonFile_C&) = delete;

  // Opens each given path (null = none) for writing, replacing the file, and
  // makes the system-information object. False when a given path cannot be
  // opened.
  bool Open(const char16_t* outputPath, const char16_t* secondOutputPath);

  // False when the name is null or already registered.
  bool Register(const char16_t* name, NamedJsonHandler handler);
  // Registers each pair; false when any of them is refused.
  bool RegisterMany(int count, const NamedJsonPair* pairs);
  // Calls the handler registered under the name; false when there is none.
  bool Dispatch(const char16_t* name, CJsonValue* value);

  // Replays a file: the number of lines dispatched to a handler, or -1 when
  // the file cannot be opened or memory runs out. A line whose name holds a
  // U+0000 is skipped.
  int Load(const char16_t* path);

  // Appends name(value); to the output file when it is open.
  bool WriteEntry(const char16_t* name, const CJsonValue& value);
  // Writes the text and a line end to the second output file when it is
  // open, else to the output file.
  bool WriteLine(const char16_t* text);

 private:
  int Replay(const char16_t* path);
  bool WriteText(FILE* f, const std::u16string& text);
  NamedJsonEntry_C* Find(const char16_t* internedName);

  std::unique_ptr<SysInfo_C> m_sysInfo;
  FileHandle m_output;
  FileHandle m_second;
  HashTable_C m_table;
  StrPool_C m_names;
  BlockPool_C m_entries;
};
