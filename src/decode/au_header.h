// The header of a Sun/NeXT audio file (".au", ".snd"), parsed from the
// file's first bytes. AuDecoder reads its files through this record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sondrel {

// The encodings that are read.
enum AuEncoding : uint32_t {
  kAuMulaw = 1,
  kAuPcm8 = 2,
  kAuPcm16 = 3,
  kAuPcm24 = 4,
  kAuPcm32 = 5,
  kAuFloat = 6,
  kAuDouble = 7,
  kAuG721 = 23,
  kAuG723_3 = 25,
  kAuG723_5 = 26,
  kAuAlaw = 27,
};

// Bits per sample (or per ADPCM code) of an encoding; 0 when it is not read.
int AuEncodingBits(uint32_t encoding);
bool IsAuAdpcm(uint32_t encoding);

// The header is read from at most this many bytes and needs at least 24.
inline constexpr size_t kAuHeaderMax = 120;
inline constexpr size_t kAuHeaderMin = 24;

struct AuHeaderInfo {
  bool bigEndian = true;
  uint32_t encoding = 0;
  int bits = 0;  // AuEncodingBits(encoding)
  uint32_t dataOffset = 0;
  int64_t dataLength = 0;  // the stored size, cut at the end of the file
  uint32_t rate = 0;       // 8000 when the stored rate is outside 1000..100000
  uint32_t channels = 0;   // 1 when the stored count is 0

  bool operator==(const AuHeaderInfo&) const = default;
};

// Parses the first `size` bytes of a file of `fileSize` bytes. Either byte
// order (".snd" or "dns." and their zero-ended forms). An encoding word of
// 28 or more is replaced by the first word below 28 from byte 13 on (with
// the rate and channel words after it). Nullopt for an unknown magic or
// encoding, a data offset below 24 or past the end, or more than 65535
// channels.
std::optional<AuHeaderInfo> ParseAuHeader(const uint8_t* head, size_t size, uint64_t fileSize);

}  // namespace sondrel
