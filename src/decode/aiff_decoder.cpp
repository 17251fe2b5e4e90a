#include "decode/aiff_decoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "decode/downmix.h"
#include "decode/float_sample.h"
#include "decode/g711.h"
#include "decode/id3_tag_reader.h"
#include "decode/ima_adpcm.h"

namespace sondrel {
namespace {

int ClampToInt(int64_t x) { return x > INT_MAX ? INT_MAX : static_cast<int>(x); }

}  // namespace

AiffDecoder::AiffDecoder() : m_work(new (std::nothrow) uint8_t[kWorkBufferSize]) {}

void AiffDecoder::Close() {
  m_gsm.Close();
  m_file.Close();
  m_open = OpenFile{};
  ResetProperties();
}

int AiffDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  if (!m_work || !m_file.Open(path)) return 0;
  m_length = static_cast<int64_t>(m_file.Size());
  const std::optional<AiffChunks> chunks = ParseAiffChunks(m_file);
  if (!chunks || !chunks->comm || !chunks->sound) {
    Close();
    return 0;
  }
  m_open.comm = *chunks->comm;
  m_open.dataStart = chunks->sound->offset;
  m_open.dataLength = chunks->sound->size;
  if (!ChooseCoding()) {
    Close();
    return 0;
  }
  // Sound data that runs past the end of the file ends with the file.
  if (m_open.dataStart > m_length) {
    Close();
    return 0;
  }
  m_open.dataLength = std::min(m_open.dataLength, m_length - m_open.dataStart);

  const int channels = m_open.comm.channels;
  if (m_open.coding == Coding::Ima4) {
    m_open.frames = m_open.dataLength / (kIma4BlockBytes * channels) * kIma4BlockSamples;
  } else if (m_open.coding == Coding::Gsm) {
    m_open.frames = m_open.dataLength / kGsmFrameBytes * kGsmFrameSamples / channels;
  } else {
    m_open.frames = m_open.comm.frames;
  }
  const int64_t seconds = m_open.comm.rate > 0 ? m_open.frames / m_open.comm.rate : 0;
  m_duration = ClampToInt(seconds);
  m_bitRate = seconds != 0
                  ? ClampToInt(m_length / (seconds * 125))
                  : ClampToInt(int64_t{m_open.sampleSize} * channels * m_open.comm.rate / 1000);
  SetChannelProperties(channels);
  m_sampleRate = m_open.comm.rate;
  m_open.channelsUsed = std::min(channels, 8);

  if (m_open.coding == Coding::Gsm && !m_gsm.Open()) {
    Close();
    return 0;
  }
  if (m_open.coding == Coding::Dwvw) {
    if (!m_open.dwvw.Start(m_open.sampleSize,
                           [this](uint8_t* d, size_t n) { return ReadData(d, n); })) {
      Close();
      return 0;
    }
    // Bits that pad the last byte must not become a sample of their own.
    m_open.dwvwFramesLeft = m_open.comm.framesKnown ? int64_t{m_open.comm.frames} : -1;
  }
  for (const AiffSpan& id3 : chunks->id3) ReadId3Chunk(id3);
  if (!m_file.Seek(static_cast<uint64_t>(m_open.dataStart))) {
    Close();
    return 0;
  }
  m_position = m_open.dataStart;
  m_open.dataRemaining = m_open.dataLength;
  return 1;
}

void AiffDecoder::ReadId3Chunk(const AiffSpan& chunk) {
  const int64_t available = m_length - chunk.offset;
  const int64_t n = std::min<int64_t>({chunk.size, int64_t{kMaxId3Size}, available});
  if (n <= 0) return;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return;  // only the tags are lost
  }
  const size_t got = m_file.ReadAt(static_cast<uint64_t>(chunk.offset), bytes.data(), bytes.size());
  ReadId3v2Tag(bytes.data(), got, m_open.tags);
}

bool AiffDecoder::ChooseCoding() {
  const int size = m_open.comm.sampleSize;
  const uint32_t compression = m_open.comm.compression;
  // Container: bytes per stored sample of the PCM-like codings, else 0.
  const auto use = [this](Coding coding, int sampleSize, int container = 0) {
    m_open.coding = coding;
    m_open.sampleSize = sampleSize;
    m_open.container = container;
    return true;
  };
  switch (compression) {
    case AiffTag("NONE"):
    case AiffTag("TWOS"):
    case AiffTag("IN24"):
    case AiffTag("IN32"):
    case AiffTag("SOWT"):
    case AiffTag("23NI"):
      if (size < 1 || size > 32) return false;
      m_open.littleEndian = compression == AiffTag("SOWT") || compression == AiffTag("23NI");
      return use(Coding::Pcm, size, (size + 7) / 8);
    case AiffTag("ULAW"):
      return use(Coding::Mulaw, 8, 1);
    case AiffTag("ALAW"):
      return use(Coding::Alaw, 8, 1);
    case AiffTag("RAW "):
      return use(Coding::Raw, 8, 1);
    case AiffTag("FL32"):
      return use(Coding::Float32, 32, 4);
    case AiffTag("FL64"):
      return use(Coding::Float64, 64, 8);
    case AiffTag("IMA4"):
      if (m_open.comm.channels != 2) return false;
      return use(Coding::Ima4, 4);
    case AiffTag("GSM "):
      return use(Coding::Gsm, size);
    case AiffTag("DWVW"):
      if (size < 8 || size > 24) return false;
      return use(Coding::Dwvw, size);
    default:
      return false;
  }
}

int AiffDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_file.IsOpen() || m_open.ended || !left) return 0;
  if (m_channels >= 2 && !right) return 0;
  switch (m_open.coding) {
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
  m_open.ended = true;
  m_open.dataRemaining = 0;
  m_position = m_length;
  return 0;
}

size_t AiffDecoder::ReadData(uint8_t* data, size_t size) {
  const size_t want = static_cast<size_t>(std::min<int64_t>(int64_t(size), m_open.dataRemaining));
  const size_t got = m_file.Read(data, want);
  m_position += static_cast<int64_t>(got);
  m_open.dataRemaining = got < want ? 0 : m_open.dataRemaining - static_cast<int64_t>(got);
  return got;
}

int AiffDecoder::ReadSamples(int16_t* left, int16_t* right) {
  const size_t frameBytes = size_t(m_channels) * size_t(m_open.container);
  const size_t maxFrames = std::min<size_t>(kBlockFrames, kWorkBufferSize / frameBytes);
  uint8_t* b = m_work.get();
  const size_t got = ReadData(b, maxFrames * frameBytes);
  const int frames = static_cast<int>(got / frameBytes);
  if (frames == 0) return Finish();

  const int container = m_open.container;
  auto sample = [&](const uint8_t* p) -> int16_t {
    switch (m_open.coding) {
      case Coding::Pcm:
        if (container == 1) return static_cast<int16_t>(static_cast<int8_t>(p[0]) * 256);
        if (m_open.littleEndian)
          return static_cast<int16_t>((p[container - 1] << 8) | p[container - 2]);
        return static_cast<int16_t>((p[0] << 8) | p[1]);
      case Coding::Raw:
        return static_cast<int16_t>((p[0] - 128) * 256);
      case Coding::Mulaw:
        return MulawToLinear(p[0]);
      case Coding::Alaw:
        return AlawToLinear(p[0]);
      case Coding::Float32:
        return FloatToSample(std::bit_cast<float>(LoadBe32(p)));
      case Coding::Float64:
        return FloatToSample(std::bit_cast<double>(LoadBe64(p)));
      default:
        return 0;
    }
  };

  DeinterleaveFrames(b, frames, m_channels, m_open.channelsUsed, size_t(container), sample, left,
                     right);
  return frames;
}

int AiffDecoder::ReadIma4(int16_t* left, int16_t* right) {
  constexpr size_t kBlock = 2 * kIma4BlockBytes;
  if (m_open.dataRemaining < int64_t(kBlock)) return Finish();
  uint8_t* b = m_work.get();
  if (ReadData(b, kBlock) != kBlock) return Finish();
  DecodeIma4Block(b, left);
  DecodeIma4Block(b + kIma4BlockBytes, right);
  return kIma4BlockSamples;
}

bool AiffDecoder::PutSample(int16_t sample, int16_t* left, int16_t* right, int& frames) {
  if (m_open.pendingChannel < 8) m_open.pending[m_open.pendingChannel] = sample;
  if (++m_open.pendingChannel < m_channels) return false;
  m_open.pendingChannel = 0;
  if (m_channels == 1) {
    left[frames] = m_open.pending[0];
  } else if (m_channels == 2) {
    left[frames] = m_open.pending[0];
    right[frames] = m_open.pending[1];
  } else {
    DownmixToStereo(m_open.channelsUsed, m_open.pending, left[frames], right[frames]);
  }
  ++frames;
  return true;
}

int AiffDecoder::ReadGsm(int16_t* left, int16_t* right) {
  int frames = 0;
  // One GSM frame per call; with many channels, more until a frame is whole.
  while (frames == 0) {
    if (m_open.dataRemaining <= kGsmFrameBytes - 1) return Finish();
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
  while (frames < kBlockFrames && m_open.dwvwFramesLeft != 0) {
    bool whole = true;
    for (int c = 0; c < m_channels; ++c) {
      int16_t s;
      if (m_open.dwvw.Decode(&s, 1) != 1) {
        whole = false;
        break;
      }
      PutSample(s, left, right, frames);
    }
    if (!whole) break;
    if (m_open.dwvwFramesLeft > 0) --m_open.dwvwFramesLeft;
  }
  if (frames == 0) return Finish();
  return frames;
}

int AiffDecoder::GetTags(TagInfo& tags) {
  if (m_open.tags == TagInfo{}) return 0;
  tags = m_open.tags;
  return 1;
}

}  // namespace sondrel
