#include "platform/amr/amr_storage.h"

#include <cstring>

namespace sondrel {

std::unique_ptr<AmrStorageReader> AmrStorageReader::Open(AmrFile file, AmrBand band) {
  if (!file) return nullptr;
  const std::string_view magic = AmrMagic(band);
  char head[16];
  if (std::fread(head, 1, magic.size(), file.get()) != magic.size()) return nullptr;
  if (std::memcmp(head, magic.data(), magic.size()) != 0) return nullptr;
  return std::unique_ptr<AmrStorageReader>(
      new AmrStorageReader(std::move(file), band, static_cast<int64_t>(magic.size())));
}

AmrStorageReader::Next AmrStorageReader::ReadFrame(uint8_t* frame) {
  std::memset(frame, 0, kAmrMaxFrameBytes);
  if (m_done) return Next::kEnd;
  const int header = std::fgetc(m_file.get());
  if (header == EOF) {
    m_done = true;
    return Next::kEnd;
  }
  const int payload = AmrFramePayloadBytes(m_band, AmrFrameType(static_cast<uint8_t>(header)));
  if (payload < 0) {
    m_done = true;
    return Next::kReservedType;
  }
  frame[0] = static_cast<uint8_t>(header);
  const size_t got = std::fread(frame + 1, 1, static_cast<size_t>(payload), m_file.get());
  if (got != static_cast<size_t>(payload)) {
    std::memset(frame, 0, kAmrMaxFrameBytes);
    m_done = true;
    return Next::kTruncated;
  }
  m_offset += 1 + payload;
  return Next::kFrame;
}

}  // namespace sondrel
