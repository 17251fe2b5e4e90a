// The Windows Media layer on FFmpeg: enumeration, writer and sync reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "platform/mediaruntime/asf_header.h"
#include "platform/mediaruntime/media_runtime.h"
#include "platform/mediaruntime/wm_codec_formats.h"
#include "platform/mediaruntime/wm_sync_reader.h"
#include "platform/mediaruntime/wm_writer.h"
#include "support/av_fixture.h"
#include "support/temp_dir.h"
#include "support/wm_fixtures.h"

namespace sondrel {
namespace {

using test::WmFixture;

class WmRuntime : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadWindowsMediaRuntime()); }
  test::TempDir dir;
};

struct Decoded {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> pcm;  // interleaved
  std::vector<int64_t> times;
};

// Reads every sample of the first audio stream.
bool DecodeAll(const std::string& path, Decoded& out, WmSyncReader* keep = nullptr) {
  std::unique_ptr<WmSyncReader> own;
  WmSyncReader* r = keep;
  if (!r) {
    own = CreateWmSyncReader();
    r = own.get();
  }
  if (!r || r->Open(path) != WmStatus::kOk) return false;
  uint16_t number = 0;
  uint32_t output = 0;
  for (uint32_t i = 0; i < r->GetStreamCount(); ++i) {
    WmStreamInfo s;
    r->GetStream(i, s);
    if (s.type == WmMajorType::kAudio) {
      number = s.number;
      output = i;
      break;
    }
  }
  if (number == 0) return false;
  WmMediaType type;
  if (r->GetOutputProps(output, type) != WmStatus::kOk) return false;
  out.rate = static_cast<int>(type.wave.samplesPerSec);
  out.channels = type.wave.channels;
  WmSample sample;
  WmStatus status;
  while ((status = r->GetNextSample(number, sample)) == WmStatus::kOk) {
    const size_t n = sample.length / 2;
    const size_t at = out.pcm.size();
    out.pcm.resize(at + n);
    std::memcpy(out.pcm.data() + at, sample.data, n * 2);
    out.times.push_back(sample.time);
  }
  return status == WmStatus::kNoMoreSamples;
}

// The level of a tone in one channel, as a fraction of full scale.
double ToneLevel(const Decoded& d, int channel, double hz) {
  std::vector<int16_t> plane;
  for (size_t i = channel; i < d.pcm.size(); i += d.channels) plane.push_back(d.pcm[i]);
  return test::ToneLevel(plane, hz, d.rate);
}

TEST_F(WmRuntime, EnumerationOffersProvedWmaFormats) {
  const std::vector<WmCodecFormat>& formats = WmaCodecFormats();
  ASSERT_FALSE(formats.empty());
  std::set<std::pair<int, int>> cells;
  for (const WmCodecFormat& f : formats) {
    const WmMediaType& t = f.config.GetMediaType();
    EXPECT_EQ(t.subtype, WmSubtype::kWMAudioV8) << f.description;
    EXPECT_EQ(t.wave.formatTag, kWaveFormatWMAudioV8);
    EXPECT_GE(t.wave.samplesPerSec, 8000u);
    EXPECT_LE(t.wave.samplesPerSec, 48000u);
    EXPECT_GE(f.config.GetBitrate(), 24000u) << f.description;
    EXPECT_GT(t.wave.blockAlign, 0);
    cells.insert({static_cast<int>(t.wave.samplesPerSec), t.wave.channels});
  }
  for (int rate : {8000, 11025, 16000, 22050, 44100}) {
    EXPECT_TRUE(cells.count({rate, 1})) << rate;
    EXPECT_TRUE(cells.count({rate, 2})) << rate;
  }
  EXPECT_TRUE(cells.count({48000, 2}));
  EXPECT_FALSE(cells.count({32000, 1}));  // as in the WMA 9 table

  auto info = CreateWmCodecInfo();
  ASSERT_TRUE(info);
  uint32_t codecs = 0, count = 0;
  ASSERT_EQ(info->GetCodecInfoCount(WmMajorType::kAudio, codecs), WmStatus::kOk);
  EXPECT_EQ(codecs, 1u);
  ASSERT_EQ(info->GetCodecFormatCount(WmMajorType::kAudio, 0, count), WmStatus::kOk);
  EXPECT_EQ(count, formats.size());
  WmStreamConfig config;
  std::string desc;
  ASSERT_EQ(info->GetCodecFormatDesc(WmMajorType::kAudio, 0, 0, config, desc), WmStatus::kOk);
  EXPECT_EQ(desc, formats[0].description);
  EXPECT_EQ(info->GetCodecFormatDesc(WmMajorType::kAudio, 0, count, config, desc),
            WmStatus::kFailed);
}

