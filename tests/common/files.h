// Whole files byte for byte, and the bytes of UTF-16LE text.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The file's bytes; a file that cannot be read reads as empty.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's bytes once a program started meanwhile has ended a line in it:
// the shell makes the file before it writes into it, so its being there
// tells nothing. Waits up to a minute for the line's end; then what it holds.
inline std::string ReadOnceALineEnds(const std::string& path) {
  std::string bytes;
  for (int i = 0; i < 6000; ++i) {
    bytes = ReadBytes(path);
    if (!bytes.empty() && bytes.back() == '\n') break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return bytes;
}

inline std::vector<uint8_t> ReadByteVector(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file with the bytes; false when they could not all be written.
inline bool WriteBytes(const std::string& path, const char* bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes, static_cast<std::streamsize>(size));
  out.close();
  return !out.fail();
}

inline bool WriteBytes(const std::string& path, std::string_view bytes) {
  return WriteBytes(path, bytes.data(), bytes.size());
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteBytes(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The UTF-16LE bytes of the text, with the byte-order mark FF FE first when asked.
inline std::vector<uint8_t> Utf16LeBytes(std::u16string_view text, bool mark) {
  std::vector<uint8_t> out;
  if (mark) out = {0xFF, 0xFE};
  for (char16_t u : text) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
  return out;
}
