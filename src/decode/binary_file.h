// A file opened for reading binary data with 64-bit offsets, closed on every
// path. Shared by the readers that parse their files themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace sondrel {

class BinaryFile {
 public:
  // False when the path cannot be opened for reading.
  bool Open(const std::string& path);
  void Close() { m_file.reset(); }
  bool IsOpen() const { return m_file != nullptr; }

  // The size in bytes, or -1 when it cannot be told.
  int64_t Size();
  bool Seek(int64_t offset);
  int64_t Tell();
  // Reads up to `size` bytes; returns the count (short at the end or on error).
  size_t Read(void* data, size_t size);
  bool ReadExact(void* data, size_t size) { return Read(data, size) == size; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> m_file;
};

// Big- and little-endian fields of byte buffers.
inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t Le32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}
inline uint64_t Be64(const uint8_t* p) { return (uint64_t{Be32(p)} << 32) | Be32(p + 4); }

}  // namespace sondrel
