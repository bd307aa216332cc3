// The beacon file (.bcnx) reader: any bytes as a file, read into arrays of
// several sizes. The count never exceeds the entries present, nothing past
// the room given is touched, and every filled record has a terminated name.
// (A file of several blocks may fill more records than the first header's
// count: each block starts again at the first record.)
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "appcore/BeaconFile.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file(".bcnx");
  file.Put(data, size);

  const int32_t count = ReadBeaconCount(file.Path());
  const int64_t present =
      size < kBeaconHeaderSize ? 0 : (static_cast<int64_t>(size) - kBeaconHeaderSize) / kBeaconEntrySize;
  if (count < 0 || count > present) std::abort();

  for (int32_t capacity : {0, 1, 3, count, count + 2}) {
    // One guard record after the room the reader is given.
    std::vector<BeaconRec> recs(static_cast<size_t>(capacity) + 1);
    std::memset(recs.data(), 0xA5, sizeof(BeaconRec) * recs.size());
    const int32_t filled = ReadBeaconFile(file.Path(), recs.data(), capacity);
    if (filled < 0 || filled > capacity) std::abort();
    const uint8_t* guard = reinterpret_cast<const uint8_t*>(&recs[capacity]);
    for (size_t i = 0; i < sizeof(BeaconRec); ++i) {
      if (guard[i] != 0xA5) std::abort();
    }
    for (int32_t i = 0; i < filled; ++i) {
      if (!std::memchr(recs[i].name, 0, sizeof recs[i].name)) std::abort();
    }
  }
  return 0;
}
