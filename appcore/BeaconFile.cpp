#include "appcore/BeaconFile.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/filehandle.h"

namespace {

constexpr int32_t kCountOffset = 176;

// Opens the beacon file and takes its size; an empty handle for a missing
// file and for anything that is not a regular file (a folder has no size to
// read up to).
FileHandle OpenBeaconFile(const char16_t* path, uint64_t* size) {
  FileHandle f(path, "rb");
  if (!f.RegularFileSize(size)) f.reset();
  return f;
}

// Reads n bytes; what a short read leaves out stays zero. False on a short read.
bool ReadZeroed(FILE* f, uint8_t* buf, size_t n) {
  std::memset(buf, 0, n);
  return std::fread(buf, 1, n, f) == n;
}

int32_t I32At(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
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

int32_t ClampCount(int32_t stored, uint64_t bytesAfterHeader) {
  if (stored <= 0) return 0;
  uint64_t present = bytesAfterHeader / kBeaconEntrySize;
  return static_cast<uint64_t>(stored) < present ? stored : static_cast<int32_t>(present);
}

// One entry into a record; `split` counts the split lines of the block so far.
void FillRecord(BeaconRec& rec, const uint8_t* entry, int32_t& split) {
  std::memset(&rec, 0, sizeof rec);
  rec.type = I32At(entry + 0);
  rec.lat = F64At(entry + 36);
  rec.lon = F64At(entry + 44);
  rec.heading = static_cast<double>(F32At(entry + 52));
  rec.width = I32At(entry + 56);
  rec.color = I32At(entry + 60);
  switch (rec.type) {
    case kBeaconStartFinish:
      std::snprintf(rec.name, sizeof rec.name, "Start/Finish");
      break;
    case kBeaconStart:
      std::snprintf(rec.name, sizeof rec.name, "Start");
      break;
    case kBeaconFinish:
      std::snprintf(rec.name, sizeof rec.name, "Finish");
      break;
    case kBeaconSplit:
      std::snprintf(rec.name, sizeof rec.name, "S%d", ++split);
      break;
    default:
      break;  // unknown type: the name stays empty
  }
}

// The header's count as stored and the bytes after the header; false when
// the file cannot be opened, is not a regular file or is shorter than one
// header and one entry.
bool ReadStoredCount(const char16_t* path, int32_t* stored, uint64_t* afterHeader) {
  uint64_t size = 0;
  FileHandle f = OpenBeaconFile(path, &size);
  uint8_t header[kBeaconHeaderSize];
  if (!f || size < kBeaconHeaderSize + kBeaconEntrySize || !ReadZeroed(f.get(), header, sizeof header)) return false;
  *stored = I32At(header + kCountOffset);
  *afterHeader = size - kBeaconHeaderSize;
  return true;
}

}  // namespace

int32_t ReadBeaconCount(const char16_t* path) {
  int32_t stored = 0;
  uint64_t afterHeader = 0;
  return ReadStoredCount(path, &stored, &afterHeader) ? ClampCount(stored, afterHeader) : 0;
}

bool IsWholeBeaconFile(const char16_t* path) {
  int32_t stored = 0;
  uint64_t afterHeader = 0;
  return ReadStoredCount(path, &stored, &afterHeader) && stored >= 1 &&
         static_cast<uint64_t>(stored) <= afterHeader / kBeaconEntrySize;
}

int32_t ReadBeaconFile(const char16_t* path, BeaconRec* beacons, int32_t capacity) {
  uint64_t size = 0;
  FileHandle f = OpenBeaconFile(path, &size);
  if (!f || size < kBeaconHeaderSize + kBeaconEntrySize) return 0;
  if (beacons == nullptr || capacity < 0) capacity = 0;
  if (capacity > 0) std::memset(beacons, 0, sizeof(BeaconRec) * capacity);

  // Blocks follow one another until the end of the file; each block fills
  // the array from its first element. A well-formed file holds one block.
  int32_t filled = 0;
  uint64_t pos = 0;
  uint8_t header[kBeaconHeaderSize];
  while (pos < size && ReadZeroed(f.get(), header, sizeof header)) {
    pos += kBeaconHeaderSize;
    int32_t count = ClampCount(I32At(header + kCountOffset), size - pos);
    int32_t split = 0;
    for (int32_t k = 0; k < count; ++k) {
      uint8_t entry[kBeaconEntrySize];
      if (!ReadZeroed(f.get(), entry, sizeof entry)) return filled;
      pos += kBeaconEntrySize;
      if (k >= capacity) continue;
      FillRecord(beacons[k], entry, split);
      if (k >= filled) filled = k + 1;
    }
  }
  return filled;
}
