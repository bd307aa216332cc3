#include "platform/win32/regstore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/knownfolders.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"

namespace {

constexpr DWORD kRegSz = 1, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;
constexpr char16_t kKeySep = u'\\';

std::atomic<unsigned> g_tempCounter{0};

int HexDigit(char h) {
  if (h >= '0' && h <= '9') return h - '0';
  if (h >= 'a' && h <= 'f') return h - 'a' + 10;
  if (h >= 'A' && h <= 'F') return h - 'A' + 10;
  return -1;
}

// ---------------------------------------------------------------------------
// Text form

void AppendQuoted(std::string& out, const std::u16string& text) {
  out.push_back('"');
  size_t runStart = 0;
  auto flush = [&](size_t end) { out += Utf16ToUtf8(std::u16string_view(text).substr(runStart, end - runStart)); };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if (c >= 0x20 && c != 0x7F && c != u'\\' && c != u'"' && !high && !low) continue;
    flush(i);
    runStart = i + 1;
    if (c == u'\\' || c == u'"') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04X", static_cast<unsigned>(c));
      out += esc;
    }
  }
  flush(text.size());
  out.push_back('"');
}

// Reads a quoted text at pos (which must be '"'); pos ends after the closing quote.
bool ReadQuoted(const std::string& line, size_t& pos, std::u16string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  std::string run;
  for (++pos; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      out += Utf8ToUtf16(run);
      ++pos;
      return true;
    }
    if (c != '\\') {
      run.push_back(c);
      continue;
    }
    out += Utf8ToUtf16(run);
    run.clear();
    if (++pos >= line.size()) return false;
    if (line[pos] == '\\' || line[pos] == '"') {
      out.push_back(static_cast<char16_t>(line[pos]));
    } else if (line[pos] == 'u' && pos + 4 < line.size()) {
      unsigned v = 0;
      for (size_t i = 1; i <= 4; ++i) {
        const int d = HexDigit(line[pos + i]);
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned>(d);
      }
      out.push_back(static_cast<char16_t>(v));
      pos += 4;
    } else {
      return false;
    }
  }
  return false;
}

std::vector<char16_t> Units(const std::vector<uint8_t>& data) {
  std::vector<char16_t> u(data.size() / 2);
  for (size_t i = 0; i < u.size(); ++i) u[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return u;
}

void AppendUnits(std::vector<uint8_t>& data, const std::u16string& text) {
  for (char16_t c : text) {
    data.push_back(static_cast<uint8_t>(c & 0xFF));
    data.push_back(static_cast<uint8_t>(c >> 8));
  }
}

// The strings of REG_SZ / REG_MULTI_SZ data when it has the exact form the
// readable line gives back; false otherwise.
bool SplitStrings(const std::vector<uint8_t>& data, DWORD type, std::vector<std::u16string>& out) {
  if (data.size() % 2 != 0 || data.size() < 2) return false;
  const std::vector<char16_t> u = Units(data);
  if (u.back() != 0) return false;
  std::u16string current;
  for (size_t i = 0; i + 1 < u.size(); ++i) {
    if (u[i] != 0) {
      current.push_back(u[i]);
      continue;
    }
    if (type == kRegSz || current.empty()) return false;
    out.push_back(current);
    current.clear();
  }
  if (type == kRegSz) {
    out.push_back(current);
    return true;
  }
  return current.empty() && !out.empty();
}

void AppendHex(std::string& out, const std::vector<uint8_t>& data) {
  char b[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(b, sizeof b, "%s%02x", i ? "," : "", data[i]);
    out += b;
  }
}

void AppendValue(std::string& out, const RegStoreValue& v) {
  if (v.name.empty())
    out.push_back('@');
  else
    AppendQuoted(out, v.name);
  out.push_back('=');
  std::vector<std::u16string> strings;
  if ((v.type == kRegSz || v.type == kRegMultiSz) && SplitStrings(v.data, v.type, strings)) {
    out += v.type == kRegSz ? "sz:" : "multi_sz:";
    for (size_t i = 0; i < strings.size(); ++i) {
      if (i) out.push_back(',');
      AppendQuoted(out, strings[i]);
    }
  } else if (v.type == kRegDword && v.data.size() == 4) {
    char b[16];
    std::snprintf(b, sizeof b, "dword:%08x",
                  static_cast<unsigned>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16)) |
                      (static_cast<unsigned>(v.data[3]) << 24));
    out += b;
  } else if (v.type == kRegBinary) {
    out += "hex:";
    AppendHex(out, v.data);
  } else {
    out += "hex(" + std::to_string(v.type) + "):";
    AppendHex(out, v.data);
  }
  out.push_back('\n');
}

