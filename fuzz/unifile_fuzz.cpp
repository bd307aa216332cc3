// The text-file readers: any bytes as a file, opened under each requested
// encoding. A UTF-16 file read line by line gives back exactly the units
// after the mark (up to the first zero unit), a UTF-8 file read in pieces
// gives back its bytes, and the whole-file buffer holds the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_file.h"
#include "icbase/src/icutil/utdm/unifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static FuzzFile file(".txt");
  const int32_t requested = data[0] & 3;
  const size_t chunk = 1 + (data[0] >> 2);
  ++data;
  --size;
  file.Put(data, size);

  const bool utf16Mark = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  UniFile_C f;
  const bool opened = f.Open(file.Path(), kUniFileRead, requested);
  const bool expected = utf16Mark ? (requested == kUniEncAny || requested == kUniEncUtf16)
                                  : (requested == kUniEncAny || requested == kUniEncUtf8Bom);
  if (opened != expected) std::abort();
  if (opened && f.GetSize() != static_cast<int32_t>(size)) std::abort();

  if (opened && f.GetEncoding() == kUniEncUtf16) {
    // The units after the mark, up to the first zero unit; an odd last byte
    // reads as U+FFFD.
    std::u16string units;
    size_t i = 2;
    for (; i + 1 < size; i += 2) {
      const char16_t u = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      if (u == 0) break;
      units.push_back(u);
    }
    if (i + 1 == size) units.push_back(0xFFFD);
    std::u16string lines;
    for (;;) {
      const char16_t* line = nullptr;
      const int32_t n = f.ReadLine(&line);
      if (n < 0 || !line || line[n] != 0) std::abort();
      lines.append(line, static_cast<size_t>(n));
      if (lines.size() >= units.size()) break;
      lines.push_back(u'\n');
    }
    if (lines != units) std::abort();
  } else if (opened) {
    const size_t skip = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
    std::string bytes(chunk, '\0');
    std::string got;
    int32_t n;
    while ((n = f.ReadBytes(bytes.data(), static_cast<int32_t>(chunk))) > 0) got.append(bytes.data(), n);
    if (n < 0 || got.size() != size - skip || std::memcmp(got.data(), data + skip, got.size()) != 0) std::abort();
  }
  if (f.Close() != opened) std::abort();

  ByteBuffer_C whole(kByteBufLoad);
  const bool loaded = whole.LoadFile(file.Path());
  if (loaded != (size > 0)) std::abort();
  if (loaded && (whole.GetLength() != static_cast<int32_t>(size) || std::memcmp(whole.GetData(), data, size) != 0))
    std::abort();
  return 0;
}
