#include "icbase/src/icutil/utdm/unifile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "icbase/src/icutil/fatal.h"
#include "icbase/src/icutil/paths.h"
#include "icbase/src/icutil/utils.h"
#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"

namespace {

const char16_t kEmptyText[1] = {0};
constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The offset of `text` inside buffer[0, capacity), or -1 when it lies
// elsewhere: a text taken from the builder itself is found again after the
// buffer moved.
int64_t OffsetIn(const char16_t* buffer, int32_t capacity, const char16_t* text) {
  auto at = reinterpret_cast<uintptr_t>(text);
  auto begin = reinterpret_cast<uintptr_t>(buffer);
  if (!buffer || at < begin || at >= begin + static_cast<uintptr_t>(capacity) * sizeof(char16_t)) return -1;
  return static_cast<int64_t>((at - begin) / sizeof(char16_t));
}

}  // namespace

// ---------------------------------------------------------------------------
// Atomic replacement of a file: the bytes go to a temporary file beside the
// target, which is flushed to disk and renamed over the target only when
// everything was written.

namespace {

// Follows symbolic links at the end of the path (at most 40, as the system
// does), so that a save replaces the file a link names and the link stays.
// False for a loop of links or a link that cannot be read.
bool FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::vector<char> buf(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096);
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return false;
    std::string dest(buf.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (dest[0] != '/' && slash != std::string::npos) dest = path.substr(0, slash + 1) + dest;
    path = dest;
  }
  return false;
}

// Buffered bytes, then the file's blocks, reach the disk.
bool FlushToDisk(FILE* f) { return std::fflush(f) == 0 && std::ferror(f) == 0 && ::fsync(::fileno(f)) == 0; }

}  // namespace

class UniFileSaver_C {
 public:
  ~UniFileSaver_C() { Abort(); }

