// Reads a Decoder to its end into interleaved samples (one or two channels).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "decode/decoder.h"

namespace sondrel::test {

struct Drained {
  std::vector<int16_t> samples;  // interleaved by the output channels
  int calls = 0;
  int largestCall = 0;
};

inline Drained Drain(Decoder& d) {
  Drained out;
  int16_t left[kBlockFrames];
  int16_t right[kBlockFrames];
  const bool stereo = d.GetOutputChannels() == 2;
  for (int n; (n = d.Read(left, stereo ? right : nullptr)) > 0;) {
    ++out.calls;
    if (n > out.largestCall) out.largestCall = n;
    for (int i = 0; i < n; ++i) {
      out.samples.push_back(left[i]);
      if (stereo) out.samples.push_back(right[i]);
    }
  }
  return out;
}

// The largest absolute difference over the common length.
inline int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const int d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    if (d > worst) worst = d;
  }
  return worst;
}

// Signal-to-noise ratio in dB of `test` against `reference`, over the
// common length.
inline double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& test) {
  double signal = 0;
  double noise = 0;
  for (size_t i = 0; i < reference.size() && i < test.size(); ++i) {
    signal += double(reference[i]) * reference[i];
    const double e = double(reference[i]) - test[i];
    noise += e * e;
  }
  if (noise == 0) return 200.0;
  return 10.0 * std::log10(signal / noise);
}

}  // namespace sondrel::test
