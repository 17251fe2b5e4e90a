// Reading binary data: the one bounded, endian-aware cursor that every hand
// parser reads its header bytes through, and random access to bytes that are
// not all in memory (a file, or memory standing in for one in tests and fuzz
// targets).
//
// A parser is a pure function over a ByteCursor (bytes in memory) or a
// ByteSource (a chunk walk that skips the sound data it does not need); the
// reader that calls it does the file work. Nothing here reads outside the
// bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sondrel {

enum class Endian { kBig, kLittle };

// Unchecked loads for loops whose bounds are already proven (sample data
// whose length was counted). Headers go through ByteCursor instead.
inline uint32_t LoadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t LoadLe32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}
inline uint64_t LoadBe64(const uint8_t* p) {
  return (uint64_t{LoadBe32(p)} << 32) | LoadBe32(p + 4);
}
inline uint64_t LoadLe64(const uint8_t* p) {
  return (uint64_t{LoadLe32(p + 4)} << 32) | LoadLe32(p);
}

// A read position over `size` bytes at `data`. A read that needs more bytes
// than are left returns 0 (or null, or false), moves nothing and marks the
// cursor failed; every later read fails too, so a parser reads a run of
// fields and checks Ok() once at the point that matters.
class ByteCursor {
 public:
  ByteCursor() = default;
  // Null `data` reads as no bytes.
  ByteCursor(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

  bool Ok() const { return m_ok; }
  size_t Pos() const { return m_pos; }
  size_t Size() const { return m_size; }
  // Bytes left to read; 0 once the cursor has failed.
  size_t Left() const { return m_ok ? m_size - m_pos : 0; }

  uint8_t U8() { return static_cast<uint8_t>(Be(1)); }
  uint16_t Be16() { return static_cast<uint16_t>(Be(2)); }
  uint16_t Le16() { return static_cast<uint16_t>(Le(2)); }
  uint32_t Be24() { return static_cast<uint32_t>(Be(3)); }
  uint32_t Be32() { return static_cast<uint32_t>(Be(4)); }
  uint32_t Le32() { return static_cast<uint32_t>(Le(4)); }
  uint64_t Be64() { return Be(8); }
  uint64_t Le64() { return Le(8); }
  uint32_t U32(Endian e) { return e == Endian::kBig ? Be32() : Le32(); }

  // An unsigned number of 1 to 8 bytes.
  uint64_t Be(int bytes) {
    if (!Need(static_cast<size_t>(bytes))) return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | m_data[m_pos++];
    return v;
  }
  uint64_t Le(int bytes) {
    if (!Need(static_cast<size_t>(bytes))) return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t{m_data[m_pos++]} << (8 * i);
    return v;
  }

  // The 80-bit IEEE 754 extended value, big-endian (an AIFF sample rate):
  // infinity for the largest exponent, whatever the mantissa.
  double Extended80Be();

  // The next `n` bytes, or null when fewer are left.
  const uint8_t* Bytes(size_t n) {
    if (!Need(n)) return nullptr;
    const uint8_t* p = m_data + m_pos;
    m_pos += n;
    return p;
  }
  bool Skip(size_t n) { return Bytes(n) != nullptr; }

  // Reads as many bytes as `expected` holds; true when they are those bytes.
  bool Match(const void* expected, size_t n) {
    const uint8_t* p = Bytes(n);
    return p && std::memcmp(p, expected, n) == 0;
  }
  bool Match(std::string_view text) { return Match(text.data(), text.size()); }

  // Whether the bytes at `offset` from the start are `text`; reads nothing.
  bool HasAt(size_t offset, std::string_view text) const {
    return offset <= m_size && text.size() <= m_size - offset &&
           std::memcmp(m_data + offset, text.data(), text.size()) == 0;
  }

  // A cursor over the next `n` bytes (fewer when fewer are left: a chunk
  // that claims more than its container holds is cut), and moves past them.
  ByteCursor Take(size_t n) {
    const size_t k = n < Left() ? n : Left();
    ByteCursor part(m_data + m_pos, k);
    m_pos += k;
    return part;
  }
  // Moves to `pos` from the start; fails past the end.
  bool Seek(size_t pos) {
    if (!m_ok || pos > m_size) return Fail();
    m_pos = pos;
    return true;
  }

 private:
  bool Need(size_t n) {
    if (!m_ok || n > m_size - m_pos) return Fail();
    return true;
  }
  bool Fail() {
    m_ok = false;
    return false;
  }

  const uint8_t* m_data = nullptr;
  size_t m_size = 0;
  size_t m_pos = 0;
  bool m_ok = true;
};

// Random access to bytes: a file, or memory. Reads past the end are short.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The size in bytes; 0 when it cannot be told.
  virtual uint64_t Size() = 0;
  // Copies up to `size` bytes from `offset` to `data`; returns the count,
  // short at the end (or on a read error).
  virtual size_t ReadAt(uint64_t offset, void* data, size_t size) = 0;
  bool ReadExactAt(uint64_t offset, void* data, size_t size) {
    return ReadAt(offset, data, size) == size;
  }
};

// Bytes held by the caller, read as a ByteSource.
class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}
  uint64_t Size() override { return m_size; }
  size_t ReadAt(uint64_t offset, void* data, size_t size) override;

 private:
  const uint8_t* m_data;
  size_t m_size;
};

}  // namespace sondrel
