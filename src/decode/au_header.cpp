#include "decode/au_header.h"

#include <algorithm>
#include <iterator>

#include "platform/bytes.h"

namespace sondrel {
namespace {

// When the encoding word is out of range, the words at these byte offsets are
// tried in turn.
constexpr size_t kSearchFirst = 13;
constexpr int kSearchWords = 20;
constexpr uint32_t kEncodingLimit = 28;
// More channels than any real file has.
constexpr uint32_t kMaxChannels = 65535;

}  // namespace

int AuEncodingBits(uint32_t encoding) {
  // By encoding number: 1 mu-law, 2..5 PCM, 6 float, 7 double, 23 G.721,
  // 25 and 26 G.723 of 3 and 5 bits, 27 A-law.
  static constexpr int kBits[] = {0, 8, 8, 16, 24, 32, 32, 64, 0, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0,  0,  0,  0,  0,  0, 4, 0, 3, 5, 8};
  return encoding < std::size(kBits) ? kBits[encoding] : 0;
}

bool IsAuAdpcm(uint32_t encoding) {
  return encoding == kAuG721 || encoding == kAuG723_3 || encoding == kAuG723_5;
}

std::optional<AuHeaderInfo> ParseAuHeader(const uint8_t* head, size_t size, uint64_t fileSize) {
  ByteCursor c(head, std::min(size, kAuHeaderMax));
  if (c.Size() < kAuHeaderMin) return std::nullopt;
  AuHeaderInfo h;
  const uint32_t magic = c.Be32();
  if (magic == 0x2E736E64u || magic == 0x2E736400u) {
    h.bigEndian = true;
  } else if (magic == 0x646E732Eu || magic == 0x0064732Eu) {
    h.bigEndian = false;
  } else {
    return std::nullopt;
  }
  const Endian order = h.bigEndian ? Endian::kBig : Endian::kLittle;
  h.dataOffset = c.U32(order);
  const uint32_t dataSize = c.U32(order);
  h.encoding = c.U32(order);
  if (h.encoding >= kEncodingLimit) {
    bool found = false;
    for (int i = 0; i < kSearchWords && !found; ++i) {
      const size_t at = kSearchFirst + size_t(i);
      // The word and the rate and channel words after it must be there.
      if (at + 12 > c.Size()) break;
      c.Seek(at);
      h.encoding = c.U32(order);
      found = h.encoding < kEncodingLimit;
    }
    if (!found) return std::nullopt;
  }
  h.rate = c.U32(order);
  h.channels = c.U32(order);
  if (h.rate < 1000 || h.rate > 100000) h.rate = 8000;
  if (h.channels == 0) h.channels = 1;
  h.bits = AuEncodingBits(h.encoding);
  // The data must start after the header and inside the file.
  if (h.bits == 0 || h.dataOffset < kAuHeaderMin || h.dataOffset > fileSize ||
      h.channels > kMaxChannels) {
    return std::nullopt;
  }
  // A size past the end of the file (or unknown) ends with the file.
  const uint64_t available = fileSize - h.dataOffset;
  h.dataLength = static_cast<int64_t>(
      dataSize == 0xFFFFFFFFu ? available : std::min<uint64_t>(dataSize, available));
  return h;
}

}  // namespace sondrel
