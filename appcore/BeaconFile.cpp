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

struct BlockWalk {
  int32_t filled = 0;  // records filled
  bool whole = true;   // every block whole and within the room, up to the end of the file
};

// The one reading of the layout, for the reader and the download check
// alike. Blocks follow one another from the start of the file (`size` bytes)
// to its end: a header, then the entries its count gives, clamped to those
// present. Each block fills `beacons` (room for `room` records) from its
// first element; entries beyond the room are dropped. The walk is whole when
// every count is one of 0 .. `room` with all its entries present and the
// last block ends where the file ends: anything after it (a short header,
// padding taken for another block) is not. Without `beacons` nothing is
// filled, and the walk stops where it stops being whole.
BlockWalk WalkBlocks(FILE* f, uint64_t size, BeaconRec* beacons, int32_t room) {
  BlockWalk walk;
  uint64_t pos = 0;
  uint8_t header[kBeaconHeaderSize];
  while (pos < size) {
    if (!ReadZeroed(f, header, sizeof header)) {
      walk.whole = false;
      break;
    }
    pos += kBeaconHeaderSize;
    const int32_t stored = I32At(header + kCountOffset);
    const int32_t count = ClampCount(stored, size - pos);
    if (stored != count || stored > room) walk.whole = false;
    if (beacons == nullptr) {
      pos += static_cast<uint64_t>(count) * kBeaconEntrySize;
      if (!walk.whole || fseeko(f, static_cast<off_t>(pos), SEEK_SET) != 0) return BlockWalk{0, false};
      continue;
    }
    int32_t split = 0;
    for (int32_t k = 0; k < count; ++k) {
      uint8_t entry[kBeaconEntrySize];
      if (!ReadZeroed(f, entry, sizeof entry)) {
        walk.whole = false;
        return walk;
      }
      pos += kBeaconEntrySize;
      if (k >= room) continue;
      FillRecord(beacons[k], entry, split);
      if (k >= walk.filled) walk.filled = k + 1;
    }
  }
  return walk;
}

}  // namespace

int32_t ReadBeaconCount(const char16_t* path) {
  int32_t stored = 0;
  uint64_t afterHeader = 0;
  return ReadStoredCount(path, &stored, &afterHeader) ? ClampCount(stored, afterHeader) : 0;
}

bool IsWholeBeaconFile(const char16_t* path) {
  // The room the reader is given is the first header's count.
  const int32_t room = ReadBeaconCount(path);
  uint64_t size = 0;
  FileHandle f = OpenBeaconFile(path, &size);
  return room >= 1 && f && WalkBlocks(f.get(), size, nullptr, room).whole;
}

int32_t ReadBeaconFile(const char16_t* path, BeaconRec* beacons, int32_t capacity) {
  uint64_t size = 0;
  FileHandle f = OpenBeaconFile(path, &size);
  if (!f || size < kBeaconHeaderSize + kBeaconEntrySize || beacons == nullptr || capacity <= 0) return 0;
  std::memset(beacons, 0, sizeof(BeaconRec) * capacity);
  return WalkBlocks(f.get(), size, beacons, capacity).filled;
}
