// The volume step: a gain applied after the resampler to what the encoder
// receives, and the gain of the normalising pass.
#pragma once

#include <cstdint>

namespace sondrel {

struct ConvertSettings;

// Scales `n` samples of `left` and, when `channels` is 2, of `right` by
// `gain`: each becomes s × gain truncated toward zero and clipped to
// -32768..32767. When `right` is the same plane as `left` (one channel
// written twice) it is scaled once. A null plane or n <= 0 is left alone.
void ApplyGain(int16_t* left, int16_t* right, int n, int channels, float gain);

// The gain that makes the higher of the two peaks touch full scale, or -1
// when the peaks are out of range: a file already within 6 steps of full
// scale, a silent file, or one without negative or without positive samples.
float NormalizeGainFor(int lowest, int highest);

// The gain of one item: under VolumeType normalise its `normalizeGain` when
// that is above 0, under manual Volume / 100 unless Volume is 100; 0 (no gain
// step) otherwise. The Volume column shows a gain of 0 as 1 (100.00%).
float ChooseGain(const ConvertSettings& settings, float normalizeGain);

}  // namespace sondrel
