#include "decode/aiff_decoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "decode/downmix.h"
#include "decode/g711.h"
#include "decode/id3_tag_reader.h"
#include "decode/ima_adpcm.h"

namespace sondrel {
namespace {

constexpr uint32_t Tag(const char (&s)[5]) {
  return (uint32_t{static_cast<uint8_t>(s[0])} << 24) |
         (uint32_t{static_cast<uint8_t>(s[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(s[2])} << 8) | uint32_t{static_cast<uint8_t>(s[3])};
}

uint32_t UpperTag(uint32_t tag) {
  uint32_t upper = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    uint32_t c = (tag >> shift) & 0xFF;
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    upper |= c << shift;
  }
  return upper;
}

// The 80-bit IEEE 754 extended value of COMM's sample rate, big-endian.
double ExtendedToDouble(const uint8_t* p) {
  const bool negative = (p[0] & 0x80) != 0;
  const int exponent = ((p[0] & 0x7F) << 8) | p[1];
  const uint64_t mantissa = Be64(p + 2);
  double value;
  if (exponent == 0x7FFF) {
    value = HUGE_VAL;
  } else if (exponent == 0 && mantissa == 0) {
    value = 0.0;
  } else {
    value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  }
  return negative ? -value : value;
}

int ClampToInt(int64_t x) { return x > INT_MAX ? INT_MAX : static_cast<int>(x); }

// v scaled to 32 bits, truncated, and its top 16 bits kept. Values outside
// -1..1 are held at full scale rather than wrapped; NaN is silence.
int16_t FloatToSample(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -1.0, 1.0);
  return static_cast<int16_t>(static_cast<int64_t>(v * 2147483647.0) >> 16);
}

}  // namespace

AiffDecoder::AiffDecoder() : m_work(new (std::nothrow) uint8_t[kWorkBufferSize]) {}

AiffDecoder::~AiffDecoder() { Close(); }

void AiffDecoder::Close() {
  m_gsm.Close();
  m_dwvw = DwvwDecoder();
  m_file.Close();
  m_tags = TagInfo{};
  m_haveComm = false;
  m_commChannels = 0;
  m_commFrames = 0;
  m_commFramesKnown = false;
  m_commSampleSize = 0;
  m_commRate = 0;
  m_compression = 0;
  m_aifc = false;
  m_haveSsnd = false;
  m_dataStart = 0;
  m_dataLength = 0;
  m_coding = Coding::Pcm;
  m_littleEndian = false;
  m_sampleSize = 0;
  m_container = 0;
  m_frames = 0;
  m_dataRemaining = 0;
  m_channelsUsed = 0;
  m_ended = false;
  m_dwvwFramesLeft = -1;
  m_pendingChannel = 0;
  ResetProperties();
}

int AiffDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  if (!m_work || !m_file.Open(path)) return 0;
  m_length = m_file.Size();
  if (m_length < 0 || !WalkChunks() || !m_haveComm || !m_haveSsnd || !ChooseCoding()) {
    Close();
    return 0;
  }
  // Sound data that runs past the end of the file ends with the file.
  if (m_dataStart > m_length) {
    Close();
    return 0;
  }
  m_dataLength = std::min(m_dataLength, m_length - m_dataStart);

  const int channels = m_commChannels;
  if (m_coding == Coding::Ima4) {
    m_frames = m_dataLength / (kIma4BlockBytes * channels) * kIma4BlockSamples;
  } else if (m_coding == Coding::Gsm) {
    m_frames = m_dataLength / kGsmFrameBytes * kGsmFrameSamples / channels;
  } else {
    m_frames = m_commFrames;
  }
  const int64_t seconds = m_commRate > 0 ? m_frames / m_commRate : 0;
  m_duration = ClampToInt(seconds);
  m_bitRate = seconds != 0 ? ClampToInt(m_length / (seconds * 125))
                           : ClampToInt(int64_t{m_sampleSize} * channels * m_commRate / 1000);
  SetChannelProperties(channels);
  m_sampleRate = m_commRate;
  m_channelsUsed = std::min(channels, 8);

  if (m_coding == Coding::Gsm && !m_gsm.Open()) {
    Close();
    return 0;
  }
  if (m_coding == Coding::Dwvw) {
    if (!m_dwvw.Start(m_sampleSize, [this](uint8_t* d, size_t n) { return ReadData(d, n); })) {
      Close();
      return 0;
    }
    // Bits that pad the last byte must not become a sample of their own.
    m_dwvwFramesLeft = m_commFramesKnown ? int64_t{m_commFrames} : -1;
  }
  if (!m_file.Seek(m_dataStart)) {
    Close();
    return 0;
  }
  m_position = m_dataStart;
  m_dataRemaining = m_dataLength;
  return 1;
}

