#include "decode/wma_decoder.h"

#include <gtest/gtest.h>

#include "decode/source_opener.h"
#include "decode/source_type.h"
#include "platform/mediaruntime/media_runtime.h"
#include "support/temp_dir.h"
#include "support/wm_fixtures.h"

namespace sondrel {
namespace {

using test::WmFixture;

class WmaDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadWindowsMediaRuntime()); }

  std::string Write(const std::string& name, WmFixture fx) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(test::WriteWmFixture(path, fx)) << name;
    return path;
  }

  test::TempDir dir;
};

// Every frame of a reader, left and right planes.
int64_t ReadAll(Decoder& d, std::vector<int16_t>* left = nullptr) {
  int16_t l[kBlockFrames], r[kBlockFrames];
  int64_t total = 0;
  for (int n; (n = d.Read(l, r)) > 0;) {
    EXPECT_LE(n, kBlockFrames);
    if (left) left->insert(left->end(), l, l + n);
    total += n;
  }
  return total;
}

TEST(WmaDecoderBuffer, GrowsByAnEighthRoundedToFourPlusFour) {
  WmaDecoder d;
  EXPECT_EQ(d.BufferCapacity(), 102400u);
  EXPECT_EQ(WmaDecoder::GrownCapacity(500000), 562504u);  // 562500 + 4
  EXPECT_EQ(WmaDecoder::GrownCapacity(102401), 115204u);  // 115201 rounds down to 115200
}

TEST_F(WmaDecoderTest, PropertiesInHundredNanosecondUnitsAndAllFramesDelivered) {
  WmFixture fx;
  fx.seconds = 3.0;
  const std::string path = Write("a.wma", fx);
  WmaDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  EXPECT_EQ(d.HasAudio(), 1);
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetChannels(), 2);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  EXPECT_EQ(d.GetBitsPerSample(), 16);
  EXPECT_EQ(d.GetDuration(), 3);
  EXPECT_NEAR(d.GetLength() / 1e7, 3.0, 0.1);
  EXPECT_GT(d.GetBitRate(), 100);  // kbit/s from the header's bit rate
  EXPECT_EQ(d.GetPosition(), 0);
  const int64_t frames = ReadAll(d);
  EXPECT_NEAR(frames / 44100.0, 3.0, 0.1);
  // The last sample's time is within one codec frame of the length.
  EXPECT_NEAR(static_cast<double>(d.GetPosition()), static_cast<double>(d.GetLength()),
              2048.0 / 44100 * 1e7 * 1.5);
  d.Close();
  EXPECT_EQ(d.GetSampleRate(), 0);
  EXPECT_EQ(d.GetLength(), 0);
  EXPECT_EQ(d.Read(nullptr, nullptr), 0);
}

TEST_F(WmaDecoderTest, MonoGoesToTheLeftPlaneOnly) {
  WmFixture fx;
  fx.inputChannels = 1;
  fx.formatChannels = 1;
  fx.formatRate = 22050;
  fx.inputRate = 22050;
  fx.bitRate = 32000;
  fx.leftHz = 500;
  const std::string path = Write("m.wma", fx);
  WmaDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  EXPECT_EQ(d.GetOutputChannels(), 1);
  int16_t l[kBlockFrames];
  std::vector<int16_t> all;
  for (int n; (n = d.Read(l, nullptr)) > 0;) all.insert(all.end(), l, l + n);
  EXPECT_NEAR(all.size() / 22050.0, 1.0, 0.15);
  // The tone survives: its zero crossings give 500 Hz.
  int crossings = 0;
  for (size_t i = all.size() / 4 + 1; i < all.size() * 3 / 4; ++i) {
    crossings += (all[i - 1] < 0) != (all[i] < 0);
  }
  EXPECT_NEAR(crossings / 2.0 / (all.size() / 2 / 22050.0), 500, 15);
}

TEST_F(WmaDecoderTest, TagsFromAttributes) {
  SCOPED_TRACE("every text and the track as a number");
  {
    WmFixture fx;
    fx.attributes = {{"Title", WmAttribute::Text("Tïtle")},
                     {"Author", WmAttribute::Text("Artist", false)},
                     {"Description", WmAttribute::Text("Comment", false)},
                     {"WM/AlbumTitle", WmAttribute::Text("Album", false)},
                     {"WM/Genre", WmAttribute::Text("Genre", false)},
                     {"WM/TrackNumber", WmAttribute::Dword(7)},
                     {"WM/Year", WmAttribute::Text("1999", false)},
                     {"Copyright", WmAttribute::Text("(c) Me", false)},
                     {"WM/Composer", WmAttribute::Text("Composer", false)}};
    WmaDecoder d;
    ASSERT_TRUE(d.Open(Write("t.wma", fx), 0));
    TagInfo tags;
    EXPECT_EQ(d.GetTags(tags), 1);
    EXPECT_EQ(tags, (TagInfo{"Tïtle", "Artist", "Album", "1999", "Genre", "Comment", "7",
                             "Composer", "(c) Me", {}}));
  }
  SCOPED_TRACE("the track as text");
  {
    WmFixture fx;
    fx.attributes = {{"WM/TrackNumber", WmAttribute::Text("7")}};
    WmaDecoder d;
    ASSERT_TRUE(d.Open(Write("t7.wma", fx), 0));
    TagInfo tags;
    d.GetTags(tags);
    EXPECT_EQ(tags.track, "7");
  }
  SCOPED_TRACE("no track at all");
  {
    WmaDecoder d;
    ASSERT_TRUE(d.Open(Write("none.wma", WmFixture()), 0));
    TagInfo tags;
    EXPECT_EQ(d.GetTags(tags), 1);
    EXPECT_EQ(tags.track, "0");
    EXPECT_EQ(tags.title, "");
  }
}

