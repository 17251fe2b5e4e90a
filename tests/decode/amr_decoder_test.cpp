#include "decode/amr_decoder.h"

#include <gtest/gtest.h>

#include "decode/source_opener.h"
#include "decode/source_type.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using test::TempDir;

// A storage file of `count` frames of `type`, payload bytes varied so that
// the decoder has something to chew on.
std::string Frames(AmrBand band, int type, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += static_cast<char>(AmrFrameHeader(type));
    for (int b = 0; b < AmrFramePayloadBytes(band, type); ++b) {
      out += static_cast<char>((i * 31 + b * 7) & 0xFF);
    }
  }
  return out;
}

std::vector<int> ReadCounts(AmrDecoder& d) {
  std::vector<int> counts;
  int16_t left[kBlockFrames];
  for (int n; (n = d.Read(left, nullptr)) > 0 && counts.size() < 10000;) counts.push_back(n);
  return counts;
}

TEST(AmrDecoder, DeliversFullBlocksWithCarryOver) {
  TempDir dir;
  {
    SCOPED_TRACE("narrow band: 7 frames and 32 samples of the 8th per call");
    const std::string path = dir.File("nb.amr");
    const std::string bytes = std::string(kAmrNbMagic) + Frames(AmrBand::kNarrow, 7, 20);
    test::WriteFileBytes(path, bytes);
    AmrDecoder d;
    ASSERT_EQ(d.Open(path, 44100), 1);
    EXPECT_EQ(d.GetSampleRate(), 8000);
    EXPECT_EQ(d.GetChannels(), 1);
    EXPECT_EQ(d.GetOutputChannels(), 1);
    EXPECT_EQ(d.GetBitsPerSample(), 16);
    EXPECT_EQ(d.GetDuration(), 0);
    EXPECT_EQ(d.GetBitRate(), 0);
    EXPECT_EQ(d.GetLength(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(d.GetPosition(), 6);
    TagInfo tags;
    tags.title = "kept";
    EXPECT_EQ(d.GetTags(tags), 0);
    EXPECT_EQ(tags.title, "kept");

    int16_t left[kBlockFrames];
    EXPECT_EQ(d.Read(left, nullptr), 1152);
    // 8 frames read so far.
    EXPECT_EQ(d.GetPosition(), 6 + 8 * 32);
    // 20 frames = 3200 samples = 1152 + 1152 + 896.
    EXPECT_EQ(d.Read(left, nullptr), 1152);
    EXPECT_EQ(d.Read(left, nullptr), 896);
    EXPECT_EQ(d.GetPosition(), d.GetLength());
    EXPECT_EQ(d.Read(left, nullptr), 0);
    d.Close();
    EXPECT_EQ(d.GetSampleRate(), 0);
    EXPECT_EQ(d.GetLength(), 0);
    EXPECT_EQ(d.Read(left, nullptr), 0);
  }
  {
    SCOPED_TRACE("wide band by its own magic, 16000 Hz, 320-sample frames");
    const std::string path = dir.File("wb.awb");
    test::WriteFileBytes(path, std::string(kAmrWbMagic) + Frames(AmrBand::kWide, 8, 10));
    AmrDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(d.GetSampleRate(), 16000);
    EXPECT_EQ(d.GetPosition(), 9);
    EXPECT_EQ(ReadCounts(d), (std::vector<int>{1152, 1152, 896}));
  }
  {
    SCOPED_TRACE("a second Open starts afresh, without the old carry-over");
    const std::string path = dir.File("nb.amr");
    AmrDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    int16_t left[kBlockFrames];
    EXPECT_EQ(d.Read(left, nullptr), 1152);
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(ReadCounts(d), (std::vector<int>{1152, 1152, 896}));
  }
}

TEST(AmrDecoder, BadFiles) {
  TempDir dir;
  const std::string path = dir.File("bad.amr");
  AmrDecoder d;
  {
    SCOPED_TRACE("a lone magic, and anything under 9 bytes, is rejected");
    test::WriteFileBytes(path, std::string(kAmrNbMagic));
    EXPECT_EQ(d.Open(path, 0), 0);
    test::WriteFileBytes(path, std::string(kAmrNbMagic) + Frames(AmrBand::kNarrow, 15, 2));
    EXPECT_EQ(d.Open(path, 0), 0);
    EXPECT_EQ(d.GetSampleRate(), 0);
  }
  {
    SCOPED_TRACE("a lone wide-band magic opens and delivers nothing");
    test::WriteFileBytes(path, std::string(kAmrWbMagic));
    ASSERT_EQ(d.Open(path, 0), 1);
    int16_t left[kBlockFrames];
    EXPECT_EQ(d.Read(left, nullptr), 0);
  }
  {
    SCOPED_TRACE("a truncated last frame: the whole frames before it, then 0");
    std::string bytes = std::string(kAmrNbMagic) + Frames(AmrBand::kNarrow, 5, 9);
    bytes.resize(bytes.size() - 4);
    test::WriteFileBytes(path, bytes);
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(ReadCounts(d), (std::vector<int>{1152, 8 * 160 - 1152}));
  }
  {
    SCOPED_TRACE("an unknown frame type ends the audio there");
    test::WriteFileBytes(path, std::string(kAmrWbMagic) + Frames(AmrBand::kWide, 2, 3) + "\x58" +
                                   Frames(AmrBand::kWide, 2, 3));
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(ReadCounts(d), (std::vector<int>{960}));
  }
  {
    SCOPED_TRACE("other magic texts, and missing files");
    test::WriteFileBytes(path, "#!AMR_MC1.0\n" + Frames(AmrBand::kNarrow, 7, 3));
    EXPECT_EQ(d.Open(path, 0), 0);
    test::WriteFileBytes(path, "RIFF....WAVEfmt ");
    EXPECT_EQ(d.Open(path, 0), 0);
    EXPECT_EQ(d.Open(dir.File("missing.amr"), 0), 0);
  }
}

TEST(AmrDecoder, OpenerPicksItForAmrFiles) {
  TempDir dir;
  const std::string path = dir.File("speech.awb");
  test::WriteFileBytes(path, std::string(kAmrWbMagic) + Frames(AmrBand::kWide, 0, 5));
  SourceOpener opener;
  int hasAudio = -1;
  auto reader = opener.OpenSource(path, ClassifySource(path), 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_NE(reader, nullptr);
  EXPECT_NE(dynamic_cast<AmrDecoder*>(reader.get()), nullptr);
}

}  // namespace
}  // namespace sondrel