bool AiffDecoder::WalkChunks() {
  uint8_t* b = m_work.get();
  if (!m_file.Seek(0) || !m_file.ReadExact(b, 12)) return false;
  if (Be32(b) != Tag("FORM")) return false;
  if (Be32(b + 8) == Tag("AIFF")) {
    m_aifc = false;
  } else if (Be32(b + 8) == Tag("AIFC")) {
    m_aifc = true;
  } else {
    return false;
  }
  int64_t pos = 12;
  for (;;) {
    if (!m_file.Seek(pos) || !m_file.ReadExact(b, 8)) break;
    const uint32_t id = Be32(b);
    const uint32_t size = Be32(b + 4);
    const int64_t data = pos + 8;
    if (id == Tag("COMM")) {
      if (!ParseComm(size, m_aifc)) break;
    } else if (id == Tag("SSND")) {
      if (size < 8 || !m_file.ReadExact(b, 8)) break;
      const uint32_t offset = Be32(b);
      // The offset must leave the sound data inside the chunk.
      if (offset > size - 8) break;
      m_dataStart = data + 8 + offset;
      m_dataLength = int64_t{size} - 8 - offset;
      m_haveSsnd = true;
    } else if (id == Tag("ID3 ")) {
      ReadId3Chunk(data, size);
    }
    // An odd size is followed by a pad byte.
    pos = data + size + (size & 1);
  }
  return true;
}

bool AiffDecoder::ParseComm(uint32_t size, bool aifc) {
  if (aifc ? size < 22 : size != 18) return false;
  if (size > kWorkBufferSize) return false;
  uint8_t* b = m_work.get();
  if (!m_file.ReadExact(b, size)) return false;
  const double rate = ExtendedToDouble(b + 8);
  // A rate that is not a number of samples per second refuses the file.
  if (!std::isfinite(rate) || rate < 0.0 || rate >= 2147483648.0) return false;
  m_commChannels = Be16(b) == 0 ? 1 : Be16(b);
  m_commFrames = Be32(b + 2);
  m_commFramesKnown = m_commFrames != 0 && m_commFrames != 0xFFFFFFFFu;
  if (!m_commFramesKnown) m_commFrames = 1;
  m_commSampleSize = Be16(b + 6);
  m_commRate = static_cast<int>(rate);
  m_compression = aifc ? UpperTag(Be32(b + 18)) : Tag("NONE");
  m_haveComm = true;
  return true;
}

void AiffDecoder::ReadId3Chunk(int64_t offset, uint32_t size) {
  const int64_t available = m_length - offset;
  const int64_t n = std::min<int64_t>({int64_t{size}, int64_t{kMaxId3Size}, available});
  if (n <= 0) return;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return;  // only the tags are lost
  }
  if (!m_file.Seek(offset)) return;
  const size_t got = m_file.Read(bytes.data(), bytes.size());
  ReadId3v2Tag(bytes.data(), got, m_tags);
}

bool AiffDecoder::ChooseCoding() {
  const int size = m_commSampleSize;
  switch (m_compression) {
    case Tag("NONE"):
    case Tag("TWOS"):
    case Tag("IN24"):
    case Tag("IN32"):
    case Tag("SOWT"):
    case Tag("23NI"):
      if (size < 1 || size > 32) return false;
      m_coding = Coding::Pcm;
      m_littleEndian = m_compression == Tag("SOWT") || m_compression == Tag("23NI");
      m_sampleSize = size;
      m_container = (size + 7) / 8;
      return true;
    case Tag("ULAW"):
    case Tag("ALAW"):
      m_coding = m_compression == Tag("ULAW") ? Coding::Mulaw : Coding::Alaw;
      m_sampleSize = 8;
      m_container = 1;
      return true;
    case Tag("RAW "):
      m_coding = Coding::Raw;
      m_sampleSize = 8;
      m_container = 1;
      return true;
    case Tag("FL32"):
      m_coding = Coding::Float32;
      m_sampleSize = 32;
      m_container = 4;
      return true;
    case Tag("FL64"):
      m_coding = Coding::Float64;
      m_sampleSize = 64;
      m_container = 8;
      return true;
    case Tag("IMA4"):
      if (m_commChannels != 2) return false;
      m_coding = Coding::Ima4;
      m_sampleSize = 4;
      return true;
    case Tag("GSM "):
      m_coding = Coding::Gsm;
      m_sampleSize = size;
      return true;
    case Tag("DWVW"):
      if (size < 8 || size > 24) return false;
      m_coding = Coding::Dwvw;
      m_sampleSize = size;
      return true;
    default:
      return false;
  }
}

int AiffDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_file.IsOpen() || m_ended || !left) return 0;
  if (m_channels >= 2 && !right) return 0;
  switch (m_coding) {
    case Coding::Ima4:
      return ReadIma4(left, right);
    case Coding::Gsm:
      return ReadGsm(left, right);
    case Coding::Dwvw:
      return ReadDwvw(left, right);
    default:
      return ReadSamples(left, right);
  }
}

int AiffDecoder::Finish() {
  m_ended = true;
  m_dataRemaining = 0;
  m_position = m_length;
  return 0;
}