  // Creates the temporary file. False when the target is a folder or a
  // read-only file, or when no temporary file can be made beside it.
  bool Begin(const char16_t* path) {
    if (!path || !*path) return false;
    m_target = PathToNative(path);
    if (m_target.empty() || !FollowLinks(m_target)) return false;
    struct stat st;
    bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists) {
      if (!S_ISREG(st.st_mode)) return false;
      // A file nobody may write is read-only, also for a privileged user.
      if ((st.st_mode & 0222) == 0 || ::access(m_target.c_str(), W_OK) != 0) return false;
    }
    // A short name of its own, so that a target name near the length limit
    // still has a temporary file beside it.
    size_t slash = m_target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = folder + ".~" + std::to_string(static_cast<long>(::getpid())) + "-" +
                         std::to_string(counter.fetch_add(1)) + ".tmp";
      // "x": exclusive creation; the permissions follow the process's umask.
      FileHandle f(std::fopen(name.c_str(), "wbx"));
      if (f) {
        m_temp = name;
        if (exists) ::fchmod(::fileno(f.get()), st.st_mode & 07777);
        m_stream = std::move(f);
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  FILE* Stream() const { return m_stream.get(); }

  // Hands the stream to `file`, which writes the mark of `enc` first.
  bool HandTo(UniFile_C& file, int32_t enc) { return file.AttachWrite(std::move(m_stream), enc); }

  // Flushes the stream to disk and closes it (through `file` when it took
  // the stream over), then renames the temporary file over the target.
  bool Commit(UniFile_C* file) {
    bool ok;
    if (file) {
      ok = file->stream && file->FlushPending() && FlushToDisk(file->stream.get());
      ok = file->Close() && ok;
    } else {
      ok = m_stream && FlushToDisk(m_stream.get());
      ok = m_stream.Close() && ok;
    }
    if (!ok || std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
      Abort();
      return false;
    }
    m_temp.clear();
    return true;
  }

  // Removes the temporary file; the target is left as it was.
  void Abort() {
    m_stream.reset();
    if (!m_temp.empty()) {
      std::remove(m_temp.c_str());
      m_temp.clear();
    }
  }

 private:
  std::string m_target;
  std::string m_temp;
  FileHandle m_stream;
};

// ---------------------------------------------------------------------------
// UniFile_C

UniFile_C::UniFile_C() = default;

UniFile_C::~UniFile_C() {
  Close();
  MemFree(lineBuf);
}

bool UniFile_C::Open(const char16_t* path, int32_t openMode, int32_t enc) {
  if (isOpen) return false;
  if (openMode != kUniFileRead && enc == kUniEncAny) return false;
  mode = openMode;
  encoding = enc;
  return openMode == kUniFileRead ? OpenRead(path) : OpenWrite(path);
}

bool UniFile_C::OpenRead(const char16_t* path) {
  if (isOpen || !path) return false;
  // The reader wants the file's bytes unchanged: binary mode.
  FileHandle f(path, "rb");
  uint64_t bytes = 0;
  if (!f.RegularFileSize(&bytes)) return false;
  int32_t requested = encoding;
  size = bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
  unsigned char mark[3] = {0, 0, 0};
  if (std::fread(mark, 1, 2, f.get()) != 2) mark[0] = mark[1] = 0;
  bool accepted;
  if (mark[0] == 0xFF && mark[1] == 0xFE) {
    accepted = requested == kUniEncAny || requested == kUniEncUtf16;
    encoding = kUniEncUtf16;
  } else if (mark[0] == 0xEF && mark[1] == 0xBB) {
    if (std::fread(mark + 2, 1, 1, f.get()) != 1 || mark[2] != 0xBF) std::fseek(f.get(), 0, SEEK_SET);
    accepted = requested == kUniEncAny || requested == kUniEncUtf8Bom;
    encoding = kUniEncUtf8Bom;
  } else {
    std::fseek(f.get(), 0, SEEK_SET);
    accepted = requested == kUniEncAny || requested == kUniEncUtf8Bom;
    encoding = kUniEncUtf8Bom;
  }
  if (!accepted) {
    encoding = requested;
    return false;
  }
  stream = std::move(f);
  mode = kUniFileRead;
  isOpen = 1;
  return true;
}

bool UniFile_C::OpenWrite(const char16_t* path) {
  if (isOpen || !path) return false;
  if (encoding < kUniEncUtf8 || encoding > kUniEncUtf16) return false;
  FileHandle f(path, "wb");
  if (!f) return false;
  return AttachWrite(std::move(f), encoding);
}

bool UniFile_C::AttachWrite(FileHandle f, int32_t enc) {
  stream = std::move(f);
  mode = kUniFileWrite;
  encoding = enc;
  isOpen = 1;
  pendingHigh = 0;
  writeFailed = 0;
  static const unsigned char kUtf16Mark[2] = {0xFF, 0xFE};
  static const unsigned char kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
  if (enc == kUniEncUtf16) return PutBytes(kUtf16Mark, 2);
  if (enc == kUniEncUtf8Bom) return PutBytes(kUtf8Mark, 3);
  return true;
}

bool UniFile_C::Close() {
  if (!isOpen || !stream) {
    isOpen = 0;
    stream.reset();
    return false;
  }
  bool ok = true;
  if (mode == kUniFileWrite) {
    ok = FlushPending();
    ok = std::fflush(stream.get()) == 0 && ok;
    ok = std::ferror(stream.get()) == 0 && !writeFailed && ok;
  }
  ok = stream.Close() && ok;
  isOpen = 0;
  pendingHigh = 0;
  return ok;
}

char16_t UniFile_C::ReadChar() {
  if (!isOpen || mode != kUniFileRead) return 0xFFFF;
  if (encoding != kUniEncUtf16) AssertFail("unifile", __LINE__);
  unsigned char b[2];
  size_t got = std::fread(b, 1, 2, stream.get());
  // A last byte without its pair is a damaged unit, not the end of the text.
  if (got == 1) return kReplacement;
  if (got != 2) return 0;
  return static_cast<char16_t>(b[0] | (b[1] << 8));
}

int32_t UniFile_C::ReadLine(const char16_t** out) {
  if (out) *out = nullptr;
  if (!isOpen || mode != kUniFileRead) return -1;
  int32_t n = 0;
  for (;;) {
    char16_t c = ReadChar();
    if (c == 0 || c == u'\n') break;
    if (n + 1 >= lineCap) {
      if (lineCap > INT32_MAX / 2) break;
      int32_t cap = lineCap ? lineCap * 2 : 256;
      void* p = MemRealloc(lineBuf, static_cast<size_t>(cap) * sizeof(char16_t), false);
      if (!p) break;
      lineBuf = static_cast<char16_t*>(p);
      lineCap = cap;
    }
    lineBuf[n++] = c;
  }
  if (!lineBuf) {
    // An empty first line still needs a terminated buffer.
    void* p = MemAlloc(16 * sizeof(char16_t), true);
    if (!p) return -1;
    lineBuf = static_cast<char16_t*>(p);
    lineCap = 16;
  }
  lineBuf[n] = 0;
  if (out) *out = lineBuf;
  return n;
}

int32_t UniFile_C::ReadUnits(char16_t* buffer, int32_t n) {
  if (!isOpen || mode != kUniFileRead) return -1;
  if (!buffer || n <= 0) return 0;
  size_t got = 0;
  unsigned char b[2];
  while (got < static_cast<size_t>(n) && std::fread(b, 1, 2, stream.get()) == 2) {
    buffer[got++] = static_cast<char16_t>(b[0] | (b[1] << 8));
  }
  return static_cast<int32_t>(got);
}

int32_t UniFile_C::ReadBytes(void* buffer, int32_t n) {
  if (!isOpen || mode != kUniFileRead) return -1;
  if (!buffer || n <= 0) return 0;
  return static_cast<int32_t>(std::fread(buffer, 1, static_cast<size_t>(n), stream.get()));
}

bool UniFile_C::PutBytes(const void* p, size_t n) {
  if (n == 0) return true;
  if (std::fwrite(p, 1, n, stream.get()) != n) {
    writeFailed = 1;
    return false;
  }
  return true;
}

bool UniFile_C::PutUtf8(char32_t cp) {
  const UTF32 src[1] = {cp};
  const UTF32* s = src;
  UTF8 out[8];
  UTF8* t = out;
  if (ConvertUTF32toUTF8(&s, src + 1, &t, out + sizeof out, strictConversion) != conversionOK) {
    static const UTF8 kFffd[3] = {0xEF, 0xBF, 0xBD};
    return PutBytes(kFffd, 3);
  }
  return PutBytes(out, static_cast<size_t>(t - out));
}

bool UniFile_C::FlushPending() {
  if (!pendingHigh) return true;
  pendingHigh = 0;
  return PutUtf8(kReplacement);
}

bool UniFile_C::WriteChar(char16_t unit) {
  if (!isOpen || mode != kUniFileWrite) return false;
  if (encoding == kUniEncUtf16) {
    if (unit == u'\n') {
      static const unsigned char kCr[2] = {0x0D, 0x00};
      if (!PutBytes(kCr, 2)) return false;
    }
    unsigned char b[2] = {static_cast<unsigned char>(unit & 0xFF), static_cast<unsigned char>(unit >> 8)};
    return PutBytes(b, 2);
  }
  // UTF-8: pairs are kept whole, lone surrogates become U+FFFD.
  if (IsHighSurrogate(unit)) {
    bool ok = FlushPending();
    pendingHigh = unit;
    return ok;
  }
  if (IsLowSurrogate(unit)) {
    if (!pendingHigh) return PutUtf8(kReplacement);
    const UTF16 pair[2] = {pendingHigh, unit};
    pendingHigh = 0;
    const UTF16* s = pair;
    UTF8 out[8];
    UTF8* t = out;
    if (ConvertUTF16toUTF8(&s, pair + 2, &t, out + sizeof out, strictConversion) != conversionOK) {
      return PutUtf8(kReplacement);
    }
    return PutBytes(out, static_cast<size_t>(t - out));
  }
  bool ok = FlushPending();
  return PutUtf8(unit) && ok;
}

int32_t UniFile_C::WriteChars(const char16_t* text, int32_t n) {
  if (!isOpen || mode != kUniFileWrite) return -1;
  if (!text || n <= 0) return 0;
  for (int32_t i = 0; i < n; ++i) {
    if (!WriteChar(text[i])) return -1;
  }
  return std::ferror(stream.get()) ? -1 : n;
}

bool UniFile_C::WriteText(const char16_t* text, int32_t n) {
  if (!isOpen || mode != kUniFileWrite) return false;
  if (!text || n <= 0) return true;
  for (int32_t i = 0; i < n; ++i) {
    unsigned char b[2] = {static_cast<unsigned char>(text[i] & 0xFF), static_cast<unsigned char>(text[i] >> 8)};
    if (!PutBytes(b, 2)) return false;
  }
  return true;
}

bool UniFile_C::WriteLine(int32_t indentFlag, const char16_t* text, int32_t n) {
  if (!isOpen || mode != kUniFileWrite) return false;
  bool ok = true;
  if (indentFlag == 1) {
    const char16_t tab = u'\t';
    for (int32_t i = 0; i < indentTabs; ++i) ok = WriteText(&tab, 1) && ok;
  }
  ok = WriteText(text, n) && ok;
  const char16_t lf = u'\n';
  return WriteText(&lf, 1) && ok;
}

bool UniFile_C::Printf(int32_t indentFlag, const char16_t* format, ...) {
  if (!isOpen || mode != kUniFileWrite) return false;
  std::u16string text;
  if (format) {
    va_list args;
    va_start(args, format);
    text = FormatWV(format, args);
    va_end(args);
  }
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  return WriteLine(indentFlag, text.data(), static_cast<int32_t>(text.size()));
}

// ---------------------------------------------------------------------------
// WStrBuilder_C

WStrBuilder_C::WStrBuilder_C(int32_t /*initialSize*/) { Grow(0); }

WStrBuilder_C::~WStrBuilder_C() { Release(); }

void WStrBuilder_C::Release() {
  if (capacity != 0) MemFree(buffer);
  buffer = nullptr;
  capacity = 0;
  length = 0;
}

void WStrBuilder_C::Clear() {
  if (capacity == 0) return;
  length = 0;
  std::memset(buffer, 0, static_cast<size_t>(capacity) * sizeof(char16_t));
}

int32_t WStrBuilder_C::RoundUp8192(int32_t n) { return (n / 8192 + 1) * 8192; }

bool WStrBuilder_C::Grow(int32_t newCapacity) {
  int64_t cap = newCapacity;
  if (capacity == 0) {
    cap = 8192;
  } else if (cap == 0) {
    cap = static_cast<int64_t>(capacity) * 2;
  }
  if (cap <= 0 || cap > INT32_MAX) return false;
  if (cap <= capacity) return true;
  size_t bytes = static_cast<size_t>(cap) * sizeof(char16_t);
  // Units past the text are never read, so a re-allocated buffer's new part
  // is left as it comes: a large one is then not touched until written.
  void* p = capacity == 0 ? MemAlloc(bytes, true) : MemRealloc(buffer, bytes, false);
  if (!p) return false;  // the old buffer and its text stay as they were
  buffer = static_cast<char16_t*>(p);
  capacity = static_cast<int32_t>(cap);
  return true;
}

// The buffer at least doubles, so that building a text of n units copies
// O(n) units in all; the 8192-unit step is the least it grows by. When the
// doubled buffer cannot be had, the step alone is tried.
bool WStrBuilder_C::Reserve(int64_t needed) {
  // `needed` counts the units to add; the terminator needs one more.
  int64_t total = static_cast<int64_t>(length) + needed;
  if (total < static_cast<int64_t>(capacity) - 1) return true;
  if (total + 1 >= INT32_MAX - 8192) return false;
  if (capacity == 0 && !Grow(0)) return false;
  if (total < static_cast<int64_t>(capacity) - 1) return true;
  const int32_t step = RoundUp8192(static_cast<int32_t>(total + 1));
  const int64_t doubled = std::min<int64_t>(static_cast<int64_t>(capacity) * 2, INT32_MAX);
  if (doubled > step && Grow(static_cast<int32_t>(doubled))) return true;
  return Grow(step);
}

bool WStrBuilder_C::Append(const char16_t* text, int32_t n) {
  if (!text || n < 0) return false;
  if (n == 0) {
    size_t len = WStrLen(text);
    if (len > static_cast<size_t>(INT32_MAX)) return false;
    n = static_cast<int32_t>(len);
  }
  int64_t own = OffsetIn(buffer, capacity, text);
  if (!Reserve(n)) return false;
  if (own >= 0) text = buffer + own;
  if (n > 0) std::memmove(buffer + length, text, static_cast<size_t>(n) * sizeof(char16_t));
  length += n;
  buffer[length] = 0;
  return true;
}

bool WStrBuilder_C::AppendLine(const char16_t* text, int32_t n) {
  if (n < 0) return false;
  if (!text) {
    text = kEmptyText;
    n = 0;
  } else if (n == 0) {
    size_t len = WStrLen(text);
    if (len > static_cast<size_t>(INT32_MAX)) return false;
    n = static_cast<int32_t>(len);
  }
  int32_t tabs = indent > 0 ? indent : 0;
  int64_t own = OffsetIn(buffer, capacity, text);
  if (!Reserve(static_cast<int64_t>(n) + tabs + 1)) return false;
  if (own >= 0) text = buffer + own;
  for (int32_t i = 0; i < tabs; ++i) buffer[length++] = u'\t';
  if (n > 0) std::memmove(buffer + length, text, static_cast<size_t>(n) * sizeof(char16_t));
  length += n;
  buffer[length++] = u'\n';
  buffer[length] = 0;
  return true;
}

const char16_t* WStrBuilder_C::GetText() const { return buffer ? buffer : kEmptyText; }

bool WStrBuilder_C::SaveToFile(const char16_t* path, int32_t enc) const {
  if (enc < kUniEncUtf8 || enc > kUniEncUtf16) return false;
  UniFileSaver_C saver;
  if (!saver.Begin(path)) return false;
  UniFile_C file;
  bool marked = saver.HandTo(file, enc);
  int32_t written = length > 0 ? file.WriteChars(buffer, length) : 0;
  if (!marked || written < 0) {
    file.Close();
    saver.Abort();
    return false;
  }
  if (!saver.Commit(&file)) return false;
  return written > 0;
}

// ---------------------------------------------------------------------------
// LineReader_C

LineReader_C::LineReader_C(int32_t units) : WStrBuilder_C(0) { SetWindow(units); }

LineReader_C::~LineReader_C() { End(); }

void LineReader_C::PutBack() {
  if (pending) {
    if (buffer && termPos >= 0 && termPos < capacity) buffer[termPos] = savedUnit;
    pending = 0;
  }
}

void LineReader_C::Begin() {
  End();
  active = 1;
  pending = 0;
  cursor = 0;
  termPos = 0;
}

const char16_t* LineReader_C::NextLine() {
  if (!active) return nullptr;
  PutBack();
  if (!buffer || cursor >= length) return nullptr;
  int32_t start = cursor;
  int32_t limit = length - start < window ? length : start + window;
  for (int32_t i = start; i < limit; ++i) {
    if (buffer[i] == u'\n') {
      termPos = i;
      savedUnit = buffer[i];
      buffer[i] = 0;
      pending = 1;
      cursor = i + 1;
      return buffer + start;
    }
  }
  if (limit < length) {
    // No LF inside the window: cut the line at the window's end. An LF right
    // there ends this line: a line that fills the window exactly is one line.
    // A surrogate pair across the cut goes whole to the next line, unless it
    // would leave this one empty.
    if (limit - start > 1 && IsHighSurrogate(buffer[limit - 1]) && IsLowSurrogate(buffer[limit])) --limit;
    termPos = limit;
    savedUnit = buffer[limit];
    buffer[limit] = 0;
    pending = 1;
    cursor = savedUnit == u'\n' ? limit + 1 : limit;
    return buffer + start;
  }
  cursor = length;
  return buffer + start;
}

void LineReader_C::End() {
  PutBack();
  active = 0;
  cursor = 0;
  termPos = 0;
}

// ---------------------------------------------------------------------------
// ByteBuffer_C

ByteBuffer_C::ByteBuffer_C(int32_t m) : mode(m) {}

ByteBuffer_C::~ByteBuffer_C() { MemFree(buffer); }

int32_t ByteBuffer_C::RoundUp20480(int32_t n) { return (n / 20480 + 1) * 20480; }

void ByteBuffer_C::Clear() {
  length = 0;
  if (buffer) std::memset(buffer, 0, static_cast<size_t>(capacity));
}

bool ByteBuffer_C::Grow(int32_t newCapacity) {
  int64_t cap = newCapacity == 0 ? static_cast<int64_t>(capacity) * 2 : newCapacity;
  if (cap < 20480) cap = 20480;
  if (cap > INT32_MAX) return false;
  if (cap <= capacity) return true;
  void* p = MemRealloc(buffer, static_cast<size_t>(cap), false);
  if (!p) return false;
  std::memset(static_cast<uint8_t*>(p) + capacity, 0, static_cast<size_t>(cap - capacity));
  buffer = static_cast<uint8_t*>(p);
  capacity = static_cast<int32_t>(cap);
  return true;
}

bool ByteBuffer_C::AppendBytes(const void* bytes, int32_t n) {
  if (!bytes || n < 0) return false;
  if (n == 0) return true;
  int64_t need = static_cast<int64_t>(length) + n;
  if (need >= capacity) {
    if (need >= INT32_MAX - 20480) return false;
    if (!Grow(RoundUp20480(static_cast<int32_t>(need)))) return false;
  }
  std::memcpy(buffer + length, bytes, static_cast<size_t>(n));
  length += n;
  return true;
}

bool ByteBuffer_C::AppendByte(uint8_t b) { return AppendBytes(&b, 1); }

bool ByteBuffer_C::LoadFile(const char16_t* path) {
  if (mode != kByteBufLoad || !path) return false;
  Clear();
  FileHandle f(path, "rb");
  uint64_t fileSize = 0;
  if (!f.RegularFileSize(&fileSize) || fileSize == 0) return false;
  if (fileSize >= static_cast<uint64_t>(INT32_MAX - 20480)) return false;
  if (!Grow(RoundUp20480(static_cast<int32_t>(fileSize)))) return false;
  while (length < capacity - 1) {
    size_t got = std::fread(buffer + length, 1, static_cast<size_t>(capacity - 1 - length), f.get());
    if (got == 0) break;
    length += static_cast<int32_t>(got);
  }
  return std::ferror(f.get()) == 0;
}

bool ByteBuffer_C::SaveFile(const char16_t* path) const {
  if (mode != kByteBufSave || length <= 0 || !buffer) return false;
  UniFileSaver_C saver;
  if (!saver.Begin(path)) return false;
  if (std::fwrite(buffer, 1, static_cast<size_t>(length), saver.Stream()) != static_cast<size_t>(length)) {
    saver.Abort();
    return false;
  }
  return saver.Commit(nullptr);
}

// ---------------------------------------------------------------------------
// ByteArray_C

ByteArray_C::~ByteArray_C() { MemFree(buffer); }

bool ByteArray_C::Append(int32_t n, const void* bytes) {
  if (n < 0 || (n > 0 && !bytes)) return false;
  int64_t need = static_cast<int64_t>(length) + n;
  if (need > INT32_MAX / 2) return false;
  if (need >= capacity || !buffer) {
    int64_t step = capacity > 0 ? capacity : 64;
    int64_t cap = (need / step + 1) * step;
    void* p = MemRealloc(buffer, static_cast<size_t>(cap), false);
    if (!p) return false;
    std::memset(static_cast<uint8_t*>(p) + capacity, 0, static_cast<size_t>(cap - capacity));
    buffer = static_cast<uint8_t*>(p);
    capacity = static_cast<int32_t>(cap);
  }
  if (n > 0) std::memcpy(buffer + length, bytes, static_cast<size_t>(n));
  length += n;
  return true;
}

void ByteArray_C::Clear() {
  length = 0;
  if (buffer) std::memset(buffer, 0, static_cast<size_t>(capacity));
}

// ---------------------------------------------------------------------------
// File-system wrappers

bool CreateFolder(const char16_t* path) { return path && CreateDirectoryW(path, nullptr); }

bool RemoveFolder(const char16_t* path) { return path && RemoveDirectoryW(path); }

bool DeleteFileChecked(const char16_t* path) { return path && DeleteFileW(path); }

FILE* FileOpen(const char16_t* path, const char16_t* mode) {
  if (!path || !mode) return nullptr;
  char narrow[8];
  size_t i = 0;
  for (; mode[i] && i + 1 < sizeof narrow; ++i) {
    if (mode[i] > 0x7F) return nullptr;
    narrow[i] = static_cast<char>(mode[i]);
  }
  if (mode[i]) return nullptr;
  narrow[i] = 0;
  return WFopen(path, narrow);
}

bool FileClose(FILE* f) { return FileHandle(f).Close(); }
