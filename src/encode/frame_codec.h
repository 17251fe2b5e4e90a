// A source of encoded packets for the FFmpeg writer's framed path: it takes
// whole codec frames of interleaved 16-bit samples and hands the packets it
// makes to a sink. The writer stages samples until a frame is full and does
// not care where the packets come from: libavcodec's encoders are one source
// (LavcCodec); a codec this FFmpeg build cannot encode can be another, as
// long as the muxer accepts its packets.
#pragma once

#include <cstdint>

#include "platform/ffmpeg/ffmpeg_encoding.h"

namespace sondrel {

// Receives each packet, time stamps in 1 / sample rate (see ffmpeg_encoding.h).
using PacketSink = ffmpeg::PacketSink;

class FrameCodec {
 public:
  virtual ~FrameCodec() = default;

  // Samples per channel in one codec frame (2 or more).
  virtual int FrameSize() const = 0;
  // Describes the encoded stream to the muxer (codec parameters); negative
  // on failure.
  virtual int DescribeStream(AVStream* stream) const = 0;
  // Encodes `frames` interleaved frames: FrameSize() of them, or fewer for
  // the last frame before Drain (which the source completes with silence
  // unless its codec takes a short last frame). Negative on failure; sink
  // failures are passed on.
  virtual int Encode(const int16_t* interleaved, int frames, const PacketSink& sink) = 0;
  // Hands out what the codec still holds; negative on failure.
  virtual int Drain(const PacketSink& sink) = 0;
};

}  // namespace sondrel
