#include "engine/gain.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_state.h"

namespace sondrel {

namespace {

// Below this size every product of a 16-bit sample and the gain fits an
// int32, so the product can be truncated to an integer before it is clipped.
constexpr double kIntegerGainLimit = 65536.0;

void Scale(int16_t* plane, int n, double gain) {
  if (std::abs(gain) < kIntegerGainLimit) {
    // A 16-bit sample times a float gain is exact in a double; truncating
    // first and clipping the integer is the same result, and faster.
    for (int i = 0; i < n; ++i) {
      const int32_t v = static_cast<int32_t>(plane[i] * gain);
      plane[i] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
    }
    return;
  }
  for (int i = 0; i < n; ++i) {
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
