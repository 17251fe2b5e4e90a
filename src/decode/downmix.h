// The many-channel to stereo mix shared by the readers.
#pragma once

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

}  // namespace sondrel
