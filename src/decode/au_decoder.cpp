#include "decode/au_decoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <new>

#include "decode/downmix.h"
#include "decode/g711.h"

namespace sondrel {
namespace {

enum Encoding : uint32_t {
  kMulaw = 1,
  kPcm8 = 2,
  kPcm16 = 3,
  kPcm24 = 4,
  kPcm32 = 5,
  kFloat = 6,
  kDouble = 7,
  kG721 = 23,
  kG723_3 = 25,
  kG723_5 = 26,
  kAlaw = 27,
};

// Bits per sample (or per code) of an encoding; 0 when it is not read.
int EncodingBits(uint32_t encoding) {
  switch (encoding) {
    case kMulaw:
    case kPcm8:
    case kAlaw:
      return 8;
    case kPcm16:
      return 16;
    case kPcm24:
      return 24;
    case kPcm32:
    case kFloat:
      return 32;
    case kDouble:
      return 64;
    case kG721:
      return 4;
    case kG723_3:
      return 3;
    case kG723_5:
      return 5;
    default:
      return 0;
  }
}

bool IsAdpcm(uint32_t encoding) {
  return encoding == kG721 || encoding == kG723_3 || encoding == kG723_5;
}

// The header is read from at most this many bytes and needs at least 24.
constexpr size_t kHeaderMax = 120;
constexpr size_t kHeaderMin = 24;
// When the encoding word is out of range, the words at these byte offsets are
// tried in turn.
constexpr size_t kSearchFirst = 13;
constexpr int kSearchWords = 20;
// More channels than any real file has.
constexpr uint32_t kMaxChannels = 65535;

int16_t FloatToSample(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -1.0, 1.0);
  return static_cast<int16_t>(static_cast<int64_t>(v * 2147483647.0) >> 16);
}

int ClampToInt(uint64_t x) { return x > INT_MAX ? INT_MAX : static_cast<int>(x); }

}  // namespace

AuDecoder::AuDecoder() : m_buffer(new (std::nothrow) uint8_t[kReadBufferSize]) {}

AuDecoder::~AuDecoder() { Close(); }

void AuDecoder::Close() {
  m_file.Close();
  m_bigEndian = true;
  m_encoding = 0;
  m_bits = 0;
  m_sampleBytes = 0;
  m_dataOffset = 0;
  m_channelsUsed = 0;
  m_g72x = G72xDecoder();
  m_reservoir = 0;
  m_bitCount = 0;
  m_nextIsRight = false;
  ResetProperties();
}

int AuDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  if (!m_buffer || !m_file.Open(path)) return 0;
  uint8_t header[kHeaderMax];
  const size_t n = m_file.Read(header, sizeof header);
  const int64_t fileSize = m_file.Size();
  if (n < kHeaderMin || fileSize < 0) {
    Close();
    return 0;
  }
  const uint32_t magic = Be32(header);
  if (magic == 0x2E736E64u || magic == 0x2E736400u) {
    m_bigEndian = true;
  } else if (magic == 0x646E732Eu || magic == 0x0064732Eu) {
    m_bigEndian = false;
  } else {
    Close();
    return 0;
  }
  auto word = [&](size_t offset) {
    return m_bigEndian ? Be32(header + offset) : Le32(header + offset);
  };

  const uint32_t dataOffset = word(4);
  const uint32_t dataSize = word(8);
  uint32_t encoding = word(12);
  size_t fields = 16;  // where the sample rate and channel words start
  if (encoding >= 28) {
    bool found = false;
    for (int i = 0; i < kSearchWords; ++i) {
      const size_t at = kSearchFirst + size_t(i);
      if (at + 12 > n) break;
      if (word(at) < 28) {
        encoding = word(at);
        fields = at + 4;
        found = true;
        break;
      }
    }
    if (!found) {
      Close();
      return 0;
    }
  }
  uint32_t rate = word(fields);
  uint32_t channels = word(fields + 4);
  if (rate < 1000 || rate > 100000) rate = 8000;
  if (channels == 0) channels = 1;

  m_bits = EncodingBits(encoding);
  // The data must start after the header and inside the file.
  if (m_bits == 0 || dataOffset < kHeaderMin || int64_t{dataOffset} > fileSize ||
      channels > kMaxChannels) {
    Close();
    return 0;
  }
  m_encoding = encoding;
  m_sampleBytes = IsAdpcm(encoding) ? 0 : m_bits / 8;
  if (IsAdpcm(encoding)) m_g72x.Start(m_bits);
  m_dataOffset = dataOffset;

  SetChannelProperties(static_cast<int>(channels));
  m_channelsUsed = std::min(static_cast<int>(channels), 8);
  m_sampleRate = static_cast<int>(rate);
  // A size past the end of the file (or unknown) ends with the file.
  const int64_t available = fileSize - dataOffset;
  m_length = dataSize == 0xFFFFFFFFu ? available : std::min<int64_t>(dataSize, available);

  const uint64_t length = static_cast<uint64_t>(m_length);
  const uint64_t seconds = (length * 8 / (uint64_t(m_bits) * channels)) / rate;
  m_duration = ClampToInt(seconds);
  m_bitRate = seconds != 0 ? ClampToInt(length / (seconds * 125))
                           : ClampToInt(uint64_t(m_bits) * channels * rate / 1000);
  if (!m_file.Seek(m_dataOffset)) {
    Close();
    return 0;
  }
  m_position = 0;
  return 1;
}

