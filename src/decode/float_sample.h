// Floating-point samples (32- and 64-bit, full scale +-1.0) as 16 bits, shared
// by the AIFF-C and AU readers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sondrel {

// v scaled to 32 bits, truncated, and its top 16 bits kept. Values outside
// -1..1 are held at full scale rather than wrapped; NaN is silence.
inline int16_t FloatToSample(double v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -1.0, 1.0);
  return static_cast<int16_t>(static_cast<int64_t>(v * 2147483647.0) >> 16);
}

}  // namespace sondrel
