// Text files and the text builder of the track library.
//
// Every text file the library writes is built whole in a WStrBuilder_C and
// saved in one step through UniFile_C, which owns the byte-order-mark rules
// and the conversion of UTF-16 text to the file's encoding:
//   1  no mark, text written as UTF-8
//   2  UTF-8 with the mark EF BB BF
//   3  UTF-16 little-endian with the mark FF FE; every LF is written as CR LF
// Builders therefore hold LF-only text.
//
// Saves replace their target atomically: the text goes to a temporary file in
// the same folder, which is renamed over the target only when every write,
// the flush and the close succeeded. A failed save leaves the old file whole.
// A target that is a symbolic link is followed: the file it names is
// replaced and the link stays.
//
// LineReader_C, ByteBuffer_C and ByteArray_C complete the set, together with
// thin wrappers over the platform's file calls.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/win32/filehandle.h"

// Encodings of UniFile_C.
enum UniFileEncoding_E : int32_t {
  kUniEncAny = 0,      // reading: whatever the mark says
  kUniEncUtf8 = 1,     // UTF-8 without a mark
  kUniEncUtf8Bom = 2,  // UTF-8 with EF BB BF
  kUniEncUtf16 = 3,    // UTF-16LE with FF FE, LF written as CR LF
};

// Modes of UniFile_C.
enum UniFileMode_E : int32_t {
  kUniFileRead = 1,
  kUniFileWrite = 2,
};

class UniFile_C {
 public:
  UniFile_C();
  ~UniFile_C();
  UniFile_C(const UniFile_C&) = delete;
  UniFile_C& operator=(const UniFile_C&) = delete;

  // False when already open, or for writing with encoding 0.
  bool Open(const char16_t* path, int32_t mode, int32_t encoding);
  // Reading: the mark decides the encoding. FF FE is accepted for a request
  // of 0 or 3; anything else (an EF BB BF mark or none) is UTF-8 and accepted
  // for a request of 0 or 2.
  bool OpenRead(const char16_t* path);
  // Writing: creates or truncates the file and writes the mark of `encoding`.
  bool OpenWrite(const char16_t* path);
  // Closes an open stream. False when a write, the flush or the close failed
  // (or when nothing was open).
  bool Close();

  // The next UTF-16 unit of an encoding-3 file, 0 at the end of the file,
  // 0xFFFF when not open for reading. An odd last byte reads as U+FFFD. Reading other encodings is a
  // programming error (fatal assertion).
  char16_t ReadChar();
  // Reads up to (not including) the next LF or 0 unit; a CR before the LF is
  // kept. `out` points at an internal buffer valid until the next call or
  // Close. Returns the unit count, or -1 with a null `out` when not open for
  // reading. Lines of any length are read whole.
  int32_t ReadLine(const char16_t** out);
  // Read up to n 2-byte units / n bytes; the count read, -1 when not open for reading.
  int32_t ReadUnits(char16_t* buffer, int32_t n);
  int32_t ReadBytes(void* buffer, int32_t n);

  // Writes n units through WriteChar; n, or -1 when not open for writing or
  // when the stream reported an error.
  int32_t WriteChars(const char16_t* text, int32_t n);
  // One unit in the file's encoding. In UTF-8 a surrogate pair becomes one
  // 4-byte sequence and a lone surrogate becomes U+FFFD.
  bool WriteChar(char16_t unit);
  // Raw 2-byte units whatever the encoding.
  bool WriteText(const char16_t* text, int32_t n);
  // indentTabs TABs when indentFlag is 1, the text, then LF; raw units.
  bool WriteLine(int32_t indentFlag, const char16_t* text, int32_t n);
  // The indent, the formatted text, then LF; raw units.
  bool Printf(int32_t indentFlag, const char16_t* format, ...);

  bool IsOpen() const { return isOpen != 0; }
  int32_t GetMode() const { return mode; }
  int32_t GetEncoding() const { return encoding; }
  int32_t GetSize() const { return size; }
  int32_t GetIndentTabs() const { return indentTabs; }
  void SetIndentTabs(int32_t tabs) { indentTabs = tabs; }

 private:
  friend class UniFileSaver_C;
  // Takes over an already opened write stream (used by the atomic saves).
  bool AttachWrite(FileHandle f, int32_t enc);
  bool PutBytes(const void* p, size_t n);
  bool PutUtf8(char32_t cp);
  bool FlushPending();

  uint8_t isOpen = 0;
  int32_t mode = 0;
  int32_t encoding = 0;
  int32_t indentTabs = 0;
  int32_t size = 0;
  FileHandle stream;
  // A high surrogate waiting for its low half (UTF-8 output only).
  char16_t pendingHigh = 0;
  // A write failed since the stream was opened.
  uint8_t writeFailed = 0;
  // Growing line buffer of ReadLine.
  char16_t* lineBuf = nullptr;
  int32_t lineCap = 0;
};

class WStrBuilder_C {
 public:
  // The first buffer always holds 8192 units, whatever initialSize is.
  explicit WStrBuilder_C(int32_t initialSize = 0);
  ~WStrBuilder_C();
  WStrBuilder_C(const WStrBuilder_C&) = delete;
  WStrBuilder_C& operator=(const WStrBuilder_C&) = delete;

