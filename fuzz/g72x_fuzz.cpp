// The G.721/G.723 decoder on arbitrary codes: the first byte picks the code
// width (3, 4 or 5 bits), every further byte is one code. Two decoders fed the
// same codes must agree, and a reset must restart the same sequence.
#include <cstddef>
#include <cstdint>

#include "decode/g72x.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int bits = 3 + data[0] % 3;
  sondrel::G72xDecoder a;
  sondrel::G72xDecoder b;
  if (!a.Start(bits) || !b.Start(bits)) __builtin_trap();
  int16_t first = 0;
  for (size_t i = 1; i < size; ++i) {
    const int16_t s = a.Decode(data[i]);
    if (s != b.Decode(data[i])) __builtin_trap();
    if (i == 1) first = s;
  }
  if (size > 1) {
    a.Reset();
    if (a.Decode(data[1]) != first) __builtin_trap();
  }
  return 0;
}
