// Arbitrary bytes as an ASF Header Object: parsing must never crash or read
// out of bounds, and a header that parses can take added objects.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/mediaruntime/asf_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sondrel::AsfHeaderInfo info;
  if (!sondrel::ParseAsfHeader(data, size, info)) return 0;
  for (const auto& a : info.attributes) {
    (void)a.attribute.AsText();
    uint32_t d = 0;
    uint64_t q = 0;
    (void)a.attribute.AsDword(d);
    (void)a.attribute.AsQword(q);
  }
  std::vector<uint8_t> objects;
  uint32_t count = 0;
  if (!sondrel::BuildAttributeObjects(info.attributes, objects, count)) return 0;
  const uint64_t claimed = sondrel::AsfHeaderObjectSize(data, size);
  if (claimed > size) return 0;
  std::vector<uint8_t> header(data, data + claimed);
  if (sondrel::InsertHeaderObjects(header, objects, count, objects.size())) {
    sondrel::AsfHeaderInfo again;
    if (!sondrel::ParseAsfHeader(header.data(), header.size(), again)) __builtin_trap();
  }
  return 0;
}