  // Frees the buffer.
  void Release();
  // Length 0 and the whole buffer zeroed.
  void Clear();
  // n = 0 means the whole zero-terminated text. False for a null text or
  // when the buffer cannot grow (the text held so far is kept). The text may
  // be part of the builder's own (b.Append(b.GetText())). A full buffer
  // grows to twice its capacity, or to RoundUp8192 of the units needed when
  // that is more, so that building a text costs time linear in its length.
  bool Append(const char16_t* text, int32_t n = 0);
  // `indent` TABs, the text (null is empty), LF.
  bool AppendLine(const char16_t* text, int32_t n = 0);
  // Saves the text in one of the three encodings, replacing the target
  // atomically. True when every byte was written and the file is in place
  // and at least one unit was written (an empty builder saves a file holding
  // only the mark and returns false).
  bool SaveToFile(const char16_t* path, int32_t encoding) const;
  // A newCapacity of 0 doubles; the first buffer is 8192 units, zero-filled;
  // a re-allocated one keeps its text, the units past it are undefined.
  // False when the allocation fails; the old buffer and text are kept.
  bool Grow(int32_t newCapacity);
  // (n / 8192 + 1) * 8192: always strictly above n.
  static int32_t RoundUp8192(int32_t n);

  // The text, never null (an empty literal when no buffer is held).
  const char16_t* GetText() const;
  int32_t GetLength() const { return length; }
  int32_t GetCapacity() const { return capacity; }
  int32_t GetIndent() const { return indent; }
  void SetIndent(int32_t tabs) { indent = tabs; }

 protected:
  bool Reserve(int64_t needed);

  int32_t indent = 0;
  int32_t capacity = 0;
  int32_t length = 0;
  char16_t* buffer = nullptr;
};

// Splits the text of a builder into lines in place, without copying.
class LineReader_C : public WStrBuilder_C {
 public:
  // `window`: the most units one line may take before it is cut.
  explicit LineReader_C(int32_t window = 8192);
  ~LineReader_C();

  // Ends a previous pass and starts at the first unit.
  void Begin();
  // The next line (LF removed, CR kept), or null when inactive or at the end.
  // A line longer than the window is cut there (a surrogate pair across
  // the cut goes whole to the next line when the window holds more than
  // one unit); one that fills the window exactly, LF after it, is one line.
  // The pointer stays valid until the next NextLine or End.
  const char16_t* NextLine();
  // Puts back the unit the last line hid and ends the pass.
  void End();

  int32_t GetWindow() const { return window; }
  void SetWindow(int32_t units) { window = units > 0 ? units : 1; }

 private:
  void PutBack();

  uint8_t active = 0;
  uint8_t pending = 0;
  char16_t savedUnit = 0;
  int32_t window = 8192;
  int32_t termPos = 0;
  int32_t cursor = 0;
};

// Modes of ByteBuffer_C.
enum ByteBufferMode_E : int32_t {
  kByteBufLoad = 1,
  kByteBufSave = 2,
};

// A whole file's bytes in memory.
class ByteBuffer_C {
 public:
  explicit ByteBuffer_C(int32_t mode);
  ~ByteBuffer_C();
  ByteBuffer_C(const ByteBuffer_C&) = delete;
  ByteBuffer_C& operator=(const ByteBuffer_C&) = delete;

  // Mode 1 only: the file's bytes (an empty or missing file gives false).
  bool LoadFile(const char16_t* path);
  bool AppendBytes(const void* bytes, int32_t n);
  bool AppendByte(uint8_t b);
  // Mode 2 only, with data: writes the bytes, replacing the target atomically.
  bool SaveFile(const char16_t* path) const;
  void Clear();
  // A request of 0 doubles; never below 20480 bytes. False on allocation
  // failure (the bytes held are kept).
  bool Grow(int32_t newCapacity);
  // (n / 20480 + 1) * 20480.
  static int32_t RoundUp20480(int32_t n);

  const uint8_t* GetData() const { return buffer; }
  int32_t GetLength() const { return length; }
  int32_t GetCapacity() const { return capacity; }

 private:
  int32_t mode = 0;
  int32_t capacity = 0;
  int32_t length = 0;
  uint8_t* buffer = nullptr;
};

// A growing byte array.
class ByteArray_C {
 public:
  ByteArray_C() = default;
  ~ByteArray_C();
  ByteArray_C(const ByteArray_C&) = delete;
  ByteArray_C& operator=(const ByteArray_C&) = delete;

  // Grows to the next multiple of the current capacity (64 at first) that
  // is strictly above the needed size. False on allocation failure.
  bool Append(int32_t n, const void* bytes);
  // Length 0 and the bytes zeroed.
  void Clear();

  const uint8_t* GetData() const { return buffer; }
  int32_t GetLength() const { return length; }
  int32_t GetCapacity() const { return capacity; }

 private:
  int32_t capacity = 0;
  int32_t length = 0;
  uint8_t* buffer = nullptr;
};

// Thin wrappers over the platform's file calls; each returns whether the call
// succeeded.
bool CreateFolder(const char16_t* path);
bool RemoveFolder(const char16_t* path);
bool DeleteFileChecked(const char16_t* path);
// `mode` as for fopen, in wide text (u"rb", u"wb", ...). Null on failure.
FILE* FileOpen(const char16_t* path, const char16_t* mode);
bool FileClose(FILE* f);
