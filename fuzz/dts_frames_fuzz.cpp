// The DTS frame search on arbitrary bytes: it must stay inside the bytes and
// answer for every input.
#include <cstddef>
#include <cstdint>

#include "decode/dts_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)sondrel::HoldsDtsFrames(data, size);
  return 0;
}
