#include "decode/amr_decoder.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/file.h"

namespace sondrel {

void AmrDecoder::Close() {
  m_nb.reset();
  m_wb.reset();
  m_narrowBand = 1;
  m_carryCount = 0;
  ResetProperties();
}

int AmrDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  // The magic decides the band. Nine bytes are needed, even for narrow band.
  const std::optional<std::vector<uint8_t>> head = ReadFileHead(path, kAmrWbMagic.size());
  if (!head || head->size() != kAmrWbMagic.size()) return 0;
  const std::optional<AmrBand> band = AmrStorageBand(head->data(), head->size());
  if (band == AmrBand::kNarrow) {
    m_nb.reset(amrnbdec_init(path));
    if (!m_nb) return 0;
    m_position = static_cast<int64_t>(kAmrNbMagic.size());
    m_narrowBand = 1;
    m_sampleRate = 8000;
  } else if (band == AmrBand::kWide) {
    m_wb.reset(amrwbdec_init(path));
    if (!m_wb) return 0;
    m_position = static_cast<int64_t>(kAmrWbMagic.size());
    m_narrowBand = 0;
    m_sampleRate = 16000;
  } else {
    return 0;
  }
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  m_length = ec ? 0 : static_cast<int64_t>(size);
  m_duration = 0;
  m_bitRate = 0;
  m_carryCount = 0;
  SetChannelProperties(1);
  return 1;
}

int AmrDecoder::DecodeFrame(const int16_t** samples, int64_t* offset) {
  if (m_narrowBand) return m_nb ? amrnbdec_decode(m_nb.get(), samples, offset) : 0;
  return m_wb ? amrwbdec_decode(m_wb.get(), samples, offset) : 0;
}

int AmrDecoder::Read(int16_t* left, int16_t* right) {
  (void)right;
  int held = m_carryCount;
  std::copy(m_carry, m_carry + m_carryCount, left);
  m_carryCount = 0;
  while (held < kBlockFrames) {
    const int16_t* samples = nullptr;
    int64_t offset = 0;
    const int got = DecodeFrame(&samples, &offset);
    if (got <= 0 || !samples) break;
    m_position = offset;
    const int n = std::min(got, 1024);
    const int take = std::min(n, kBlockFrames - held);
    std::copy(samples, samples + take, left + held);
    held += take;
    m_carryCount = n - take;
    std::copy(samples + take, samples + n, m_carry);
  }
  return held;
}

}  // namespace sondrel
