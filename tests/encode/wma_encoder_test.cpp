#include "encode/wma_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>

#include "decode/wma_decoder.h"
#include "encode/wma_format_list.h"
#include "platform/mediaruntime/media_runtime.h"
#include "support/temp_dir.h"
#include "support/wm_fixtures.h"

namespace sondrel {
namespace {

class WmaEncoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadWindowsMediaRuntime());
    BuildWmaFormatList(list);
    ASSERT_FALSE(list.Empty());
  }

  const WmaFormatEntry* Format(int rate, int bitRate, int channels) {
    const WmaFormatEntry* e = nullptr;
    int br = 0;
    EXPECT_TRUE(ChooseWmaFormat(list, rate, bitRate, channels, e, br));
    return e;
  }

  // Configures as the conversion run does: fed rate and channels, then the
  // entry's bit rate and the entry.
  static void Configure(WmaEncoder& w, int feedRate, int feedChannels, const WmaFormatEntry* e,
                        const std::string& path) {
    w.SetSampleRate(feedRate);
    w.SetChannels(feedChannels);
    w.SetBitRate(e ? e->bitRate : 0);
    w.SetFormat(FormatParams(e));
    w.SetOutputPath(path);
  }

  // Writes `seconds` of a tone (left) and its octave (right) in blocks of 1152.
  static bool WriteTone(WmaEncoder& w, int rate, double seconds, int channels) {
    std::vector<int16_t> l(1152), r(1152);
    const int total = static_cast<int>(seconds * rate);
    bool ok = true;
    for (int start = 0; start < total; start += 1152) {
      const int n = std::min(1152, total - start);
      for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(start + i) / rate;
        l[i] = static_cast<int16_t>(10000 * std::sin(2 * std::numbers::pi * 440 * t));
        r[i] = static_cast<int16_t>(10000 * std::sin(2 * std::numbers::pi * 880 * t));
      }
      ok = w.Write(l.data(), channels == 2 ? r.data() : nullptr, n) && ok;
    }
    return ok;
  }

  WmaFormatList list;
  test::TempDir dir;
};

TEST_F(WmaEncoderTest, SampleTimeAdvancesByTruncatedHundredNanosecondUnits) {
  WmaEncoder w;
  Configure(w, 44100, 2, Format(44100, 128000, 2), dir.File("t.wma"));
  ASSERT_TRUE(w.Open());
  EXPECT_EQ(w.SampleTime(), 0);
  std::vector<int16_t> l(44100), r(44100);
  ASSERT_TRUE(w.Write(l.data(), r.data(), 44100));
  EXPECT_EQ(w.SampleTime(), 10000000);
  ASSERT_TRUE(w.Write(l.data(), r.data(), 1000));
  EXPECT_EQ(w.SampleTime(), 10000000 + 226757);
  ASSERT_TRUE(w.Write(l.data(), r.data(), 0));
  EXPECT_EQ(w.SampleTime(), 10000000 + 226757);
  w.Close();
  EXPECT_EQ(w.SampleTime(), 0);
  EXPECT_GT(std::filesystem::file_size(dir.File("t.wma")), 0u);
}

TEST_F(WmaEncoderTest, TagsRoundTripThroughTheReaderAndFfprobe) {
  const std::string path = dir.File("tags.wma");
  WmaEncoder w;
  Configure(w, 44100, 2, Format(44100, 128000, 2), path);
  w.SetTags("Tïtle", "Artist", "Album", "Genre", "2001", "Comment", "Composer", "(c) 2001", 7);
  ASSERT_TRUE(w.Open());
  ASSERT_TRUE(WriteTone(w, 44100, 1.5, 2));
  w.Close();

  WmaDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  TagInfo tags;
  d.GetTags(tags);
  EXPECT_EQ(tags, (TagInfo{"Tïtle", "Artist", "Album", "2001", "Genre", "Comment", "7", "Composer",
                           "(c) 2001", {}}));
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetChannels(), 2);
  EXPECT_EQ(d.GetDuration(), 1);

  auto probe = test::ProbeFile(path);
  EXPECT_EQ(probe["stream0.codec_name"], "wmav2");
  EXPECT_EQ(probe["stream0.sample_rate"], "44100");
  EXPECT_EQ(probe["stream0.channels"], "2");
  EXPECT_NEAR(std::atof(probe["format.duration"].c_str()), 1.5, 0.1);
  EXPECT_EQ(probe["format.tag.title"], "Tïtle");
  EXPECT_EQ(probe["format.tag.artist"], "Artist");
  EXPECT_EQ(probe["format.tag.album"], "Album");
  EXPECT_EQ(probe["format.tag.genre"], "Genre");
  EXPECT_EQ(probe["format.tag.track"], "7");
  EXPECT_EQ(probe["format.tag.composer"], "Composer");
  EXPECT_EQ(probe["format.tag.copyright"], "(c) 2001");
  EXPECT_EQ(probe["format.tag.comment"], "Comment");

  SCOPED_TRACE("absent texts are left out, the track is always there");
  WmaEncoder bare;
  const std::string barePath = dir.File("bare.wma");
  Configure(bare, 44100, 2, Format(44100, 128000, 2), barePath);
  ASSERT_TRUE(bare.Open());
  ASSERT_TRUE(WriteTone(bare, 44100, 0.5, 2));
  bare.Close();
  auto bareProbe = test::ProbeFile(barePath);
  EXPECT_EQ(bareProbe.count("format.tag.title"), 0u);
  EXPECT_EQ(bareProbe["format.tag.track"], "0");
}