// "01,ff,..." (possibly empty) into bytes.
bool ParseHex(const std::string& text, std::vector<uint8_t>& out) {
  for (size_t pos = 0; pos < text.size(); pos += 3) {
    if (pos + 2 > text.size()) return false;
    const int high = HexDigit(text[pos]), low = HexDigit(text[pos + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<uint8_t>(high * 16 + low));
    if (pos + 2 < text.size() && (text[pos + 2] != ',' || pos + 3 == text.size())) return false;
  }
  return true;
}

bool ParseValue(const std::string& line, RegStoreValue& v) {
  size_t pos = 0;
  if (line[0] == '@')
    pos = 1;
  else if (!ReadQuoted(line, pos, v.name) || v.name.empty() || v.name.find(u'\0') != std::u16string::npos)
    return false;  // the calls name a value by a zero-terminated text
  if (pos >= line.size() || line[pos++] != '=') return false;
  const size_t colon = line.find(':', pos);
  if (colon == std::string::npos) return false;
  const std::string kind = line.substr(pos, colon - pos), rest = line.substr(colon + 1);
  if (kind == "sz" || kind == "multi_sz") {
    v.type = kind == "sz" ? kRegSz : kRegMultiSz;
    size_t p = colon + 1;
    for (;;) {
      std::u16string s;
      if (!ReadQuoted(line, p, s) || (v.type == kRegMultiSz && s.empty())) return false;
      AppendUnits(v.data, s);
      v.data.push_back(0);
      v.data.push_back(0);
      // Only a comma leads to another string; anything else ends the line unread.
      if (v.type != kRegMultiSz || p >= line.size() || line[p] != ',') break;
      ++p;
    }
    if (p != line.size()) return false;
    if (v.type == kRegMultiSz) v.data.insert(v.data.end(), {0, 0});
    return true;
  }
  if (kind == "dword") {
    if (rest.size() != 8 || rest.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const uint32_t d = static_cast<uint32_t>(std::stoul(rest, nullptr, 16));
    v.type = kRegDword;
    v.data = {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d >> 16),
              static_cast<uint8_t>(d >> 24)};
    return true;
  }
  if (kind == "hex") {
    v.type = kRegBinary;
    return ParseHex(rest, v.data);
  }
  if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
    const std::string number = kind.substr(4, kind.size() - 5);
    if (number.empty() || number.size() > 10 || number.find_first_not_of("0123456789") != std::string::npos)
      return false;
    const unsigned long t = std::stoul(number);
    if (t > 0xFFFFFFFFul) return false;
    v.type = static_cast<DWORD>(t);
    return ParseHex(rest, v.data);
  }
  return false;
}

// ---------------------------------------------------------------------------
// Files

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the text beside `path` and renames it over `path`.
bool ReplaceFile(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(g_tempCounter++);
  {
    Fd out(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.fd < 0) return false;
    if (!WriteAll(out.fd, text) || fsync(out.fd) != 0) {
      unlink(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  Fd dir(open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd >= 0) fsync(dir.fd);
  return true;
}

// Temporary files are only written under the lock: one found while holding
// it is what a writer that died left behind.
void RemoveStaleTempFiles(const std::string& path) {
  const std::filesystem::path store(path);
  const std::string prefix = store.filename().string() + ".tmp-";
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(store.parent_path(), ec)) {
    if (e.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(e.path(), ec);
  }
}

}  // namespace

bool RegNamesEqual(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (WCharLowerAscii(a[i]) != WCharLowerAscii(b[i])) return false;
  return true;
}

bool IsValidRegKeyPath(const std::u16string& path) {
  if (path.empty() || path.front() == kKeySep || path.back() == kKeySep) return false;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] < 0x20 || path[i] == 0x7F) return false;
    if (path[i] == kKeySep && i + 1 < path.size() && path[i + 1] == kKeySep) return false;
  }
  return true;
}

RegStoreKey* RegStoreTree::FindKey(const std::u16string& path) {
  for (RegStoreKey& k : keys)
    if (RegNamesEqual(k.path, path)) return &k;
  return nullptr;
}

