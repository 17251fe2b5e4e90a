#include "platform/mediaruntime/wma_codec.h"

#include <algorithm>

namespace sondrel {

ffmpeg::FrameEncoder OpenWmaEncoder(int sampleRate, int channels, int64_t bitRate) {
  if (channels < 1 || channels > 2 || bitRate < 1) return {};
  ffmpeg::EncoderSetup setup;
  setup.codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  setup.sampleFormat = AV_SAMPLE_FMT_FLTP;
  setup.sampleRate = sampleRate;
  setup.channels = channels;
  setup.bitRate = bitRate;
  // The ASF muxer takes the codec's private data from the stream header.
  setup.globalHeader = true;
  ffmpeg::CodecContext codec = ffmpeg::OpenEncoder(setup);
  if (!codec || codec->frame_size <= 0 || codec->block_align <= 0) return {};
  return ffmpeg::FrameEncoder(std::move(codec), 0);
}

int AsfPacketSizeFor(int blockAlign) {
  // Packet header (12 bytes with several payloads) and 17 bytes per payload.
  constexpr int kPacketHeader = 12;
  constexpr int kPayloadHeader = 17;
  constexpr int kTarget = 3200;
  constexpr int kMax = 65536;
  const int perBlock = blockAlign + kPayloadHeader;
  const int blocks = std::max(1, (kTarget - kPacketHeader) / perBlock);
  return std::min(kMax, kPacketHeader + blocks * perBlock);
}

}  // namespace sondrel
