#include "platform/mediaruntime/wma_codec.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace sondrel {

ffmpeg::CodecContext OpenWmaEncoder(int sampleRate, int channels, int64_t bitRate) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (!codec || channels < 1 || channels > 2 || sampleRate < 1 || bitRate < 1) return {};
  ffmpeg::CodecContext ctx = ffmpeg::MakeCodecContext(codec);
  if (!ctx) return {};
  ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
  ctx->sample_rate = sampleRate;
  av_channel_layout_default(&ctx->ch_layout, channels);
  ctx->bit_rate = bitRate;
  ctx->time_base = AVRational{1, sampleRate};
  // The ASF muxer takes the codec's private data from the stream header.
  ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return {};
  if (ctx->frame_size <= 0 || ctx->block_align <= 0) return {};
  return ctx;
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