RegStoreKey& RegStoreTree::CreateKey(const std::u16string& path) {
  for (size_t sep = path.find(kKeySep); sep != std::u16string::npos; sep = path.find(kKeySep, sep + 1))
    if (!FindKey(path.substr(0, sep))) keys.push_back({path.substr(0, sep), {}, {}});
  if (RegStoreKey* k = FindKey(path)) return *k;
  keys.push_back({path, {}, {}});
  return keys.back();
}

bool RegStoreTree::KeyExists(const std::u16string& path) const {
  for (const RegStoreKey& k : keys)
    if (RegNamesEqual(k.path.substr(0, path.size()), path) &&
        (k.path.size() == path.size() || k.path[path.size()] == kKeySep))
      return true;
  return false;
}

std::vector<std::u16string> RegStoreTree::SubKeys(const std::u16string& path) const {
  std::vector<std::u16string> out;
  const size_t start = path.empty() ? 0 : path.size() + 1;
  for (const RegStoreKey& k : keys) {
    if (k.path.size() <= start || (!path.empty() && !RegNamesEqual(k.path.substr(0, path.size()), path)) ||
        (!path.empty() && k.path[path.size()] != kKeySep))
      continue;
    const std::u16string child = k.path.substr(start, k.path.find(kKeySep, start) - start);
    bool seen = false;
    for (const std::u16string& c : out) seen = seen || RegNamesEqual(c, child);
    if (!seen) out.push_back(child);
  }
  return out;
}

RegStoreValue* FindValue(RegStoreKey& key, const std::u16string& name) {
  for (RegStoreValue& v : key.values)
    if (RegNamesEqual(v.name, name)) return &v;
  return nullptr;
}

std::string FormatRegStore(const RegStoreTree& tree) {
  std::string out = "# Settings of this user, kept in the layout of the registry.\n";
  for (const std::string& line : tree.unreadable) out += line + "\n";
  for (const RegStoreKey& k : tree.keys) {
    out += "\n[" + Utf16ToUtf8(k.path) + "]\n";
    for (const RegStoreValue& v : k.values) AppendValue(out, v);
    for (const std::string& line : k.unreadable) out += line + "\n";
  }
  return out;
}

bool ParseRegStore(const std::string& text, RegStoreTree& tree) {
  tree.keys.clear();
  tree.unreadable.clear();
  // A key is held by its index: a later key may move the vector.
  constexpr size_t kNoKey = static_cast<size_t>(-1);
  size_t current = kNoKey;
  bool readable = true;
  auto keep = [&](const std::string& line) {
    readable = false;
    (current == kNoKey ? tree.unreadable : tree.keys[current].unreadable).push_back(line);
  };
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line.erase(0, first);
    if (line[0] == '[') {
      std::u16string path;
      if (line.back() != ']' || !Utf8ToUtf16Strict(line.substr(1, line.size() - 2), path) || !IsValidRegKeyPath(path)) {
        // The values under a key that cannot be read belong to no other key.
        current = kNoKey;
        keep(line);
        continue;
      }
      current = static_cast<size_t>(&tree.CreateKey(path) - tree.keys.data());
      continue;
    }
    RegStoreValue v;
    if (current == kNoKey || !ParseValue(line, v)) {
      keep(line);
      continue;
    }
    RegStoreKey& key = tree.keys[current];
    if (RegStoreValue* old = FindValue(key, v.name))
      *old = std::move(v);
    else
      key.values.push_back(std::move(v));
  }
  return readable;
}

std::string RegStorePath() {
  const std::u16string folder = GetSettingsFolderPath();
  if (folder.empty()) return std::string();
  return PathToNative(folder.c_str()) + "/win32-registry/HKEY_CURRENT_USER.txt";
}

bool LoadRegStore(RegStoreTree& tree) {
  tree.keys.clear();
  const std::string path = RegStorePath();
  if (path.empty()) return false;
  FileHandle f(std::fopen(path.c_str(), "rb"));
  if (!f) return errno == ENOENT;
  std::string text;
  char buf[8192];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) text.append(buf, n);
  if (std::ferror(f.get())) return false;
  ParseRegStore(text, tree);
  return true;
}

bool UpdateRegStore(const std::function<bool(RegStoreTree&)>& change) {
  const std::string path = RegStorePath();
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  Fd lock(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.fd < 0) return false;
  int rc;
  while ((rc = flock(lock.fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (rc != 0) return false;
  RemoveStaleTempFiles(path);
  RegStoreTree tree;
  if (!LoadRegStore(tree) || !change(tree)) return false;
  return ReplaceFile(path, FormatRegStore(tree));
}
