// AMR-NB for the FFmpeg writer's framed path: this FFmpeg build has no
// AMR-NB encoder, so the 3gp and 3g2 rows encode through platform/amr and
// hand the muxer one packet per 20 ms frame (the storage format's frame,
// header byte first, as those muxers take it).
#pragma once

#include <memory>

#include "encode/frame_codec.h"
#include "platform/amr/amr_codec.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

// The AMR-NB mode of a bit rate: 4750 -> 0, 5150 -> 1, 5900 -> 2, 6700 -> 3,
// 7400 -> 4, 7950 -> 5, 10200 -> 6, 12200 -> 7; other rates take the
// nearest mode, and no rate (0 or less) the 10.2 kbit/s default.
int AmrNbModeForBitRate(int bitRate);

class AmrNbFrameCodec : public FrameCodec {
 public:
  // Null unless the stream is mono at 8000 Hz, the only form of AMR-NB.
  static std::unique_ptr<AmrNbFrameCodec> Create(int sampleRate, int channels, int bitRate);

  int FrameSize() const override { return AmrSamplesPerFrame(AmrBand::kNarrow); }
  int DescribeStream(AVStream* stream) const override;
  // A short last frame is completed with silence.
  int Encode(const int16_t* interleaved, int frames, const PacketSink& sink) override;
  // AMR-NB holds nothing back.
  int Drain(const PacketSink& sink) override;

 private:
  AmrNbFrameCodec(std::unique_ptr<AmrFrameEncoder> encoder, int mode, ffmpeg::Packet packet)
      : m_encoder(std::move(encoder)), m_mode(mode), m_packet(std::move(packet)) {}

  std::unique_ptr<AmrFrameEncoder> m_encoder;
  int m_mode;
  ffmpeg::Packet m_packet;
  int64_t m_nextPts = 0;
};

}  // namespace sondrel
