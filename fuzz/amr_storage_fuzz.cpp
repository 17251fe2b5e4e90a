// Arbitrary bytes as an AMR storage file, read from memory through the same
// open and decode calls as a file, in both bands: no crash, no hang, no read
// out of bounds, and the decode results keep their contract.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/amr/amr.h"

namespace {

void DecodeAll(const uint8_t* data, size_t size, sondrel::AmrBand band) {
  if (size == 0) return;
  sondrel::AmrFile file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  sondrel::AmrNbDecodePtr handle(sondrel::AmrDecodeOpenStream(std::move(file), band));
  if (!handle) return;
  int64_t last = 0;
  for (;;) {
    const int16_t* samples = nullptr;
    int64_t offset = 0;
    const int n = sondrel::amrnbdec_decode(handle.get(), &samples, &offset);
    if (n <= 0) {
      // The end and a damaged frame both stay put.
      if (sondrel::amrnbdec_decode(handle.get(), &samples, &offset) != (n == 0 ? 0 : -1)) {
        __builtin_trap();
      }
      break;
    }
    if (n != sondrel::AmrSamplesPerFrame(band) || !samples) __builtin_trap();
    if (offset <= last || offset > static_cast<int64_t>(size)) __builtin_trap();
    last = offset;
    volatile int16_t touch = samples[n - 1];
    (void)touch;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodeAll(data, size, sondrel::AmrBand::kNarrow);
  DecodeAll(data, size, sondrel::AmrBand::kWide);
  return 0;
}
