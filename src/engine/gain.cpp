#include "engine/gain.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_state.h"

namespace sondrel {

namespace {

void Scale(int16_t* plane, int n, double gain) {
  for (int i = 0; i < n; ++i) {
    // A 16-bit sample times a float gain is exact in a double; clamping
    // before the truncation gives the same result as clipping after it.
    const double v = std::clamp(plane[i] * gain, -32768.0, 32767.0);
    plane[i] = static_cast<int16_t>(static_cast<int32_t>(v));
  }
}

}  // namespace

void ApplyGain(int16_t* left, int16_t* right, int n, int channels, float gain) {
  if (n <= 0 || !std::isfinite(gain)) return;
  const double g = gain;
  if (left) Scale(left, n, g);
  if (channels == 2 && right && right != left) Scale(right, n, g);
}

float NormalizeGainFor(int lowest, int highest) {
  if (lowest < -32762 || lowest >= 0 || highest <= 0 || highest >= 32762) return -1.0f;
  const double up = 32767.0 / highest;
  const double down = 32768.0 / -static_cast<double>(lowest);
  return static_cast<float>(std::min(up, down));
}

void ComputeNormalizeGain(EngineState& state, int lowest, int highest) {
  state.normalizeGain = NormalizeGainFor(lowest, highest);
}

}  // namespace sondrel
