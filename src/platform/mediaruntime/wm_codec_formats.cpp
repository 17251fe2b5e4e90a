#include "platform/mediaruntime/wm_codec_formats.h"

#include <cstdio>
#include <initializer_list>

#include "platform/mediaruntime/media_runtime.h"
#include "platform/mediaruntime/wma_codec.h"

namespace sondrel {

namespace {

struct Cell {
  int sampleRate;
  int channels;
  std::initializer_list<int> kbps;
};

// The rate and channel cells of the WMA 9 table (no 32 kHz or 48 kHz mono),
// with that table's bit-rate steps from the encoder's 24 kbit/s floor up.
// Where the table's lowest steps are too low for this encoder at full scale
// (32 and 44.1 kHz), the next steps stand in; the probe removes the rest.
const Cell kCells[] = {
    {8000, 1, {24, 32}},
    {8000, 2, {24, 32}},
    {11025, 1, {24, 32}},
    {11025, 2, {24, 32}},
    {16000, 1, {24, 32}},
    {16000, 2, {24, 32}},
    {22050, 1, {24, 32}},
    {22050, 2, {24, 32}},
    {32000, 2, {32, 40, 48, 64}},
    {44100, 1, {32, 48, 64}},
    {44100, 2, {32, 48, 64, 80, 96, 128, 160, 192, 256, 320}},
    {48000, 2, {128, 160, 192, 256, 320}},
};

constexpr int kProbeFrames = 6;

// Encodes a few frames of full-scale noise (the hardest input for a fixed
// bit rate) and drains the encoder; false when any step fails.
bool ProbeEncoder(ffmpeg::FrameEncoder& encoder) {
  uint32_t seed = 12345;
  auto sink = [](AVPacket*) { return 0; };
  const int frameSize = encoder.Codec()->frame_size;
  for (int n = 0; n < kProbeFrames; ++n) {
    AVFrame* frame = encoder.NextFrame(frameSize);
    if (!frame) return false;
    for (int ch = 0; ch < frame->ch_layout.nb_channels; ++ch) {
      auto* s = reinterpret_cast<float*>(frame->extended_data[ch]);
      for (int i = 0; i < frameSize; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s[i] = (seed >> 31) ? 1.0f : -1.0f;
      }
    }
    if (encoder.Send(sink) < 0) return false;
  }
  return encoder.Flush(sink) >= 0;
}

std::vector<WmCodecFormat> ProveFormats() {
  std::vector<WmCodecFormat> formats;
  for (const Cell& cell : kCells) {
    for (int kbps : cell.kbps) {
      const int64_t bitRate = kbps * 1000;
      ffmpeg::FrameEncoder probe = OpenWmaEncoder(cell.sampleRate, cell.channels, bitRate);
      if (!probe || !ProbeEncoder(probe)) continue;
      const AVCodecContext* encoder = probe.Codec();

      WmMediaType type;
      type.majorType = WmMajorType::kAudio;
      type.subtype = WmSubtype::kWMAudioV8;
      type.fixedSizeSamples = true;
      type.temporalCompression = false;
      type.sampleSize = static_cast<uint32_t>(encoder->block_align);
      type.formatType = WmFormatType::kWaveFormatEx;
      type.wave.formatTag = kWaveFormatWMAudioV8;
      type.wave.channels = static_cast<uint16_t>(cell.channels);
      type.wave.samplesPerSec = static_cast<uint32_t>(cell.sampleRate);
      type.wave.avgBytesPerSec = static_cast<uint32_t>(encoder->bit_rate / 8);
      type.wave.blockAlign = static_cast<uint16_t>(encoder->block_align);
      type.wave.bitsPerSample = 16;
      if (encoder->extradata && encoder->extradata_size > 0) {
        type.wave.extra.assign(encoder->extradata, encoder->extradata + encoder->extradata_size);
      }

      WmCodecFormat format;
      format.config = WmStreamConfig(WmMajorType::kAudio);
      format.config.SetMediaType(type);
      format.config.SetBitrate(static_cast<uint32_t>(encoder->bit_rate));
      char text[64];
      std::snprintf(text, sizeof text, "%d kbps, %d kHz, %s CBR", kbps, cell.sampleRate / 1000,
                    cell.channels == 1 ? "mono" : "stereo");
      format.description = text;
      formats.push_back(std::move(format));
    }
  }
  return formats;
}

class WmaCodecInfo : public WmCodecInfo {
 public:
  WmStatus GetCodecInfoCount(WmMajorType type, uint32_t& count) override {
    count = type == WmMajorType::kAudio ? 1 : 0;
    return WmStatus::kOk;
  }
  WmStatus GetCodecFormatCount(WmMajorType type, uint32_t codec, uint32_t& count) override {
    if (type != WmMajorType::kAudio || codec != 0) return WmStatus::kFailed;
    count = static_cast<uint32_t>(WmaCodecFormats().size());
    return WmStatus::kOk;
  }
  WmStatus GetCodecFormatDesc(WmMajorType type, uint32_t codec, uint32_t format,
                              WmStreamConfig& config, std::string& description) override {
    const std::vector<WmCodecFormat>& formats = WmaCodecFormats();
    if (type != WmMajorType::kAudio || codec != 0 || format >= formats.size()) {
      return WmStatus::kFailed;
    }
    config = formats[format].config;
    description = formats[format].description;
    return WmStatus::kOk;
  }
};

}  // namespace

const std::vector<WmCodecFormat>& WmaCodecFormats() {
  static const std::vector<WmCodecFormat> formats = ProveFormats();
  return formats;
}

std::unique_ptr<WmCodecInfo> CreateWmCodecInfo() {
  if (!IsWindowsMediaRuntimeLoaded()) return nullptr;
  return std::make_unique<WmaCodecInfo>();
}

}  // namespace sondrel
