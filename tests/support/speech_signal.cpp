#include "support/speech_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sondrel::test {

std::vector<int16_t> SpeechLike(int rate, double seconds, bool pauses) {
  const auto n = static_cast<size_t>(rate * seconds);
  std::vector<int16_t> out(n);
  double phase = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    if (pauses && t >= 1.0 && static_cast<int>(t) % 2 == 1) continue;
    const double f0 = 150 + 40 * std::sin(2 * std::numbers::pi * 0.7 * t);
    phase += 2 * std::numbers::pi * f0 / rate;
    double v = 0;
    // Formant-like weighting: a weak fundamental, as through a telephone,
    // and harmonics near 600, 1400 and 2500 Hz standing out.
    for (int k = 1; k <= 20 && k * f0 < rate / 2.0 - 200; ++k) {
      const double hz = k * f0;
      const double w = 0.2 / k + 0.8 * std::exp(-std::pow((hz - 600) / 250, 2)) +
                       0.5 * std::exp(-std::pow((hz - 1400) / 300, 2)) +
                       0.25 * std::exp(-std::pow((hz - 2500) / 400, 2));
      v += w * std::sin(k * phase);
    }
    // Syllables: a raised-sine envelope of 0.25 s cycles with a floor of 0.
    const double env = std::max(0.0, std::sin(2 * std::numbers::pi * 4 * t));
    out[i] = static_cast<int16_t>(std::clamp(5000.0 * env * v, -32000.0, 32000.0));
  }
  return out;
}

double BestCorrelation(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded,
                       int maxLag) {
  double best = -1;
  for (int lag = 0; lag <= maxLag; ++lag) {
    const size_t n = std::min(original.size(),
                              decoded.size() > static_cast<size_t>(lag) ? decoded.size() - lag : 0);
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = 0; i < n; ++i) {
      const double x = original[i];
      const double y = decoded[i + lag];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
  }
  return best;
}

}  // namespace sondrel::test
