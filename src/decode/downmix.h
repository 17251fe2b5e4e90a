// The many-channel to stereo mix shared by the readers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel {

// Mixes one frame of `channels` samples (front left, front right, centre,
// LFE, back left, back right, side left, side right) to one left and one
// right sample. Frames with more than eight channels use the first eight;
// fewer than three channels pass s0 and s1 through. Sums are clamped.
void DownmixToStereo(int channels, const int16_t* samples, int16_t& left, int16_t& right);

// t(x): x scaled by 0.707 (single precision), truncated toward zero.
int32_t DownmixCentre(int32_t x);

// Clamps a 32-bit sum to the 16-bit range.
int16_t ClampToInt16(int32_t x);

// Splits `frames` interleaved frames of `channels` stored samples, each
// `sampleBytes` wide and read by `sampleAt(const uint8_t*)`, into the
// caller's planes. One channel fills `left` only; more than two are mixed to
// two from the first `used` (at most eight).
template <typename SampleAt>
void DeinterleaveFrames(const uint8_t* data, int frames, int channels, int used, size_t sampleBytes,
                        SampleAt sampleAt, int16_t* left, int16_t* right) {
  const size_t frameBytes = size_t(channels) * sampleBytes;
  for (int i = 0; i < frames; ++i, data += frameBytes) {
    if (channels == 1) {
      left[i] = sampleAt(data);
    } else if (channels == 2) {
      left[i] = sampleAt(data);
      right[i] = sampleAt(data + sampleBytes);
    } else {
      int16_t frame[8];
      for (int c = 0; c < used; ++c) frame[c] = sampleAt(data + c * sampleBytes);
      DownmixToStereo(used, frame, left[i], right[i]);
    }
  }
}

}  // namespace sondrel
