#include "encode/amr_nb_frame_codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sondrel {
namespace {

constexpr int kModeBitRates[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
constexpr int kDefaultMode = 6;

}  // namespace

int AmrNbModeForBitRate(int bitRate) {
  if (bitRate <= 0) return kDefaultMode;
  int best = 0;
  for (int mode = 1; mode < 8; ++mode) {
    if (std::abs(kModeBitRates[mode] - bitRate) < std::abs(kModeBitRates[best] - bitRate)) {
      best = mode;
    }
  }
  return best;
}

std::unique_ptr<AmrNbFrameCodec> AmrNbFrameCodec::Create(int sampleRate, int channels,
                                                         int bitRate) {
  if (sampleRate != AmrSampleRate(AmrBand::kNarrow) || channels != 1) return nullptr;
  const int mode = AmrNbModeForBitRate(bitRate);
  auto encoder = AmrFrameEncoder::Create(AmrBand::kNarrow, mode, false);
  ffmpeg::Packet packet(av_packet_alloc());
  if (!encoder || !packet) return nullptr;
  return std::unique_ptr<AmrNbFrameCodec>(
      new AmrNbFrameCodec(std::move(encoder), mode, std::move(packet)));
}

int AmrNbFrameCodec::DescribeStream(AVStream* stream) const {
  AVCodecParameters* par = stream->codecpar;
  par->codec_type = AVMEDIA_TYPE_AUDIO;
  par->codec_id = AV_CODEC_ID_AMR_NB;
  par->sample_rate = AmrSampleRate(AmrBand::kNarrow);
  av_channel_layout_uninit(&par->ch_layout);
  av_channel_layout_default(&par->ch_layout, 1);
  par->frame_size = FrameSize();
  par->bit_rate = kModeBitRates[m_mode];
  stream->time_base = AVRational{1, par->sample_rate};
  return 0;
}

int AmrNbFrameCodec::Encode(const int16_t* interleaved, int frames, const PacketSink& sink) {
  const int frameSize = FrameSize();
  if (frames <= 0) return 0;
  int16_t speech[160] = {};
  std::memcpy(speech, interleaved,
              sizeof(int16_t) * static_cast<size_t>(std::min(frames, frameSize)));
  uint8_t bytes[kAmrMaxFrameBytes];
  const int n = m_encoder->Encode(speech, bytes);
  if (n < 1) return -1;
  AVPacket* packet = m_packet.get();
  if (av_new_packet(packet, n) < 0) return -1;
  std::memcpy(packet->data, bytes, static_cast<size_t>(n));
  packet->pts = packet->dts = m_nextPts;
  packet->duration = frameSize;
  packet->flags |= AV_PKT_FLAG_KEY;
  m_nextPts += frameSize;
  const int written = sink(packet);
  av_packet_unref(packet);
  return written < 0 ? written : 0;
}

int AmrNbFrameCodec::Drain(const PacketSink& sink) {
  (void)sink;
  return 0;
}

}  // namespace sondrel