size_t AiffDecoder::ReadData(uint8_t* data, size_t size) {
  const size_t want = static_cast<size_t>(std::min<int64_t>(int64_t(size), m_dataRemaining));
  const size_t got = m_file.Read(data, want);
  m_position += static_cast<int64_t>(got);
  m_dataRemaining = got < want ? 0 : m_dataRemaining - static_cast<int64_t>(got);
  return got;
}

int AiffDecoder::ReadSamples(int16_t* left, int16_t* right) {
  const size_t frameBytes = size_t(m_channels) * size_t(m_container);
  const size_t maxFrames = std::min<size_t>(kBlockFrames, kWorkBufferSize / frameBytes);
  uint8_t* b = m_work.get();
  const size_t got = ReadData(b, maxFrames * frameBytes);
  const int frames = static_cast<int>(got / frameBytes);
  if (frames == 0) return Finish();

  const int container = m_container;
  auto sample = [&](const uint8_t* p) -> int16_t {
    switch (m_coding) {
      case Coding::Pcm:
        if (container == 1) return static_cast<int16_t>(static_cast<int8_t>(p[0]) * 256);
        if (m_littleEndian) return static_cast<int16_t>((p[container - 1] << 8) | p[container - 2]);
        return static_cast<int16_t>((p[0] << 8) | p[1]);
      case Coding::Raw:
        return static_cast<int16_t>((p[0] - 128) * 256);
      case Coding::Mulaw:
        return MulawToLinear(p[0]);
      case Coding::Alaw:
        return AlawToLinear(p[0]);
      case Coding::Float32:
        return FloatToSample(std::bit_cast<float>(Be32(p)));
      case Coding::Float64:
        return FloatToSample(std::bit_cast<double>(Be64(p)));
      default:
        return 0;
    }
  };

  const uint8_t* p = b;
  for (int i = 0; i < frames; ++i, p += frameBytes) {
    if (m_channels == 1) {
      left[i] = sample(p);
    } else if (m_channels == 2) {
      left[i] = sample(p);
      right[i] = sample(p + container);
    } else {
      int16_t frame[8];
      for (int c = 0; c < m_channelsUsed; ++c) frame[c] = sample(p + c * container);
      DownmixToStereo(m_channelsUsed, frame, left[i], right[i]);
    }
  }
  return frames;
}

int AiffDecoder::ReadIma4(int16_t* left, int16_t* right) {
  constexpr size_t kBlock = 2 * kIma4BlockBytes;
  if (m_dataRemaining < int64_t(kBlock)) return Finish();
  uint8_t* b = m_work.get();
  if (ReadData(b, kBlock) != kBlock) return Finish();
  DecodeIma4Block(b, left);
  DecodeIma4Block(b + kIma4BlockBytes, right);
  return kIma4BlockSamples;
}

bool AiffDecoder::PutSample(int16_t sample, int16_t* left, int16_t* right, int& frames) {
  if (m_pendingChannel < 8) m_pending[m_pendingChannel] = sample;
  if (++m_pendingChannel < m_channels) return false;
  m_pendingChannel = 0;
  if (m_channels == 1) {
    left[frames] = m_pending[0];
  } else if (m_channels == 2) {
    left[frames] = m_pending[0];
    right[frames] = m_pending[1];
  } else {
    DownmixToStereo(m_channelsUsed, m_pending, left[frames], right[frames]);
  }
  ++frames;
  return true;
}

int AiffDecoder::ReadGsm(int16_t* left, int16_t* right) {
  int frames = 0;
  // One GSM frame per call; with many channels, more until a frame is whole.
  while (frames == 0) {
    if (m_dataRemaining <= kGsmFrameBytes - 1) return Finish();
    uint8_t* b = m_work.get();
    int16_t samples[kGsmFrameSamples];
    if (ReadData(b, kGsmFrameBytes) != size_t(kGsmFrameBytes)) return Finish();
    if (!m_gsm.DecodeFrame(b, samples)) return Finish();
    for (int i = 0; i < kGsmFrameSamples; ++i) PutSample(samples[i], left, right, frames);
  }
  return frames;
}

int AiffDecoder::ReadDwvw(int16_t* left, int16_t* right) {
  int frames = 0;
  while (frames < kBlockFrames && m_dwvwFramesLeft != 0) {
    bool whole = true;
    for (int c = 0; c < m_channels; ++c) {
      int16_t s;
      if (m_dwvw.Decode(&s, 1) != 1) {
        whole = false;
        break;
      }
      PutSample(s, left, right, frames);
    }
    if (!whole) break;
    if (m_dwvwFramesLeft > 0) --m_dwvwFramesLeft;
  }
  if (frames == 0) return Finish();
  return frames;
}

int AiffDecoder::GetTags(TagInfo& tags) {
  if (m_tags == TagInfo{}) return 0;
  tags = m_tags;
  return 1;
}

}  // namespace sondrel