int16_t AuDecoder::SampleAt(const uint8_t* p) const {
  switch (m_encoding) {
    case kMulaw:
      return MulawToLinear(p[0]);
    case kAlaw:
      return AlawToLinear(p[0]);
    case kPcm8:
      return static_cast<int16_t>(static_cast<int8_t>(p[0]) * 256);
    case kFloat: {
      const uint32_t bits = m_bigEndian ? Be32(p) : Le32(p);
      return FloatToSample(std::bit_cast<float>(bits));
    }
    case kDouble: {
      const uint64_t bits = m_bigEndian ? Be64(p) : (uint64_t{Le32(p + 4)} << 32) | Le32(p);
      return FloatToSample(std::bit_cast<double>(bits));
    }
    default: {
      // PCM of 16 to 32 bits: the two most significant bytes.
      const int k = m_sampleBytes;
      return m_bigEndian ? static_cast<int16_t>((p[0] << 8) | p[1])
                         : static_cast<int16_t>((p[k - 1] << 8) | p[k - 2]);
    }
  }
}

int AuDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_file.IsOpen() || m_position >= m_length || !left) return 0;
  if (m_channels >= 2 && !right) return 0;
  size_t perCall;
  size_t frameBytes = 0;
  if (IsAdpcm(m_encoding)) {
    // Codes of more than two channels alternate like stereo ones, so a call
    // takes the codes of at most 1152 stereo frames.
    perCall = size_t(m_outputChannels) * size_t(m_bits) * kBlockFrames / 8;
  } else {
    frameBytes = size_t(m_channels) * size_t(m_sampleBytes);
    perCall = std::min<size_t>(kBlockFrames, kReadBufferSize / frameBytes) * frameBytes;
  }
  const size_t n = static_cast<size_t>(std::min<int64_t>(int64_t(perCall), m_length - m_position));
  m_position += static_cast<int64_t>(n);
  const size_t got = m_file.Read(m_buffer.get(), n);
  if (got == 0) return 0;
  if (IsAdpcm(m_encoding)) return ReadAdpcm(m_buffer.get(), got, left, right);

  const int frames = static_cast<int>(got / frameBytes);
  const uint8_t* p = m_buffer.get();
  for (int i = 0; i < frames; ++i, p += frameBytes) {
    if (m_channels == 1) {
      left[i] = SampleAt(p);
    } else if (m_channels == 2) {
      left[i] = SampleAt(p);
      right[i] = SampleAt(p + m_sampleBytes);
    } else {
      int16_t frame[8];
      for (int c = 0; c < m_channelsUsed; ++c) frame[c] = SampleAt(p + c * m_sampleBytes);
      DownmixToStereo(m_channelsUsed, frame, left[i], right[i]);
    }
  }
  return frames;
}

int AuDecoder::ReadAdpcm(const uint8_t* data, size_t size, int16_t* left, int16_t* right) {
  const int bits = m_bits;
  const uint32_t mask = (1u << bits) - 1;
  int frames = 0;
  for (size_t i = 0; i < size; ++i) {
    // Codes are taken least significant bit first.
    m_reservoir |= uint32_t{data[i]} << m_bitCount;
    m_bitCount += 8;
    while (m_bitCount >= bits) {
      const int code = static_cast<int>(m_reservoir & mask);
      m_reservoir >>= bits;
      m_bitCount -= bits;
      const int16_t sample = m_g72x.Decode(code);
      if (frames >= kBlockFrames) continue;  // only after a short read
      if (m_outputChannels == 1) {
        left[frames++] = sample;
      } else if (!m_nextIsRight) {
        left[frames] = sample;
        m_nextIsRight = true;
      } else {
        right[frames++] = sample;
        m_nextIsRight = false;
      }
    }
  }
  return frames;
}

}  // namespace sondrel
