#include "platform/audioengine/content_sniffer.h"

#include <array>
#include <cstring>
#include <vector>

#include "platform/file.h"

namespace sondrel::audioengine {

namespace {

constexpr size_t kWindowBytes = 64 * 1024;
constexpr int kMaxId3Tags = 16;

// The chain of frames that starts at `offset`: how many consecutive valid
// headers follow (up to `wanted`), and whether the last one ends the file.
template <typename FrameLength>
int CountFrames(ByteSource& file, uint64_t offset, int wanted, FrameLength frameLength,
                bool& endsFile) {
  const uint64_t fileSize = file.Size();
  int count = 0;
  endsFile = false;
  std::array<uint8_t, 8> header{};
  std::optional<MpegFrameHeader> first;
  while (count < wanted) {
    const size_t got = file.ReadAt(offset, header.data(), header.size());
    const std::optional<uint32_t> length = frameLength(header.data(), got, first);
    if (!length || *length == 0) break;
    ++count;
    offset += *length;
    if (offset == fileSize) {
      endsFile = true;
      break;
    }
    if (offset > fileSize) break;
  }
  return count;
}

std::optional<uint32_t> MpegLength(const uint8_t* p, size_t size,
                                   std::optional<MpegFrameHeader>& first) {
  const std::optional<MpegFrameHeader> h = ParseMpegFrameHeader(p, size);
  if (!h) return std::nullopt;
  if (first && (first->version != h->version || first->layer != h->layer ||
                first->sampleRate != h->sampleRate)) {
    return std::nullopt;
  }
  if (!first) first = h;
  return h->frameBytes;
}

std::optional<uint32_t> AdtsLength(const uint8_t* p, size_t size, std::optional<MpegFrameHeader>&) {
  return ParseAdtsFrameLength(p, size);
}

bool IsAdx(ByteCursor c) {
  if (c.Size() < 16) return false;
  const uint16_t magic = c.Be16();
  const uint16_t copyright = c.Be16();  // offset of "(c)CRI" + 6 from byte 4
  const uint8_t encoding = c.U8();
  c.Skip(2);
  const uint8_t channels = c.U8();
  if (magic != 0x8000 || copyright < 6) return false;
  return c.HasAt(copyright - 2u, "(c)CRI") && encoding >= 2 && encoding <= 4 && channels >= 1;
}

bool IsMp4(ByteCursor c) {
  const uint32_t boxSize = c.Be32();
  if (c.Size() < 12 || (boxSize != 1 && boxSize < 8)) return false;
  for (const char* box : {"ftyp", "moov", "mdat", "free", "skip", "wide"}) {
    if (c.HasAt(4, box)) return true;
  }
  return false;
}

ContentKind ByMagic(const ByteCursor& c) {
  if (c.HasAt(0, "RIFF")) {
    if (c.HasAt(8, "WAVE")) return ContentKind::Wav;
    if (c.HasAt(8, "CDDA")) return ContentKind::CdTrack;
    if (c.HasAt(8, "RMID")) return ContentKind::Midi;
    return ContentKind::Unknown;
  }
  if (c.HasAt(0, "RF64") && c.HasAt(8, "WAVE")) return ContentKind::Wav;
  // Wave64: "riff" followed by the rest of its GUID.
  constexpr std::string_view kW64("riff\x2E\x91\xCF\x11\xA5\xD6\x28\xDB\x04\xC1\x00\x00", 16);
  if (c.HasAt(0, kW64)) return ContentKind::Wav;
  if (c.HasAt(0, "FORM") && (c.HasAt(8, "AIFF") || c.HasAt(8, "AIFC"))) return ContentKind::Aiff;
  if (c.HasAt(0, "fLaC")) return ContentKind::Flac;
  if (c.HasAt(0, "OggS")) return ContentKind::Ogg;
  if (c.HasAt(0, "wvpk")) return ContentKind::WavPack;
  if (c.HasAt(0, "MThd")) return ContentKind::Midi;
  if (c.HasAt(0, "ADIF")) return ContentKind::Adts;
  if (IsMp4(c)) return ContentKind::Mp4;
  if (IsAdx(c)) return ContentKind::Adx;
  return ContentKind::Unknown;
}

}  // namespace

std::optional<MpegFrameHeader> ParseMpegFrameHeader(const uint8_t* bytes, size_t size) {
  const uint8_t* p = ByteCursor(bytes, size).Bytes(4);
  if (!p || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
  const int versionBits = (p[1] >> 3) & 3;
  const int layerBits = (p[1] >> 1) & 3;
  const int bitRateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  const int padding = (p[2] >> 1) & 1;
  if (versionBits == 1 || layerBits == 0 || bitRateIndex == 0 || bitRateIndex == 15 ||
      rateIndex == 3) {
    return std::nullopt;
  }
  static const int kRates[3][3] = {
      {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
  static const int kBitRates[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  MpegFrameHeader h;
  h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  h.layer = 4 - layerBits;
  const int family = h.version == 1 ? 0 : 1;
  h.sampleRate = kRates[h.version == 1 ? 0 : h.version == 2 ? 1 : 2][rateIndex];
  h.bitRate = kBitRates[family][h.layer - 1][bitRateIndex];
  const uint32_t bps = static_cast<uint32_t>(h.bitRate) * 1000;
  const uint32_t rate = static_cast<uint32_t>(h.sampleRate);
  if (h.layer == 1) {
    h.frameBytes = (12 * bps / rate + padding) * 4;
  } else if (h.layer == 3 && h.version != 1) {
    h.frameBytes = 72 * bps / rate + padding;
  } else {
    h.frameBytes = 144 * bps / rate + padding;
  }
  return h;
}

std::optional<uint32_t> ParseAdtsFrameLength(const uint8_t* bytes, size_t size) {
  const uint8_t* p = ByteCursor(bytes, size).Bytes(7);
  if (!p || p[0] != 0xFF || (p[1] & 0xF6) != 0xF0) return std::nullopt;
  const int rateIndex = (p[2] >> 2) & 0xF;
  const int channelConfig = ((p[2] & 1) << 2) | (p[3] >> 6);
  if (rateIndex >= 13) return std::nullopt;
  (void)channelConfig;
  const uint32_t length = (uint32_t{p[3] & 3u} << 11) | (uint32_t{p[4]} << 3) | (p[5] >> 5);
  const uint32_t headerBytes = (p[1] & 1) ? 7 : 9;
  if (length <= headerBytes) return std::nullopt;
  return length;
}

std::optional<uint64_t> Id3v2TagSize(const uint8_t* bytes, size_t size) {
  const uint8_t* p = ByteCursor(bytes, size).Bytes(10);
  if (!p || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) return std::nullopt;
  if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return std::nullopt;
  const uint64_t body =
      (uint64_t{p[6]} << 21) | (uint64_t{p[7]} << 14) | (uint64_t{p[8]} << 7) | p[9];
  return 10 + body + ((p[5] & 0x10) ? 10 : 0);
}

SniffResult SniffContent(ByteSource& file) {
  const uint64_t fileSize = file.Size();
  SniffResult result;
  uint64_t offset = 0;
  std::array<uint8_t, 10> tag{};
  for (int i = 0; i < kMaxId3Tags; ++i) {
    const std::optional<uint64_t> tagSize =
        Id3v2TagSize(tag.data(), file.ReadAt(offset, tag.data(), tag.size()));
    if (!tagSize || *tagSize > fileSize - offset) break;
    offset += *tagSize;
  }
  result.dataOffset = offset;

  std::vector<uint8_t> window(kWindowBytes);
  const size_t size = file.ReadAt(offset, window.data(), window.size());
  window.resize(size);
  const uint8_t* p = window.data();

  result.kind = ByMagic(ByteCursor(p, size));
  if (result.kind != ContentKind::Unknown) return result;

  // Frame chains: at the start of the data, then anywhere in the window.
  for (size_t at = 0; at + 4 <= size; ++at) {
    if (p[at] != 0xFF || (p[at + 1] & 0xE0) != 0xE0) continue;
    const int needed = at == 0 ? 2 : 3;
    bool endsFile = false;
    if (ParseAdtsFrameLength(p + at, size - at)) {
      const int n = CountFrames(file, offset + at, needed, AdtsLength, endsFile);
      if (n >= needed || (at == 0 && endsFile)) {
        result.kind = ContentKind::Adts;
        result.dataOffset = offset + at;
        return result;
      }
    } else if (ParseMpegFrameHeader(p + at, size - at)) {
      const int n = CountFrames(file, offset + at, needed, MpegLength, endsFile);
      if (n >= needed || (at == 0 && endsFile)) {
        result.kind = ContentKind::MpegAudio;
        result.dataOffset = offset + at;
        return result;
      }
    }
  }
  return result;
}

SniffResult SniffFile(const std::string& path) {
  File file;
  if (!file.Open(path)) return {};
  return SniffContent(file);
}

}  // namespace sondrel::audioengine
