// The AIFF chunk walk as records: where COMM, SSND and "ID3 " chunks lie.
// The reader's tests cover what the walk means for the samples.
#include "decode/aiff_chunks.h"

#include <gtest/gtest.h>

#include "byte_fixtures.h"

namespace sondrel {
namespace {

using namespace std::string_literals;
using namespace test;

std::optional<AiffChunks> Walk(const std::string& bytes) {
  MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return ParseAiffChunks(source);
}

TEST(AiffChunks, WalkRecords) {
  const std::string pcm = Be16(1) + Be16(2);
  const AiffComm mono16{1, 2, true, 16, 8000, AiffTag("NONE")};
  const AiffComm sowt{2, 1, false, 8, 22050, AiffTag("SOWT")};
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<AiffChunks> expected;
  };
  const Case cases[] = {
      {"plain AIFF: COMM at 12, sample data after SSND's 8-byte header",
       Form("AIFF", Comm(1, 2, 16, 8000) + Ssnd(pcm)),
       AiffChunks{false, mono16, AiffSpan{54, 4}, {}}},
      {"AIFC: SSND with an offset and a pad byte, then COMM; compression upper-cased",
       Form("AIFC", Ssnd(pcm, 3) + Comm(2, 0, 8, 22050, "sowt")),
       AiffChunks{true, sowt, AiffSpan{31, 4}, {}}},
      {"ID3 chunks in file order; a damaged COMM ends the walk, keeping the first COMM",
       Form("AIFF", BeChunk("ID3 ", "abc") + Comm(1, 2, 16, 8000) + BeChunk("ID3 ", "de") + "COMM" +
                        Be32(17) + std::string(17, '\0') + Ssnd(pcm)),
       AiffChunks{false, mono16, std::nullopt, {{20, 3}, {58, 2}}}},
      {"SSND claiming more than the file holds keeps its claim",
       Form("AIFF", Comm(1, 2, 16, 8000) + BeChunk("SSND", Be32(0) + Be32(0) + pcm, 1000)),
       AiffChunks{false, mono16, AiffSpan{54, 992}, {}}},
      {"FORM with no chunks", Form("AIFF", ""), AiffChunks{}},
      {"FORM of another type", Form("WAVE", Comm(1, 2, 16, 8000)), std::nullopt},
      {"not FORM", "RIFF" + Be32(4) + "AIFF", std::nullopt},
      {"shorter than a FORM header", "FORM"s + Be32(4) + "AIF", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Walk(c.bytes), c.expected);
  }
}

TEST(AiffChunks, Id3ChunksAreCounted) {
  std::string chunks;
  for (size_t i = 0; i < kMaxAiffId3 + 6; ++i) chunks += BeChunk("ID3 ", "xx");
  const auto walked = Walk(Form("AIFF", chunks));
  ASSERT_TRUE(walked);
  ASSERT_EQ(walked->id3.size(), kMaxAiffId3);
  EXPECT_EQ(walked->id3.back(), (AiffSpan{int64_t(12 + 10 * (kMaxAiffId3 - 1) + 8), 2}));
}

TEST(AiffChunks, CommFields) {
  const std::string body = Comm(0, 0xFFFFFFFF, 24, 48000, "fl32").substr(8);
  const auto comm = ParseAiffComm(reinterpret_cast<const uint8_t*>(body.data()), body.size(), true);
  EXPECT_EQ(comm, (AiffComm{1, 1, false, 24, 48000, AiffTag("FL32")}));
  EXPECT_FALSE(ParseAiffComm(reinterpret_cast<const uint8_t*>(body.data()), 21, true))
      << "the compression type cut short";
  EXPECT_TRUE(ParseAiffComm(reinterpret_cast<const uint8_t*>(body.data()), 18, false));
}

}  // namespace
}  // namespace sondrel
