// The volume step: a gain applied after the resampler to what the encoder
// receives, and the gain of the normalising pass.
#pragma once

#include <cstdint>

namespace sondrel {

struct EngineState;

// Scales `n` samples of `left` and, when `channels` is 2, of `right` by
// `gain`: each becomes s × gain truncated toward zero and clipped to
// -32768..32767. When `right` is the same plane as `left` (one channel
// written twice) it is scaled once. A null plane or n <= 0 is left alone.
void ApplyGain(int16_t* left, int16_t* right, int n, int channels, float gain);

// The gain that makes the higher of the two peaks touch full scale, or -1
// when the peaks are out of range: a file already within 6 steps of full
// scale, a silent file, or one without negative or without positive samples.
float NormalizeGainFor(int lowest, int highest);

// Sets `state.normalizeGain` from the peaks of the normalising pass (-1 when
// there is nothing to normalise).
void ComputeNormalizeGain(EngineState& state, int lowest, int highest);

}  // namespace sondrel
