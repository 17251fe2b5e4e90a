// The one frame converter: moves samples between FFmpeg frames and 16-bit
// samples in the caller's memory, for every sample format FFmpeg's audio
// codecs use (packed and planar u8, s16, s32, s64, float, double). Every
// reader and writer on FFmpeg converts through it, so they share one rule:
//
//   to 16 bits    u8 (b - 128) * 256; s32 shifted right by 16; s64 by 48;
//                 float and double v * 32768 truncated toward zero and
//                 clipped, NaN as 0
//   from 16 bits  u8 (s >> 8) + 128; s32 s * 65536; s64 s * 2^48;
//                 float and double s / 32768
//
// The caller's samples are addressed per channel with a step: channel c's
// sample i is at `samples[c][i * step]`. Interleaved samples of n channels
// are {base, base + 1, ..., base + n - 1} with step n; separate planes have
// step 1.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
}

namespace sondrel::ffmpeg {

// One sample to 16 bits by the rule above.
int16_t SampleFromU8(uint8_t v);
int16_t SampleFromS32(int32_t v);
int16_t SampleFromS64(int64_t v);
int16_t SampleFromFloat(float v);
int16_t SampleFromDouble(double v);

// Converts frames [first, first + count) of `frame` to 16 bits: frame channel
// c goes to out[c] for c < outChannels (channels beyond the frame's are not
// written). False, writing nothing, for another sample format or a frame
// without channels.
bool FrameToInt16(const AVFrame& frame, int first, int count, int16_t* const* out, int outChannels,
                  int step);

// Fills every one of `frame`'s nb_samples frames in its own sample format:
// frame channel c takes in[c] (one entry per frame channel; two may be the
// same); frames from `valid` on are silence. The frame must be writable.
// False for another sample format.
bool Int16ToFrame(AVFrame& frame, int valid, const int16_t* const* in, int step);

}  // namespace sondrel::ffmpeg
