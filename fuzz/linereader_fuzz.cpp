// The line reader over a text in memory (8-bit text widened unit by unit, or
// UTF-16 units), under any window: lines never exceed the window, together
// they hold every unit but the line feeds, and ending the pass gives the
// text back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "icbase/src/icutil/utdm/unifile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t window = 1 + (data[0] & 0x7F) * (1 + (data[1] & 0x3F));
  const bool wide = (data[0] & 0x80) != 0;
  data += 2;
  size -= 2;

  std::u16string text;
  if (wide) {
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text.assign(data, data + size);
  }
  // A zero unit ends a line as the reader's callers see it; keep the
  // comparison exact by leaving none in the text.
  for (char16_t& u : text) {
    if (u == 0) u = 1;
  }

  LineReader_C reader(window);
  if (!reader.Append(text.data(), static_cast<int32_t>(text.size())) && !text.empty()) std::abort();
  std::u16string withoutLf;
  for (char16_t u : text) {
    if (u != u'\n') withoutLf.push_back(u);
  }

  for (int pass = 0; pass < 2; ++pass) {
    reader.Begin();
    std::u16string joined;
    size_t lines = 0;
    while (const char16_t* line = reader.NextLine()) {
      const std::u16string l(line);
      if (l.size() > static_cast<size_t>(window) || ++lines > text.size() + 1) std::abort();
      joined += l;
    }
    if (joined != withoutLf) std::abort();
    reader.End();
    if (std::u16string(reader.GetText(), reader.GetLength()) != text) std::abort();
  }
  return 0;
}
