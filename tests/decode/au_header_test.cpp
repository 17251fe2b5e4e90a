// The AU header as a record. The reader's tests cover refusals and samples.
#include "decode/au_header.h"

#include <gtest/gtest.h>

#include "byte_fixtures.h"

namespace sondrel {
namespace {

using namespace std::string_literals;
using namespace test;

TEST(AuHeader, Fields) {
  const std::string leHeader = "dns."s + Le32(28) + Le32(0xFFFFFFFF) + Le32(kAuAlaw) + Le32(11025) +
                               Le32(1) + std::string(4, '\0');
  const std::string search = ".snd"s + Be32(40) + Be32(4) + "\xFF\xFF\xFF\xFF" + "\xFF\xFF\xFF" +
                             Be32(kAuPcm16) + Be32(22050) + Be32(1) + std::string(9, '\0');
  struct Case {
    const char* name;
    std::string bytes;
    uint64_t fileSize;
    std::optional<AuHeaderInfo> expected;
  };
  const Case cases[] = {
      {"big-endian", AuHeader(24, 4, kAuPcm16, 44100, 2), 28,
       AuHeaderInfo{true, kAuPcm16, 16, 24, 4, 44100, 2}},
      {"little-endian, size unknown: the rest of the file", leHeader, 38,
       AuHeaderInfo{false, kAuAlaw, 8, 28, 10, 11025, 1}},
      {"size past the end is cut; rate outside 1000..100000 and channels 0 defaulted",
       AuHeader(24, 100, kAuG721, 200000, 0), 34, AuHeaderInfo{true, kAuG721, 4, 24, 10, 8000, 1}},
      {"encoding word out of range: the first word below 28 from byte 13", search, 44,
       AuHeaderInfo{true, kAuPcm16, 16, 40, 4, 22050, 1}},
      {"data starting at the end of the file", AuHeader(24, 4, kAuMulaw, 8000, 1), 24,
       AuHeaderInfo{true, kAuMulaw, 8, 24, 0, 8000, 1}},
      {"data offset past the end", AuHeader(30, 4, kAuMulaw, 8000, 1), 29, std::nullopt},
      {"header of 23 bytes", AuHeader(24, 4, kAuMulaw, 8000, 1).substr(0, 23), 23, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(
        ParseAuHeader(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), c.fileSize),
        c.expected);
  }
}

}  // namespace
}  // namespace sondrel
