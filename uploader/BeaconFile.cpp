#include "uploader/BeaconFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/utf.h"

namespace {

constexpr int32_t kCountOffset = 176;

// Opens the file for binary reading; the path is handed to the system as UTF-8.
FILE* OpenBeaconFile(const char16_t* path) {
  if (path == nullptr || *path == 0) return nullptr;
  std::string native = Utf16ToUtf8(path);
  return std::fopen(native.c_str(), "rb");
}

int64_t FileSize(FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(f);
  if (size < 0) return -1;
  if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
  return size;
}

// Reads n bytes; what a short read leaves out stays zero.
void ReadZeroed(FILE* f, uint8_t* buf, size_t n) {
  std::memset(buf, 0, n);
  size_t got = std::fread(buf, 1, n, f);
  (void)got;
}

int32_t I32At(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return static_cast<int32_t>(v);
}

double F64At(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}

float F32At(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(I32At(p));
  float f;
  std::memcpy(&f, &v, sizeof f);
  return f;
}

int32_t ClampCount(int32_t stored, int64_t bytesAfterHeader) {
  if (stored <= 0 || bytesAfterHeader <= 0) return 0;
  int64_t present = bytesAfterHeader / kBeaconEntrySize;
  return static_cast<int32_t>(stored < present ? stored : present);
}

void SetName(BeaconRec& rec, const char* text) {
  std::snprintf(rec.name, sizeof rec.name, "%s", text);
}

}  // namespace

int32_t ReadBeaconCount(const char16_t* path) {
  FILE* f = OpenBeaconFile(path);
  if (f == nullptr) return 0;
  int64_t size = FileSize(f);
  int32_t count = 0;
  if (size >= kBeaconHeaderSize + kBeaconEntrySize) {
    uint8_t header[kBeaconHeaderSize];
    ReadZeroed(f, header, sizeof header);
    count = ClampCount(I32At(header + kCountOffset), size - kBeaconHeaderSize);
  }
  std::fclose(f);
  return count;
}

bool ReadBeaconFile(const char16_t* path, BeaconRec* beacons, int32_t capacity) {
  FILE* f = OpenBeaconFile(path);
  if (f == nullptr) return false;
  int64_t size = FileSize(f);
  if (size < kBeaconHeaderSize + kBeaconEntrySize) {
    std::fclose(f);
    return false;
  }
  if (capacity < 0) capacity = 0;
  if (beacons != nullptr && capacity > 0) std::memset(beacons, 0, sizeof(BeaconRec) * capacity);

  // Blocks follow one another until the end of the file; each block fills
  // the array from its first element. A well-formed file holds one block.
  int64_t pos = 0;
  while (pos < size) {
    uint8_t header[kBeaconHeaderSize];
    ReadZeroed(f, header, sizeof header);
    pos += kBeaconHeaderSize;
    int32_t count = ClampCount(I32At(header + kCountOffset), size - pos);
    int32_t split = 0;
    for (int32_t k = 0; k < count; ++k) {
      uint8_t entry[kBeaconEntrySize];
      ReadZeroed(f, entry, sizeof entry);
      pos += kBeaconEntrySize;
      if (beacons == nullptr || k >= capacity) continue;
      BeaconRec& rec = beacons[k];
      std::memset(&rec, 0, sizeof rec);
      rec.type = I32At(entry + 0);
      rec.lat = F64At(entry + 36);
      rec.lon = F64At(entry + 44);
      rec.heading = static_cast<double>(F32At(entry + 52));
      rec.width = I32At(entry + 56);
      rec.color = I32At(entry + 60);
      switch (rec.type) {
        case 0: SetName(rec, "Start/Finish"); break;
        case 1: SetName(rec, "Start"); break;
        case 2: SetName(rec, "Finish"); break;
        case 3: {
          ++split;
          char text[16];
          std::snprintf(text, sizeof text, "S%d", split);
          SetName(rec, text);
          break;
        }
        default: break;  // unknown type: the name stays empty
      }
    }
  }
  std::fclose(f);
  return true;
}
