// A speech-like test signal and the measures used to compare lossy round trips.
#pragma once

#include <cstdint>
#include <vector>

namespace sondrel::test {

// `seconds` of mono samples at `rate`: a voice of a few harmonics over a
// gliding fundamental (110-190 Hz), shaped into syllables of about 0.2 s
// with short gaps between them; peaks near 12000. With `pauses`, every
// second second of the signal after the first is silent (exact zeros).
std::vector<int16_t> SpeechLike(int rate, double seconds, bool pauses = false);

// The largest normalised correlation of `decoded` against `original` over
// delays of 0..maxLag samples (decoded later than original).
double BestCorrelation(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded,
                       int maxLag);

}  // namespace sondrel::test
