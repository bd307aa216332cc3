#include "webclient/NamedJsonFile.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "icbase/src/icutil/sysinfo.h"
#include "webclient/JsonReader.h"

namespace {

uint32_t HashPointer(const void* p) {
  auto v = reinterpret_cast<uintptr_t>(p);
  return static_cast<uint32_t>(v >> 3) ^ static_cast<uint32_t>(v >> 35);
}

uint32_t EntryHash(const void* item) { return HashPointer(static_cast<const NamedJsonEntry_C*>(item)->name); }
uint32_t KeyHash(const void* key) { return HashPointer(key); }
bool EntryEquals(const void* item, const void* key) { return static_cast<const NamedJsonEntry_C*>(item)->name == key; }
void* EntryNext(const void* item) { return static_cast<const NamedJsonEntry_C*>(item)->next; }
void EntrySetNext(void* item, void* next) {
  static_cast<NamedJsonEntry_C*>(item)->next = static_cast<NamedJsonEntry_C*>(next);
}

// Opens a file for writing as UTF-16LE text: the file starts with its byte-order mark.
FileHandle OpenUtf16Output(const char16_t* path) {
  FileHandle f(path, "w+b");
  if (f && fwrite("\xFF\xFE", 1, 2, f.get()) != 2) f.reset();
  return f;
}

}  // namespace

NamedJsonFile_C::NamedJsonFile_C()
    : m_table(&EntryHash, &KeyHash, &EntryEquals, &EntryNext, &EntrySetNext, 512, 0),
      m_names(4096 * sizeof(char16_t)),
      m_entries(sizeof(NamedJsonEntry_C), 64) {}

NamedJsonFile_C::~NamedJsonFile_C() = default;

bool NamedJsonFile_C::Open(const char16_t* outputPath, const char16_t* secondOutputPath) {
  bool ok = true;
  if (outputPath) {
    m_output = OpenUtf16Output(outputPath);
    ok = ok && m_output;
  }
  if (secondOutputPath) {
    m_second = OpenUtf16Output(secondOutputPath);
    ok = ok && m_second;
  }
  if (!m_sysInfo) m_sysInfo = std::make_unique<SysInfo_C>();
  return ok;
}

NamedJsonEntry_C* NamedJsonFile_C::Find(const char16_t* internedName) {
  return static_cast<NamedJsonEntry_C*>(m_table.Find(internedName, false));
}

bool NamedJsonFile_C::Register(const char16_t* name, NamedJsonHandler handler) {
  if (!name) return false;
  const char16_t* interned = m_names.Intern(name);
  if (!interned || Find(interned)) return false;
  auto* entry = static_cast<NamedJsonEntry_C*>(m_entries.Alloc());
  if (!entry) return false;
  entry->name = interned;
  entry->handler = handler;
  entry->next = nullptr;
  if (!m_table.Insert(entry)) {
    m_entries.Free(entry);
    return false;
  }
  return true;
}

bool NamedJsonFile_C::RegisterMany(int count, const NamedJsonPair* pairs) {
  bool all = true;
  for (int i = 0; pairs && i < count; ++i) all = Register(pairs[i].name, pairs[i].handler) && all;
  return all;
}

bool NamedJsonFile_C::Dispatch(const char16_t* name, CJsonValue* value) {
  if (!name) return false;
  const char16_t* interned = m_names.Intern(name);
  NamedJsonEntry_C* entry = interned ? Find(interned) : nullptr;
  if (!entry || !entry->handler) return false;
  entry->handler(value);
  return true;
}

int NamedJsonFile_C::Load(const char16_t* path) {
  try {
    return Replay(path);
  } catch (const std::exception&) {  // memory ran out
    return -1;
  }
}

int NamedJsonFile_C::Replay(const char16_t* path) {
  std::vector<unsigned char> bytes;
  {
    FileHandle f(path, "rb");
    if (!f) return -1;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f.get())) > 0) bytes.insert(bytes.end(), buf, buf + n);
  }

  // UTF-16LE units, after the byte-order mark when there is one.
  std::u16string text;
  size_t i = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
  text.reserve(bytes.size() / 2);
  for (; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));

  int dispatched = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    // One line: up to a line feed that directly follows a carriage return.
    size_t end = text.find(u"\r\n", pos);
    size_t next = end == std::u16string::npos ? text.size() : end + 2;
    if (end == std::u16string::npos) end = text.size();
    std::u16string_view line(text.data() + pos, end - pos);
    pos = next;
    if (line.size() + 2 >= kMaxLine) continue;  // too long: rejected
    size_t open = line.find(u'(');
    if (open == std::u16string_view::npos || open + 1 >= line.size()) continue;
    const std::u16string name(line.substr(0, open));
    // The handlers are found by a zero-terminated name: one that holds a
    // U+0000 would be taken for its first part, another handler's name.
    if (name.find(u'\0') != std::u16string::npos) continue;
    const std::u16string_view valueText = line.substr(open + 1);
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> value(reader.Parse(valueText.data(), static_cast<int32_t>(valueText.size())));
    if (Dispatch(name.c_str(), value.get())) ++dispatched;
  }
  return dispatched;
}

bool NamedJsonFile_C::WriteText(FILE* f, const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && fflush(f) == 0;
}

bool NamedJsonFile_C::WriteEntry(const char16_t* name, const CJsonValue& value) {
  if (!m_output) return false;
  try {
    std::u16string line = name ? name : u"";
    line += u'(';
    line += value.Stringify(u"", true);
    line += u");\r\n";
    return WriteText(m_output.get(), line);
  } catch (const std::exception&) {  // memory ran out
    return false;
  }
}

bool NamedJsonFile_C::WriteLine(const char16_t* text) {
  FILE* f = m_second ? m_second.get() : m_output.get();
  if (!f) return false;
  try {
    std::u16string line = text ? text : u"";
    line += u"\r\n";
    return WriteText(f, line);
  } catch (const std::exception&) {  // memory ran out
    return false;
  }
}