TEST_F(WmaEncoderTest, OpenFailsCleanly) {
  SCOPED_TRACE("no format");
  {
    WmaEncoder w;
    Configure(w, 44100, 2, nullptr, dir.File("a.wma"));
    w.SetBitRate(128000);
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.wma")));
    EXPECT_EQ(w.Write(nullptr, nullptr, 10), 0);
    w.Close();
  }
  SCOPED_TRACE("a bit rate of 0");
  {
    WmaEncoder w;
    Configure(w, 44100, 2, Format(44100, 128000, 2), dir.File("b.wma"));
    w.SetBitRate(0);
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.wma")));
  }
  SCOPED_TRACE("a record of another writer");
  {
    WmaEncoder w;
    Configure(w, 44100, 2, Format(44100, 128000, 2), dir.File("c.wma"));
    w.SetFormat(FormatParams(FfmpegFormatParams{"asf", 0}));
    EXPECT_EQ(w.Open(), 0);
  }
  SCOPED_TRACE("a folder that does not exist, then a retry after reconfiguring");
  {
    WmaEncoder w;
    Configure(w, 44100, 2, Format(44100, 128000, 2), dir.File("no/such.wma"));
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
    Configure(w, 44100, 2, Format(44100, 128000, 2), dir.File("d.wma"));
    EXPECT_EQ(w.Open(), 1);
    w.Close();
  }
  SCOPED_TRACE("a sample rate or channel count the writer cannot take");
  {
    WmaEncoder w;
    Configure(w, 0, 2, Format(44100, 128000, 2), dir.File("e.wma"));
    EXPECT_EQ(w.Open(), 0);
    Configure(w, 44100, 3, Format(44100, 128000, 2), dir.File("e.wma"));
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.wma")));
  }
  SCOPED_TRACE("close and destruction without open");
  {
    WmaEncoder w;
    w.Close();
    w.Close();
  }
}

// Every format of the list encodes full-scale noise without a lost frame and
// decodes back at its own rate and channel count.
TEST_F(WmaEncoderTest, EveryListedFormatEncodes) {
  std::mt19937 rng(3);
  std::vector<int16_t> l(1152), r(1152);
  for (const WmaFormatEntry& e : list) {
    SCOPED_TRACE(std::to_string(e.SampleRate()) + " Hz " + std::to_string(e.Channels()) + " ch " +
                 std::to_string(e.bitRate));
    const std::string path = dir.File("f.wma");
    WmaEncoder w;
    Configure(w, e.SampleRate(), e.Channels(), &e, path);
    ASSERT_TRUE(w.Open());
    bool ok = true;
    for (int block = 0; block < e.SampleRate() / 2 / 1152; ++block) {
      for (int i = 0; i < 1152; ++i) {
        l[i] = (rng() & 1) ? 32767 : -32768;
        r[i] = (rng() & 1) ? 32767 : -32768;
      }
      ok = w.Write(l.data(), r.data(), 1152) && ok;
    }
    w.Close();
    EXPECT_TRUE(ok);
    WmaDecoder d;
    ASSERT_TRUE(d.Open(path, 0));
    EXPECT_EQ(d.GetSampleRate(), e.SampleRate());
    EXPECT_EQ(d.GetChannels(), e.Channels());
    int16_t dl[kBlockFrames], dr[kBlockFrames];
    int64_t frames = 0;
    for (int n; (n = d.Read(dl, dr)) > 0;) frames += n;
    EXPECT_GT(frames, e.SampleRate() / 3);
  }
}

}  // namespace
}  // namespace sondrel
