#include "engine/gain.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/settings.h"

namespace sondrel {

namespace {

// Below this size every product of a 16-bit sample and the gain fits an
// int32, so the product can be truncated to an integer before it is clipped.
constexpr double kIntegerGainLimit = 65536.0;

#if defined(__SSE2__)
// Eight samples at a time with the same arithmetic: each sample times the
// gain in double precision (exact), truncated toward zero, and the 32-bit
// results packed to 16 bits with saturation, which is the clip. Gains below
// 65535 keep every product inside int32, where the truncation is exact.
int ScaleSse2(int16_t* plane, int n, double gain) {
  const __m128d g = _mm_set1_pd(gain);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(plane + i));
    // Sign-extend the eight samples to two groups of four int32.
    const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(s, s), 16);
    const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(s, s), 16);
    const __m128i p0 = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(lo), g));
    const __m128i p1 = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(lo, 8)), g));
    const __m128i p2 = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(hi), g));
    const __m128i p3 = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(hi, 8)), g));
    const __m128i q0 = _mm_unpacklo_epi64(p0, p1);
    const __m128i q1 = _mm_unpacklo_epi64(p2, p3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(plane + i), _mm_packs_epi32(q0, q1));
  }
  return i;
}
#endif

void Scale(int16_t* plane, int n, double gain) {
  if (std::abs(gain) < kIntegerGainLimit) {
    int i = 0;
#if defined(__SSE2__)
    if (std::abs(gain) < kIntegerGainLimit - 1) i = ScaleSse2(plane, n, gain);
#endif
    // A 16-bit sample times a float gain is exact in a double; truncating
    // first and clipping the integer is the same result, and faster.
    for (; i < n; ++i) {
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

float ChooseGain(const ConvertSettings& settings, float normalizeGain) {
  if (settings.VolumeType == kVolumeNormalize) return normalizeGain > 0 ? normalizeGain : 0.0f;
  if (settings.VolumeType == kVolumeManual && settings.Volume != 100) {
    return static_cast<float>(settings.Volume * 0.01);
  }
  return 0.0f;
}

}  // namespace sondrel
