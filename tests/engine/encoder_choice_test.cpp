#include "engine/encoder_choice.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encode/wma_format_list.h"
#include "engine/run_fixture.h"
#include "support/memory_frontend.h"

namespace sondrel {
namespace {

TEST(EncoderParameters, DefaultBitRateTable) {
  struct Case {
    int rate, channels, expected;
  };
  const Case cases[] = {
      {8000, 1, 24000},   {12000, 2, 48000},  {12001, 1, 32000},  {16000, 2, 56000},
      {22050, 1, 48000},  {24000, 2, 64000},  {32000, 1, 64000},  {32000, 2, 96000},
      {44100, 1, 96000},  {44100, 2, 128000}, {44101, 1, 128000}, {48000, 2, 192000},
      {96000, 6, 192000}, {0, 0, 48000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch");
    EXPECT_EQ(DefaultBitRate(c.rate, c.channels), c.expected);
  }
}

TEST(EncoderParameters, WmaParameterTable) {
  struct Case {
    int rate, channels, expectRate, expectBits;
  };
  const Case cases[] = {
      {8000, 1, 22050, 20000},   {8000, 2, 22050, 32000},   {16000, 1, 44100, 32000},
      {16000, 2, 44100, 48000},  {22050, 2, 44100, 64000},  {32000, 2, 44100, 96000},
      {44100, 1, 44100, 48000},  {44100, 2, 44100, 128000}, {48000, 1, 44100, 48000},
      {48000, 2, 48000, 192000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch");
    const WmaParameters p = ChooseWmaParameters(c.rate, c.channels);
    EXPECT_EQ(p.sampleRate, c.expectRate);
    EXPECT_EQ(p.bitRate, c.expectBits);
  }
}

TEST(EncoderParameters, NearestValue) {
  const int rates[] = {8000, 11025, 22050, 44100, -1};
  {
    SCOPED_TRACE("exact entries are kept");
    EXPECT_EQ(NearestValue(11025, rates), 11025);
    EXPECT_EQ(NearestValue(44100, rates), 44100);
  }
  {
    SCOPED_TRACE("outside the range: first or last entry");
    EXPECT_EQ(NearestValue(100, rates), 8000);
    EXPECT_EQ(NearestValue(96000, rates), 44100);
  }
  {
    SCOPED_TRACE("between two entries: the nearer one");
    EXPECT_EQ(NearestValue(20000, rates), 22050);
    EXPECT_EQ(NearestValue(12000, rates), 11025);
  }
  {
    SCOPED_TRACE("a tie takes the lower entry");
    const int list[] = {10, 20, -1};
    EXPECT_EQ(NearestValue(15, list), 10);
    EXPECT_EQ(NearestValue(16, list), 20);
  }
  {
    SCOPED_TRACE("no list, or an empty one, keeps the value");
    EXPECT_EQ(NearestValue(12345, nullptr), 12345);
    const int empty[] = {-1};
    EXPECT_EQ(NearestValue(12345, empty), 12345);
  }
  {
    SCOPED_TRACE("extreme values do not overflow");
    const int list[] = {0, 2147483000, -1};
    EXPECT_EQ(NearestValue(-2147483647 - 1, list), 0);
    EXPECT_EQ(NearestValue(2147483647, list), 2147483000);
  }
}

// A format list that fits every request but the one at 8000 Hz.
class AnyWmaFormat : public WmaFormats {
 public:
  void Build() override {}
  const WmaFormatEntry* Choose(int sampleRate, int bitRate, int) override {
    m_entry.bitRate = bitRate;
    return sampleRate == 8000 ? nullptr : &m_entry;
  }
  int BitRateOf(const WmaFormatEntry* entry) const override { return entry->bitRate; }

 private:
  WmaFormatEntry m_entry{};
};

// What the per-file run's encoder was told and how a source is fed to it.
struct Fed {
  bool made = true;
  int encoderRate = -1, encoderChannels = -1, bitRate = -1;  // -1: not set
  int choiceRate = 0, choiceChannels = 0;
  int targetRate = 0;
  bool resample = false, pick = false;
  bool operator==(const Fed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fed& f) {
  return out << "made " << f.made << ", encoder " << f.encoderRate << " Hz " << f.encoderChannels
             << " ch " << f.bitRate << " bit/s, choice " << f.choiceRate << " Hz "
             << f.choiceChannels << " ch, target " << f.targetRate << " Hz, resample " << f.resample
             << ", pick " << f.pick;
}

TEST(ChooseEncoder, PerFamilyAndHowTheSourceIsFed) {
  struct Case {
    const char* name;
    int formatId;
    std::function<void(ConvertSettings&, FormatRow&)> options;
    int srcRate, srcChannels;
    Fed expected;
  };
  const auto none = [](ConvertSettings&, FormatRow&) {};
  const Case cases[] = {
      {"MP3, automatic: the source's rate, the default bit rate",
       kFormatMp3,
       none,
       48000,
       2,
       {true, 48000, 2, 192000, 48000, 2, 48000, false, false}},
      {"MP3, automatic, mono",
       kFormatMp3,
       none,
       44100,
       1,
       {true, 44100, 1, 96000, 44100, 1, 44100, false, false}},
      {"MP3, chosen: the nearest listed rate, one channel mixed",
       kFormatMp3,
       [](ConvertSettings&, FormatRow& f) {
         f.AutoEncParam = 0;
         f.SampleRate = 20000;
         f.Channels = 1;
         f.BitRate = 0;
       },
       44100,
       2,
       {true, 22050, 1, 48000, 22050, 1, 22050, true, false}},
      {"ALAC takes stereo only and has no bit rate",
       kFormatAlac,
       none,
       22050,
       1,
       {true, 22050, 2, 0, 22050, 2, 22050, false, false}},
      {"a codec the row does not offer",
       kFormatMp3,
       [](ConvertSettings&, FormatRow& f) { f.CodecID = kCodecFlac; },
       44100,
       2,
       {false, -1, -1, -1, 0, 0, 0, false, false}},
      {"AMR narrow band: 8000 Hz, one channel, nothing else told",
       kFormatAmr,
       none,
       44100,
       2,
       {true, -1, -1, -1, 8000, 1, 8000, true, false}},
      {"AMR-WB",
       kFormatAwb,
       [](ConvertSettings& s, FormatRow&) { s.MonoType = kMonoLeft; },
       16000,
       2,
       {true, -1, -1, -1, 16000, 1, 16000, false, true}},
      {"WMA, automatic: the writer gets the source as decoded",
       kFormatWma,
       none,
       22050,
       1,
       {true, 22050, 1, 48000, 44100, 1, 22050, false, false}},
      {"WMA, one channel picked",
       kFormatWma,
       [](ConvertSettings& s, FormatRow&) {
         s.WMAAutoEncParam = 0;
         s.WMASampleRate = 22050;
         s.WMABitRate = 32000;
         s.WMAChannels = 1;
         s.MonoType = kMonoRight;
       },
       48000,
       2,
       {true, 48000, 1, 32000, 22050, 1, 48000, false, true}},
      {"WMA, one channel mixed by the writer",
       kFormatWma,
       [](ConvertSettings& s, FormatRow&) {
         s.WMAAutoEncParam = 0;
         s.WMAChannels = 1;
       },
       48000,
       2,
       {true, 48000, 2, 128000, 44100, 1, 48000, false, false}},
      {"WMA, no format fits",
       kFormatWma,
       [](ConvertSettings& s, FormatRow&) {
         s.WMAAutoEncParam = 0;
         s.WMASampleRate = 8000;
       },
       48000,
       2,
       {false, -1, -1, -1, 8000, 2, 0, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<FormatRow> rows;
    BuildCatalogue(rows);
    ConvertSettings settings;
    FormatRow& format = *FindFormatRow(rows, c.formatId);
    c.options(settings, format);
    test::EncoderLog log;
    WriterFactories writers;
    writers.ffmpeg = writers.amr = writers.wma = [&log] {
      return std::make_unique<test::RecordingEncoder>(log, test::EncoderScript{});
    };
    AnyWmaFormat wma;
    test::MemoryFrontend frontend;
    const RunContext run{
        frontend, settings, format, writers, wma, false, RenderRate(format, settings)};
    EncoderChoice choice = ChooseEncoder(run, c.srcRate, c.srcChannels);
    Fed fed;
    fed.made = choice.encoder != nullptr;
    fed.choiceRate = choice.rate;
    fed.choiceChannels = choice.channels;
    if (fed.made) {
      const StreamPlan plan = FeedPlan(run, choice, c.srcRate, c.srcChannels);
      fed.targetRate = plan.targetRate;
      fed.resample = plan.channels.resample;
      fed.pick = plan.channels.pickOneChannel;
    }
    fed.encoderRate = log.sampleRate;
    fed.encoderChannels = log.channels;
    fed.bitRate = log.bitRate;
    EXPECT_EQ(fed, c.expected);
  }
}

}  // namespace
}  // namespace sondrel
