// A libavcodec audio encoder fed with 16-bit samples: converts them to the
// encoder's sample format (platform/ffmpeg/frame_samples.h) and encodes them
// through the pipeline's frame encoder. It serves both paths of the FFmpeg
// writer: whole codec frames of interleaved samples (FrameCodec) and, for
// codecs that take any number of samples (the PCM family), planar blocks
// straight from the caller.
#pragma once

#include <memory>

#include "encode/frame_codec.h"
#include "platform/ffmpeg/ffmpeg_encoding.h"

namespace sondrel {

class LavcCodec : public FrameCodec {
 public:
  // Opens the encoder (one or two channels); null when it refuses the
  // parameters or memory runs out. `maxBlockFrames` is the largest planar
  // block EncodeBlock will be given.
  static std::unique_ptr<LavcCodec> Open(const ffmpeg::EncoderSetup& setup, int maxBlockFrames);

  // The encoder's frame size after opening: 0 or 1 when it takes blocks of
  // any size.
  int CodecFrameSize() const { return Codec()->frame_size; }
  bool TakesAnyBlockSize() const;
  AVCodecID Id() const { return Codec()->codec_id; }

  int FrameSize() const override { return Codec()->frame_size; }
  int DescribeStream(AVStream* stream) const override;
  int Encode(const int16_t* interleaved, int frames, const PacketSink& sink) override;
  int Drain(const PacketSink& sink) override;

  // Encodes a planar block of at most maxBlockFrames frames (`right` is
  // ignored for one channel).
  int EncodeBlock(const int16_t* left, const int16_t* right, int frames, const PacketSink& sink);

 private:
  explicit LavcCodec(ffmpeg::FrameEncoder encoder) : m_encoder(std::move(encoder)) {}
  AVCodecContext* Codec() const { return m_encoder.Codec(); }
  // Encodes `frames` frames (`valid` of them from `samples`, the rest
  // silence).
  int EncodeSamples(int frames, int valid, const int16_t* const* samples, int step,
                    const PacketSink& sink);

  ffmpeg::FrameEncoder m_encoder;
};

}  // namespace sondrel
