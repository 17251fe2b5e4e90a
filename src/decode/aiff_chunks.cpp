#include "decode/aiff_chunks.h"

#include <cmath>

namespace sondrel {
namespace {

uint32_t UpperTag(uint32_t tag) {
  uint32_t upper = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    uint32_t c = (tag >> shift) & 0xFF;
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    upper |= c << shift;
  }
  return upper;
}

constexpr size_t kCommBytes = 18;
constexpr size_t kAifcCommBytes = 22;

}  // namespace

std::optional<AiffComm> ParseAiffComm(const uint8_t* body, size_t size, bool aifc) {
  ByteCursor c(body, size);
  const uint16_t channels = c.Be16();
  const uint32_t frames = c.Be32();
  const uint16_t sampleSize = c.Be16();
  const double rate = c.Extended80Be();
  const uint32_t compression = aifc ? UpperTag(c.Be32()) : AiffTag("NONE");
  // A rate that is not a number of samples per second refuses the file.
  if (!c.Ok() || !std::isfinite(rate) || rate < 0.0 || rate >= 2147483648.0) return std::nullopt;
  AiffComm comm;
  comm.channels = channels == 0 ? 1 : channels;
  comm.framesKnown = frames != 0 && frames != 0xFFFFFFFFu;
  comm.frames = comm.framesKnown ? frames : 1;
  comm.sampleSize = sampleSize;
  comm.rate = static_cast<int>(rate);
  comm.compression = compression;
  return comm;
}

std::optional<AiffChunks> ParseAiffChunks(ByteSource& file) {
  uint8_t b[kAifcCommBytes];
  if (!file.ReadExactAt(0, b, 12)) return std::nullopt;
  ByteCursor form(b, 12);
  const uint32_t id = form.Be32();
  form.Skip(4);
  const uint32_t type = form.Be32();
  if (id != AiffTag("FORM") || (type != AiffTag("AIFF") && type != AiffTag("AIFC"))) {
    return std::nullopt;
  }
  AiffChunks chunks;
  chunks.aifc = type == AiffTag("AIFC");
  const uint64_t fileSize = file.Size();
  int64_t pos = 12;
  for (;;) {
    if (!file.ReadExactAt(static_cast<uint64_t>(pos), b, 8)) break;
    ByteCursor head(b, 8);
    const uint32_t chunk = head.Be32();
    const uint32_t size = head.Be32();
    const int64_t data = pos + 8;
    if (chunk == AiffTag("COMM")) {
      const size_t fixed = chunks.aifc ? kAifcCommBytes : kCommBytes;
      if (chunks.aifc ? size < fixed : size != fixed) break;
      // The whole chunk must be in the file, though only its fixed part is read.
      if (size > kMaxAiffCommBytes || uint64_t(data) + size > fileSize) break;
      if (!file.ReadExactAt(uint64_t(data), b, fixed)) break;
      const std::optional<AiffComm> comm = ParseAiffComm(b, fixed, chunks.aifc);
      if (!comm) break;
      chunks.comm = comm;
    } else if (chunk == AiffTag("SSND")) {
      if (size < 8 || !file.ReadExactAt(uint64_t(data), b, 8)) break;
      const uint32_t offset = ByteCursor(b, 8).Be32();
      // The offset must leave the sound data inside the chunk.
      if (offset > size - 8) break;
      chunks.sound = AiffSpan{data + 8 + offset, int64_t{size} - 8 - offset};
    } else if (chunk == AiffTag("ID3 ")) {
      if (chunks.id3.size() < kMaxAiffId3) chunks.id3.push_back(AiffSpan{data, size});
    }
    // An odd size is followed by a pad byte.
    pos = data + size + (size & 1);
  }
  return chunks;
}

}  // namespace sondrel
