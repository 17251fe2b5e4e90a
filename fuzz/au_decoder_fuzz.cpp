// AuDecoder on arbitrary bytes: open through a file and read to the end; the
// header parser on the same bytes in memory keeps the data inside the file.
#include <cstddef>
#include <cstdint>

#include "decode/au_decoder.h"
#include "decode/au_header.h"
#include "fuzz_temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".au");
  static sondrel::AuDecoder decoder;  // its 8 MiB read buffer is made once
  const auto header = sondrel::ParseAuHeader(data, size, size);
  if (header) {
    if (header->bits == 0 || header->channels == 0 || header->dataLength < 0 ||
        header->dataOffset + static_cast<uint64_t>(header->dataLength) > size) {
      __builtin_trap();
    }
  }
  const int opened = decoder.Open(file.Write(data, size), 0);
  if (opened != (header ? 1 : 0)) __builtin_trap();
  if (!opened) return 0;
  int16_t left[sondrel::kBlockFrames];
  int16_t right[sondrel::kBlockFrames];
  for (int n; (n = decoder.Read(left, right)) > 0;) {
    if (n > sondrel::kBlockFrames) __builtin_trap();
  }
  if (decoder.GetPosition() > decoder.GetLength()) __builtin_trap();
  decoder.Close();
  return 0;
}