TEST_F(WmaDecoderTest, AttributesOfUnexpectedTypesGiveNothing) {
  WmFixture fx;
  fx.attributes = {
      {"Title", WmAttribute::Dword(42)},     {"Author", WmAttribute::Binary({0x41, 0, 0x42})},
      {"WM/Genre", WmAttribute::Bool(true)}, {"WM/TrackNumber", WmAttribute::Qword(9)},
      {"WM/Year", WmAttribute::Word(1999)},  {"WM/Composer", WmAttribute::Text("")}};
  WmaDecoder d;
  ASSERT_TRUE(d.Open(Write("odd.wma", fx), 0));
  TagInfo tags;
  d.GetTags(tags);
  EXPECT_EQ(tags, (TagInfo{"", "", "", "", "", "", "0", "", "", {}}));
  EXPECT_GT(ReadAll(d), 0);
}

TEST_F(WmaDecoderTest, FileWithoutDurationShowsZeroSecondsAndStillDecodes) {
  const std::string wav = dir.File("in.wav");
  const std::string wma = dir.File("live.wma");
  ASSERT_TRUE(test::RunFfmpeg("-f lavfi -i sine=f=440:d=2 " + test::Quoted(wav)));
  ASSERT_TRUE(test::RunFfmpegToPipe("-i " + test::Quoted(wav) + " -c:a wmav2 -f asf", wma));
  WmaDecoder d;
  ASSERT_TRUE(d.Open(wma, 0));
  EXPECT_EQ(d.GetDuration(), 0);
  EXPECT_EQ(d.GetLength(), 0);
  EXPECT_NEAR(ReadAll(d) / 44100.0, 2.0, 0.1);
}

TEST_F(WmaDecoderTest, VideoFileDecodesOnlyItsAudio) {
  const std::string wmv = dir.File("clip.wmv");
  ASSERT_TRUE(test::RunFfmpeg(
      "-f lavfi -i testsrc=size=96x64:rate=25:d=2 -f lavfi -i sine=f=880:d=2:sample_rate=44100 "
      "-c:v wmv2 -c:a wmav2 -b:a 128k -metadata title=Clip " +
      test::Quoted(wmv)));
  WmaDecoder d;
  ASSERT_TRUE(d.Open(wmv, 0));
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetDuration(), 2);
  TagInfo tags;
  d.GetTags(tags);
  EXPECT_EQ(tags.title, "Clip");
  std::vector<int16_t> left;
  EXPECT_NEAR(ReadAll(d, &left) / 44100.0, 2.0, 0.1);
  int crossings = 0;
  for (size_t i = left.size() / 4 + 1; i < left.size() * 3 / 4; ++i) {
    crossings += (left[i - 1] < 0) != (left[i] < 0);
  }
  EXPECT_NEAR(crossings / 2.0 / (left.size() / 2 / 44100.0), 880, 20);
}

TEST_F(WmaDecoderTest, BadFilesFailToOpenOrEndReading) {
  const std::string good = Write("good.wma", WmFixture());
  const std::string bytes = test::ReadFileBytes(good);
  SCOPED_TRACE("not ASF: no audio stream found");
  for (const std::string& content :
       {std::string(), std::string(100, '\0'), std::string("0&\xB2u garbage")}) {
    const std::string path = dir.File("bad.wma");
    test::WriteFileBytes(path, content);
    WmaDecoder d;
    EXPECT_EQ(d.Open(path, 0), 0);
    EXPECT_EQ(d.HasAudio(), 0);
    EXPECT_EQ(d.GetSampleRate(), 0);
  }
  SCOPED_TRACE("cut anywhere");
  for (size_t cut = 10; cut < bytes.size(); cut += bytes.size() / 13) {
    const std::string path = dir.File("cut.wma");
    test::WriteFileBytes(path, bytes.substr(0, cut));
    WmaDecoder d;
    if (d.Open(path, 0)) ReadAll(d);
  }
  SCOPED_TRACE("a video-only file has no audio");
  const std::string wmv = dir.File("video.wmv");
  ASSERT_TRUE(
      test::RunFfmpeg("-f lavfi -i testsrc=size=32x32:rate=5:d=1 -c:v wmv2 " + test::Quoted(wmv)));
  WmaDecoder d;
  EXPECT_EQ(d.Open(wmv, 0), 0);
  EXPECT_EQ(d.HasAudio(), 0);
}

TEST_F(WmaDecoderTest, OpenerUsesItForWindowsMediaSources) {
  const std::string path = Write("o.wma", WmFixture());
  SourceOpener opener;
  int hasAudio = 1;
  std::unique_ptr<Decoder> d =
      opener.OpenSource(path, kSourceWindowsMedia, 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_TRUE(d);
  EXPECT_NE(dynamic_cast<WmaDecoder*>(d.get()), nullptr);
  EXPECT_EQ(opener.FfmpegRetry(), 1);

  SCOPED_TRACE("a file named .wma that is not ASF goes to the FFmpeg reader");
  const std::string wav = dir.File("really_wav.wma");
  ASSERT_TRUE(test::RunFfmpeg("-f lavfi -i sine=d=0.5 -f wav " + test::Quoted(wav)));
  opener.SetFfmpegRetry(0);
  d = opener.OpenSource(wav, kSourceWindowsMedia, 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_TRUE(d);
  EXPECT_EQ(dynamic_cast<WmaDecoder*>(d.get()), nullptr);
  EXPECT_EQ(opener.FfmpegRetry(), 0);
  EXPECT_EQ(d->GetSampleRate(), 44100);
}

}  // namespace
}  // namespace sondrel
