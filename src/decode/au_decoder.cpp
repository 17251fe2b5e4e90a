#include "decode/au_decoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <new>

#include "decode/downmix.h"
#include "decode/float_sample.h"
#include "decode/g711.h"
#include "platform/bytes.h"

namespace sondrel {
namespace {

int ClampToInt(uint64_t x) { return x > INT_MAX ? INT_MAX : static_cast<int>(x); }

}  // namespace

AuDecoder::AuDecoder() : m_buffer(new (std::nothrow) uint8_t[kReadBufferSize]) {}

void AuDecoder::Close() {
  m_file.Close();
  m_open = OpenFile{};
  ResetProperties();
}

int AuDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  if (!m_buffer || !m_file.Open(path)) return 0;
  uint8_t head[kAuHeaderMax];
  const size_t n = m_file.Read(head, sizeof head);
  const std::optional<AuHeaderInfo> header = ParseAuHeader(head, n, m_file.Size());
  if (!header) {
    Close();
    return 0;
  }
  m_open.bigEndian = header->bigEndian;
  m_open.encoding = header->encoding;
  m_open.bits = header->bits;
  m_open.sampleBytes = IsAuAdpcm(m_open.encoding) ? 0 : m_open.bits / 8;
  if (IsAuAdpcm(m_open.encoding)) m_open.g72x.Start(m_open.bits);
  m_open.dataOffset = header->dataOffset;
  const uint32_t channels = header->channels;
  const uint32_t rate = header->rate;

  SetChannelProperties(static_cast<int>(channels));
  m_open.channelsUsed = std::min(static_cast<int>(channels), 8);
  m_sampleRate = static_cast<int>(rate);
  m_length = header->dataLength;

  const uint64_t length = static_cast<uint64_t>(m_length);
  const uint64_t seconds = (length * 8 / (uint64_t(m_open.bits) * channels)) / rate;
  m_duration = ClampToInt(seconds);
  m_bitRate = seconds != 0 ? ClampToInt(length / (seconds * 125))
                           : ClampToInt(uint64_t(m_open.bits) * channels * rate / 1000);
  if (!m_file.Seek(static_cast<uint64_t>(m_open.dataOffset))) {
    Close();
    return 0;
  }
  m_position = 0;
  return 1;
}

int16_t AuDecoder::SampleAt(const uint8_t* p) const {
  switch (m_open.encoding) {
    case kAuMulaw:
      return MulawToLinear(p[0]);
    case kAuAlaw:
      return AlawToLinear(p[0]);
    case kAuPcm8:
      return static_cast<int16_t>(static_cast<int8_t>(p[0]) * 256);
    case kAuFloat: {
      const uint32_t bits = m_open.bigEndian ? LoadBe32(p) : LoadLe32(p);
      return FloatToSample(std::bit_cast<float>(bits));
    }
    case kAuDouble: {
      const uint64_t bits = m_open.bigEndian ? LoadBe64(p) : LoadLe64(p);
      return FloatToSample(std::bit_cast<double>(bits));
    }
    default: {
      // PCM of 16 to 32 bits: the two most significant bytes.
      const int k = m_open.sampleBytes;
      return m_open.bigEndian ? static_cast<int16_t>((p[0] << 8) | p[1])
                              : static_cast<int16_t>((p[k - 1] << 8) | p[k - 2]);
    }
  }
}

int AuDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_file.IsOpen() || m_position >= m_length || !left) return 0;
  if (m_channels >= 2 && !right) return 0;
  size_t perCall;
  size_t frameBytes = 0;
  if (IsAuAdpcm(m_open.encoding)) {
    // Codes of more than two channels alternate like stereo ones, so a call
    // takes the codes of at most 1152 stereo frames.
    perCall = size_t(m_outputChannels) * size_t(m_open.bits) * kBlockFrames / 8;
  } else {
    frameBytes = size_t(m_channels) * size_t(m_open.sampleBytes);
    perCall = std::min<size_t>(kBlockFrames, kReadBufferSize / frameBytes) * frameBytes;
  }
  const size_t n = static_cast<size_t>(std::min<int64_t>(int64_t(perCall), m_length - m_position));
  m_position += static_cast<int64_t>(n);
  const size_t got = m_file.Read(m_buffer.get(), n);
  if (got == 0) return 0;
  if (IsAuAdpcm(m_open.encoding)) return ReadAdpcm(m_buffer.get(), got, left, right);

  const int frames = static_cast<int>(got / frameBytes);
  DeinterleaveFrames(
      m_buffer.get(), frames, m_channels, m_open.channelsUsed, size_t(m_open.sampleBytes),
      [this](const uint8_t* p) { return SampleAt(p); }, left, right);
  return frames;
}

int AuDecoder::ReadAdpcm(const uint8_t* data, size_t size, int16_t* left, int16_t* right) {
  const int bits = m_open.bits;
  const uint32_t mask = (1u << bits) - 1;
  int frames = 0;
  for (size_t i = 0; i < size; ++i) {
    // Codes are taken least significant bit first.
    m_open.reservoir |= uint32_t{data[i]} << m_open.bitCount;
    m_open.bitCount += 8;
    while (m_open.bitCount >= bits) {
      const int code = static_cast<int>(m_open.reservoir & mask);
      m_open.reservoir >>= bits;
      m_open.bitCount -= bits;
      const int16_t sample = m_open.g72x.Decode(code);
      if (frames >= kBlockFrames) continue;  // only after a short read
      if (m_outputChannels == 1) {
        left[frames++] = sample;
      } else if (!m_open.nextIsRight) {
        left[frames] = sample;
        m_open.nextIsRight = true;
      } else {
        right[frames++] = sample;
        m_open.nextIsRight = false;
      }
    }
  }
  return frames;
}

}  // namespace sondrel
