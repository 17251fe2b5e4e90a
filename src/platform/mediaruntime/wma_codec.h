// The wmav2 encoder as the layer uses it, shared by the format enumeration
// and the writer so that a format proved by one is what the other writes.
// Both feed it through the pipeline's frame encoder (ffmpeg_encoding.h).
#pragma once

#include <cstdint>

#include "platform/ffmpeg/ffmpeg_encoding.h"

namespace sondrel {

// An open wmav2 encoder for planar float input, its frame buffer holding one
// codec frame; empty when FFmpeg refuses the parameters.
ffmpeg::FrameEncoder OpenWmaEncoder(int sampleRate, int channels, int64_t bitRate);

// The ASF packet size that holds a whole number of `blockAlign`-byte WMA
// superframes (about 3200 bytes, never less than one): FFmpeg's muxer does
// not split an audio payload across packets, so any other size pads each
// packet with the part of a superframe that does not fit.
int AsfPacketSizeFor(int blockAlign);

}  // namespace sondrel