TEST_F(WmRuntime, WrittenFileDecodesWithTypedAttributesAndProbesAsWmav2) {
  const std::string path = dir.File("tone.wma");
  WmFixture fx;
  fx.seconds = 2.0;
  fx.attributes = {{"Title", WmAttribute::Text("Song")},
                   {"Author", WmAttribute::Text("Band", false)},
                   {"WM/AlbumTitle", WmAttribute::Text("Record", false)},
                   {"WM/TrackNumber", WmAttribute::Dword(7)},
                   {"WM/Year", WmAttribute::Text("2004", false)}};
  ASSERT_TRUE(test::WriteWmFixture(path, fx));

  auto reader = CreateWmSyncReader();
  Decoded d;
  ASSERT_TRUE(DecodeAll(path, d, reader.get()));
  EXPECT_EQ(d.rate, 44100);
  EXPECT_EQ(d.channels, 2);
  const double seconds = static_cast<double>(d.pcm.size() / 2) / 44100;
  EXPECT_NEAR(seconds, 2.0, 0.1);
  for (size_t i = 1; i < d.times.size(); ++i) EXPECT_GT(d.times[i], d.times[i - 1]);
  EXPECT_GT(ToneLevel(d, 0, 1000), 0.3);  // written at 12000 of 32767
  EXPECT_GT(ToneLevel(d, 1, 2000), 0.3);
  EXPECT_LT(ToneLevel(d, 0, 2000), 0.02);  // the channels stay apart

  WmStreamInfo stream;
  ASSERT_EQ(reader->GetStream(0, stream), WmStatus::kOk);
  EXPECT_EQ(stream.number, 1);
  WmAttribute a;
  ASSERT_EQ(reader->GetAttributeByName(0, "Title", a), WmStatus::kOk);
  EXPECT_EQ(a.AsText(), "Song");
  ASSERT_EQ(reader->GetAttributeByName(0, "WM/TrackNumber", a), WmStatus::kOk);
  uint32_t track = 0;
  EXPECT_TRUE(a.AsDword(track));
  EXPECT_EQ(track, 7u);
  ASSERT_EQ(reader->GetAttributeByName(0, "Duration", a), WmStatus::kOk);
  uint64_t duration = 0;
  ASSERT_TRUE(a.AsQword(duration));
  EXPECT_NEAR(duration / 1e7, 2.0, 0.1);
  ASSERT_EQ(reader->GetAttributeByName(0, "Bitrate", a), WmStatus::kOk);
  EXPECT_EQ(reader->GetAttributeByName(0, "WM/Composer", a), WmStatus::kNotFound);
  EXPECT_EQ(reader->GetAttributeByName(0, "Title", a), WmStatus::kOk);
  EXPECT_EQ(reader->GetAttributeByName(3, "Title", a), WmStatus::kNotFound);

  auto probe = test::ProbeFile(path);
  EXPECT_EQ(probe["format.format_name"], "asf");
  EXPECT_EQ(probe["stream0.codec_name"], "wmav2");
  EXPECT_EQ(probe["stream0.sample_rate"], "44100");
  EXPECT_EQ(probe["stream0.channels"], "2");
  EXPECT_NEAR(std::atof(probe["format.duration"].c_str()), 2.0, 0.1);
  EXPECT_EQ(probe["format.tag.title"], "Song");
  EXPECT_EQ(probe["format.tag.artist"], "Band");
  EXPECT_EQ(probe["format.tag.album"], "Record");
  EXPECT_EQ(probe["format.tag.track"], "7");
  // Whole superframes per packet: little container overhead.
  const double fileBits = std::filesystem::file_size(path) * 8.0;
  EXPECT_LT(fileBits / 2.0, 128000 * 1.25);
}

TEST_F(WmRuntime, WriterConvertsAnyInputRateAndChannelsToTheFormat) {
  struct Case {
    int inRate, inCh, fmtRate, fmtCh, bitRate;
  };
  for (const Case& c : {Case{22050, 1, 44100, 2, 128000}, Case{48000, 2, 22050, 1, 32000},
                        Case{96000, 6, 48000, 2, 192000}, Case{8000, 2, 8000, 1, 24000}}) {
    SCOPED_TRACE(std::to_string(c.inRate) + "/" + std::to_string(c.inCh));
    const std::string path = dir.File("conv.wma");
    WmFixture fx;
    fx.inputRate = c.inRate;
    fx.inputChannels = c.inCh;
    fx.formatRate = c.fmtRate;
    fx.formatChannels = c.fmtCh;
    fx.bitRate = c.bitRate;
    fx.leftHz = fx.rightHz = 440;
    ASSERT_TRUE(test::WriteWmFixture(path, fx));
    Decoded d;
    ASSERT_TRUE(DecodeAll(path, d));
    EXPECT_EQ(d.rate, c.fmtRate);
    EXPECT_EQ(d.channels, c.fmtCh);
    EXPECT_NEAR(static_cast<double>(d.pcm.size() / d.channels) / d.rate, 1.0, 0.15);
    EXPECT_GT(ToneLevel(d, 0, 440), 0.25);
  }
}

