// Arbitrary bytes as a file name: classification must never crash or read
// out of bounds, and must agree with the extension it reports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/source_type.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const int type = sondrel::ClassifySource(name);
  if (sondrel::SourceExtension(name).empty() && type != sondrel::kSourceOther) __builtin_trap();
  return 0;
}
