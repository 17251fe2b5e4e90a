// AuDecoder on arbitrary bytes: open through a file and read to the end.
#include <cstddef>
#include <cstdint>

#include "decode/au_decoder.h"
#include "fuzz_temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".au");
  static sondrel::AuDecoder decoder;  // its 8 MiB read buffer is made once
  if (!decoder.Open(file.Write(data, size), 0)) return 0;
  int16_t left[sondrel::kBlockFrames];
  int16_t right[sondrel::kBlockFrames];
  for (int n; (n = decoder.Read(left, right)) > 0;) {
    if (n > sondrel::kBlockFrames) __builtin_trap();
  }
  if (decoder.GetPosition() > decoder.GetLength()) __builtin_trap();
  decoder.Close();
  return 0;
}
