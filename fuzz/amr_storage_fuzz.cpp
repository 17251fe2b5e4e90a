// Arbitrary bytes as an AMR storage file, read from memory through the same
// decode calls as a file, in both bands: no crash, no hang, no read out of
// bounds, and the decode results keep their contract.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/amr/amr.h"

namespace {

void DecodeAll(const uint8_t* data, size_t size, sondrel::AmrBand band) {
  sondrel::AmrNbDecodePtr handle(
      sondrel::AmrDecodeOpenSource(std::make_unique<sondrel::MemorySource>(data, size), band));
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
  const auto band = sondrel::AmrStorageBand(data, size);
  if (band && size < sondrel::AmrMagic(*band).size()) __builtin_trap();
  DecodeAll(data, size, sondrel::AmrBand::kNarrow);
  DecodeAll(data, size, sondrel::AmrBand::kWide);
  return 0;
}
