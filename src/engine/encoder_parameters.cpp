#include "engine/encoder_parameters.h"

#include <cstdint>

namespace sondrel {

int DefaultBitRate(int sampleRate, int channels) {
  struct Row {
    int upTo;
    int mono;
    int stereo;
  };
  static constexpr Row kRows[] = {
      {12000, 24000, 48000}, {16000, 32000, 56000},  {24000, 48000, 64000},
      {32000, 64000, 96000}, {44100, 96000, 128000},
  };
  const bool mono = channels == 1;
  for (const Row& r : kRows) {
    if (sampleRate <= r.upTo) return mono ? r.mono : r.stereo;
  }
  return mono ? 128000 : 192000;
}

WmaParameters ChooseWmaParameters(int sampleRate, int channels) {
  const bool mono = channels == 1;
  if (sampleRate <= 12000) return {22050, mono ? 20000 : 32000};
  if (sampleRate <= 16000) return {44100, mono ? 32000 : 48000};
  if (sampleRate <= 24000) return {44100, mono ? 48000 : 64000};
  if (sampleRate <= 32000) return {44100, mono ? 48000 : 96000};
  if (sampleRate <= 44100) return {44100, mono ? 48000 : 128000};
  return mono ? WmaParameters{44100, 48000} : WmaParameters{48000, 192000};
}

int NearestValue(int value, const int* list) {
  if (!list || list[0] == -1) return value;
  int i = 0;
  for (; list[i] != -1; ++i) {
    if (list[i] == value) return value;
    if (list[i] > value) {
      if (i == 0) return list[0];
      // Differences in 64 bits: values near INT_MIN must not overflow.
      const int64_t above = static_cast<int64_t>(list[i]) - value;
      const int64_t below = static_cast<int64_t>(value) - list[i - 1];
      return above < below ? list[i] : list[i - 1];
    }
  }
  return list[i - 1];
}

}  // namespace sondrel
