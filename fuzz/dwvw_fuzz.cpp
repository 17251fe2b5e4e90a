// The DWVW decoder on arbitrary codes: the first byte picks the sample width
// (8..24), the rest is the sound data, fed in uneven pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decode/dwvw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int width = 8 + data[0] % 17;
  const uint8_t* p = data + 1;
  size_t left = size - 1;
  size_t piece = 1;
  sondrel::DwvwDecoder decoder;
  const bool started = decoder.Start(width, [&](uint8_t* out, size_t max) {
    const size_t n = std::min({left, max, piece});
    std::memcpy(out, p, n);
    p += n;
    left -= n;
    piece = piece % 300 + 37;
    return n;
  });
  if (!started) __builtin_trap();
  int16_t samples[1152];
  size_t total = 0;
  for (size_t n; (n = decoder.Decode(samples, 1152)) > 0;) total += n;
  // Every sample costs at least one bit.
  if (total > (size - 1) * 8) __builtin_trap();
  return 0;
}