TEST_F(WmRuntime, WriterRefusesBadSetUpAndLeavesNothingBehind) {
  const WmCodecFormat& format = WmaCodecFormats().front();
  WmStreamConfig stream = format.config;
  stream.SetStreamNumber(1);

  SCOPED_TRACE("a profile without a WMA stream");
  {
    WmWriter w;
    WmProfile empty;
    EXPECT_EQ(w.SetProfile(empty), WmStatus::kFailed);
    WmProfile pcm;
    WmStreamConfig s(WmMajorType::kAudio);
    WmMediaType t;
    t.majorType = WmMajorType::kAudio;
    t.formatType = WmFormatType::kWaveFormatEx;
    t.wave.formatTag = kWaveFormatPcm;
    t.wave.channels = 2;
    t.wave.samplesPerSec = 44100;
    s.SetMediaType(t);
    s.SetStreamNumber(1);
    ASSERT_EQ(pcm.AddStream(s), WmStatus::kOk);
    EXPECT_EQ(w.SetProfile(pcm), WmStatus::kFailed);
    EXPECT_EQ(w.BeginWriting(), WmStatus::kFailed);
  }
  SCOPED_TRACE("an input that is not 16-bit PCM");
  {
    WmWriter w;
    WmProfile p;
    ASSERT_EQ(p.AddStream(stream), WmStatus::kOk);
    ASSERT_EQ(w.SetProfile(p), WmStatus::kOk);
    WmMediaType in;
    ASSERT_EQ(w.GetInputProps(0, in), WmStatus::kOk);
    in.wave.bitsPerSample = 24;
    EXPECT_EQ(w.SetInputProps(0, in), WmStatus::kFailed);
    in.wave.bitsPerSample = 16;
    in.wave.channels = 9;
    in.wave.blockAlign = 18;
    EXPECT_EQ(w.SetInputProps(0, in), WmStatus::kFailed);
    EXPECT_EQ(w.GetInputProps(1, in), WmStatus::kFailed);
  }
  SCOPED_TRACE("a folder that does not exist");
  {
    WmWriter w;
    WmProfile p;
    ASSERT_EQ(p.AddStream(stream), WmStatus::kOk);
    ASSERT_EQ(w.SetProfile(p), WmStatus::kOk);
    const std::string path = dir.File("missing/x.wma");
    ASSERT_EQ(w.SetOutputFilename(path), WmStatus::kOk);
    EXPECT_EQ(w.BeginWriting(), WmStatus::kFailed);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::unique_ptr<WmBuffer> buffer;
    EXPECT_EQ(w.AllocateSample(4, buffer), WmStatus::kFailed);
    EXPECT_EQ(w.EndWriting(), WmStatus::kFailed);
  }
  SCOPED_TRACE("a writer dropped while writing removes its unfinished file");
  {
    const std::string path = dir.File("dropped.wma");
    {
      WmWriter w;
      WmProfile p;
      ASSERT_EQ(p.AddStream(stream), WmStatus::kOk);
      ASSERT_EQ(w.SetProfile(p), WmStatus::kOk);
      ASSERT_EQ(w.SetOutputFilename(path), WmStatus::kOk);
      ASSERT_EQ(w.BeginWriting(), WmStatus::kOk);
      EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST_F(WmRuntime, VideoFileOffersItsAudioStream) {
  const std::string wmv = dir.File("clip.wmv");
  ASSERT_TRUE(test::RunFfmpeg(
      "-f lavfi -i testsrc=size=64x48:rate=10:d=1 -f lavfi -i sine=f=660:d=1:sample_rate=22050 "
      "-c:v wmv2 -c:a wmav2 -ac 1 -b:a 32k " +
      test::Quoted(wmv)));
  auto reader = CreateWmSyncReader();
  ASSERT_EQ(reader->Open(wmv), WmStatus::kOk);
  ASSERT_EQ(reader->GetStreamCount(), 2u);
  WmStreamInfo video, audio;
  reader->GetStream(0, video);
  reader->GetStream(1, audio);
  EXPECT_EQ(video.type, WmMajorType::kVideo);
  EXPECT_EQ(audio.type, WmMajorType::kAudio);
  EXPECT_EQ(audio.number, 2);
  WmSample sample;
  EXPECT_EQ(reader->GetNextSample(video.number, sample), WmStatus::kFailed);
  ASSERT_EQ(reader->SetStreamsSelected(video.number, false), WmStatus::kOk);
  EXPECT_EQ(reader->SetReadStreamSamples(audio.number, true), WmStatus::kFailed);
  EXPECT_EQ(reader->GetNextSample(audio.number, sample), WmStatus::kOk);
}

}  // namespace
}  // namespace sondrel
