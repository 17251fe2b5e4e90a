#include "platform/amr/amr_storage.h"

#include <cstring>

namespace sondrel {

std::optional<AmrBand> AmrStorageBand(const uint8_t* head, size_t size) {
  for (AmrBand band : {AmrBand::kNarrow, AmrBand::kWide}) {
    if (ByteCursor(head, size).Match(AmrMagic(band))) return band;
  }
  return std::nullopt;
}

std::unique_ptr<AmrStorageReader> AmrStorageReader::Open(std::unique_ptr<ByteSource> source,
                                                         AmrBand band) {
  if (!source) return nullptr;
  const std::string_view magic = AmrMagic(band);
  uint8_t head[16];
  const size_t got = source->ReadAt(0, head, magic.size());
  if (!ByteCursor(head, got).Match(magic)) return nullptr;
  return std::unique_ptr<AmrStorageReader>(
      new AmrStorageReader(std::move(source), band, static_cast<int64_t>(magic.size())));
}

AmrStorageReader::Next AmrStorageReader::ReadFrame(uint8_t* frame) {
  std::memset(frame, 0, kAmrMaxFrameBytes);
  if (m_done) return Next::kEnd;
  const uint64_t at = static_cast<uint64_t>(m_offset);
  if (!m_source->ReadExactAt(at, frame, 1)) {
    m_done = true;
    return Next::kEnd;
  }
  const int payload = AmrFramePayloadBytes(m_band, AmrFrameType(frame[0]));
  if (payload < 0) {
    std::memset(frame, 0, kAmrMaxFrameBytes);
    m_done = true;
    return Next::kReservedType;
  }
  if (!m_source->ReadExactAt(at + 1, frame + 1, static_cast<size_t>(payload))) {
    std::memset(frame, 0, kAmrMaxFrameBytes);
    m_done = true;
    return Next::kTruncated;
  }
  m_offset += 1 + payload;
  return Next::kFrame;
}

}  // namespace sondrel
