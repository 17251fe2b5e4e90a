// The chunk structure of an AIFF or AIFF-C file, parsed without reading the
// sound data: FORM type, COMM fields, where SSND's samples lie and where the
// "ID3 " chunks are. AiffDecoder reads its files through these records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/bytes.h"

namespace sondrel {

// A four-character code as a big-endian number: AiffTag("COMM").
constexpr uint32_t AiffTag(const char (&s)[5]) {
  return (uint32_t{static_cast<uint8_t>(s[0])} << 24) |
         (uint32_t{static_cast<uint8_t>(s[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(s[2])} << 8) | uint32_t{static_cast<uint8_t>(s[3])};
}

struct AiffComm {
  int channels = 0;          // a stored 0 reads as 1
  uint32_t frames = 0;       // 1 when the stored count is 0 or 0xFFFFFFFF
  bool framesKnown = false;  // the stored count was neither
  int sampleSize = 0;
  int rate = 0;              // whole samples per second
  uint32_t compression = 0;  // upper-cased; "NONE" in plain AIFF

  bool operator==(const AiffComm&) const = default;
};

// A run of bytes of the file; it may reach past the file's end.
struct AiffSpan {
  int64_t offset = 0;
  int64_t size = 0;

  bool operator==(const AiffSpan&) const = default;
};

struct AiffChunks {
  bool aifc = false;
  std::optional<AiffComm> comm;   // the last COMM that parsed
  std::optional<AiffSpan> sound;  // the sample data of the last SSND
  std::vector<AiffSpan> id3;      // "ID3 " chunk bodies in file order (the first kMaxAiffId3)

  bool operator==(const AiffChunks&) const = default;
};

// The most "ID3 " chunks remembered, and the longest COMM chunk accepted.
inline constexpr size_t kMaxAiffId3 = 64;
inline constexpr uint32_t kMaxAiffCommBytes = 8u << 20;

// The fixed fields of a COMM chunk body (18 bytes, 22 with the AIFF-C
// compression type). Nullopt when the bytes are too few or the sample rate is
// not a number of samples per second below 2^31.
std::optional<AiffComm> ParseAiffComm(const uint8_t* body, size_t size, bool aifc);

// Walks the chunks from the FORM header on (COMM and SSND in any order, odd
// sizes followed by a pad byte). Nullopt when the file is not FORM AIFF/AIFC.
// A chunk that does not parse (a COMM of the wrong size or cut short, an SSND
// shorter than its header or with an offset outside it) ends the walk with
// what was found before it.
std::optional<AiffChunks> ParseAiffChunks(ByteSource& file);

}  // namespace sondrel
