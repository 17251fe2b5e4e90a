// The conversion and merge runs writing Windows Media files end to end: real
// readers, the real WMA format list and writer, checked with WmaDecoder and
// ffprobe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "decode/wma_decoder.h"
#include "encode/format_catalogue.h"
#include "encode/wma_formats.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/add_files.h"
#include "engine/settings.h"
#include "platform/mediaruntime/wm_profile.h"
#include "support/av_fixture.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"
#include "support/wm_fixtures.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

class WmaRun : public ::testing::Test {
 protected:
  WmaRun() : state(frontend) {
    out = dir.Path() / "out";
    state.documentsFolder = [this] { return (dir.Path() / "docs").string(); };
    settings.DestOutputFolderOpt = kOutputSpecificFolder;
    settings.DestSpecifiedFolder = out.string();
    settings.OutputFiles2MyDocuments = 0;
    settings.BrowseOutputFolder = 0;
    settings.ID3TagType = kTagCustom;
    settings.customTag.TitleAsFileName = 0;
    settings.customTag.Title = "Custom Title";
    settings.customTag.Artist = "Custom Artist";
    settings.customTag.Album = "Custom Album";
    settings.customTag.Year = "2010";
    settings.customTag.Genre = "Jazz";
    settings.customTag.Comment = "Note";
    settings.customTag.Composer = "Writer";
    settings.customTag.Copyright = "(c) Us";
    settings.customTag.TrackNumType = kTrackCustom;
    settings.customTag.CustomTrackNum = 7;
    BuildCatalogue(rows);
  }

  // A WAV of two tones (left 440 Hz, right 880 Hz; mono: 440 Hz); returns
  // its list row.
  int AddWav(const std::string& name, int rate, int channels, double seconds) {
    test::AvFixture fx;
    fx.muxer = "wav";
    fx.audioEncoder = "pcm_s16le";
    fx.sampleRate = rate;
    const int frames = static_cast<int>(seconds * rate);
    fx.audio.push_back(test::Sine(440, rate, frames, 0.5));
    if (channels == 2) fx.audio.push_back(test::Sine(880, rate, frames, 0.5));
    const std::string path = dir.File(name);
    EXPECT_TRUE(test::WriteAvFixture(path, fx));
    return AddFile(path);
  }

  int AddFile(const std::string& path) {
    FileItem item;
    EXPECT_TRUE(ProbeFile(state.opener, path, item)) << path;
    return list.Add(item);
  }

  void Convert(int formatId, bool merge = false) {
    StartConversion(state, settings, FindFormatRow(rows, formatId), list, ItemSelection::All,
                    merge ? RunOutput::OneFile : RunOutput::FilePerItem);
  }

  std::string Output(int row) const { return frontend.Row(row, ListColumn::Output); }
  std::string OutPath(const std::string& name) const { return (out / name).string(); }

  test::TempDir dir;
  fs::path out;
  test::MemoryFrontend frontend;
  EngineState state;
  ConvertSettings settings;
  std::vector<FormatRow> rows;
  FileList list;
};

TEST_F(WmaRun, WavToWmaWmvAsfWithAutomaticParameters) {
  const int stereo = AddWav("stereo.wav", 44100, 2, 2.0);
  const int mono = AddWav("mono.wav", 22050, 1, 1.0);
  struct Case {
    int id;
    const char* ext;
  };
  for (const Case& c :
       {Case{kFormatWma, "wma"}, Case{kFormatWmv, "wmv"}, Case{kFormatAsf, "asf"}}) {
    SCOPED_TRACE(c.ext);
    Convert(c.id);
    const std::string stereoOut = OutPath(std::string("stereo.") + c.ext);
    const std::string monoOut = OutPath(std::string("mono.") + c.ext);
    EXPECT_EQ(Output(stereo), fs::path(stereoOut).filename().string());
    EXPECT_EQ(Output(mono), fs::path(monoOut).filename().string());

    // 44100 Hz stereo asks for 128000 bit/s.
    auto p = test::ProbeFile(stereoOut);
    EXPECT_EQ(p["stream0.codec_name"], "wmav2");
    EXPECT_EQ(p["stream0.sample_rate"], "44100");
    EXPECT_EQ(p["stream0.channels"], "2");
    EXPECT_EQ(p["stream0.bit_rate"], "128000");
    EXPECT_NEAR(std::atof(p["format.duration"].c_str()), 2.0, 0.1);
    EXPECT_EQ(p["format.tag.title"], "Custom Title");
    EXPECT_EQ(p["format.tag.artist"], "Custom Artist");
    EXPECT_EQ(p["format.tag.track"], "7");

    WmaDecoder d;
    ASSERT_TRUE(d.Open(stereoOut, 0));
    EXPECT_EQ(d.GetDuration(), 2);
    test::DecodedAudio audio = test::ReadAll(d);
    EXPECT_NEAR(audio.left.size() / 44100.0, 2.0, 0.1);
    EXPECT_GT(test::ToneLevel(audio.left, 440, 44100), 0.3);
    EXPECT_GT(test::ToneLevel(audio.right, 880, 44100), 0.3);
    EXPECT_LT(test::ToneLevel(audio.left, 880, 44100), 0.05);

    // 22050 Hz mono goes up to 44100 Hz: the lowest mono bit rate there.
    auto m = test::ProbeFile(monoOut);
    EXPECT_EQ(m["stream0.sample_rate"], "44100");
    EXPECT_EQ(m["stream0.channels"], "1");
    EXPECT_NEAR(std::atof(m["format.duration"].c_str()), 1.0, 0.1);
  }
}

TEST_F(WmaRun, ManualParametersAndOneChannelPicked) {
  const int row = AddWav("s.wav", 48000, 2, 1.5);
  settings.WMAAutoEncParam = 0;
  settings.WMASampleRate = 22050;
  settings.WMABitRate = 32000;
  settings.WMAChannels = 1;
  settings.MonoType = kMonoRight;
  Convert(kFormatWma);
  ASSERT_EQ(Output(row), "s.wma");
  auto p = test::ProbeFile(OutPath("s.wma"));
  EXPECT_EQ(p["stream0.sample_rate"], "22050");
  EXPECT_EQ(p["stream0.channels"], "1");
  EXPECT_EQ(p["stream0.bit_rate"], "32000");
  WmaDecoder d;
  ASSERT_TRUE(d.Open(OutPath("s.wma"), 0));
  test::DecodedAudio audio = test::ReadAll(d);
  // The right channel (880 Hz) was taken, not a mix.
  EXPECT_GT(test::ToneLevel(audio.left, 880, 22050), 0.3);
  EXPECT_LT(test::ToneLevel(audio.left, 440, 22050), 0.05);
}

TEST_F(WmaRun, MergeFeedsTheWriterAtTheMergeRate) {
  AddWav("a.wav", 22050, 1, 1.0);
  AddWav("b.wav", 44100, 2, 1.0);
  frontend.saveAnswer = OutPath("merged.wma");
  fs::create_directories(out);
  Convert(kFormatWma, true);
  ASSERT_TRUE(fs::exists(OutPath("merged.wma")));
  auto p = test::ProbeFile(OutPath("merged.wma"));
  EXPECT_EQ(p["stream0.codec_name"], "wmav2");
  EXPECT_EQ(p["stream0.sample_rate"], "44100");
  EXPECT_EQ(p["stream0.channels"], "2");
  EXPECT_NEAR(std::atof(p["format.duration"].c_str()), 2.0, 0.15);
}

TEST_F(WmaRun, ConvertedWmaTagsTransferToMp3) {
  const int row = AddWav("t.wav", 44100, 2, 1.0);
  Convert(kFormatWma);
  ASSERT_EQ(Output(row), "t.wma");
  const int wma = AddFile(OutPath("t.wma"));
  list.Select(wma);
  settings.ID3TagType = kTagTransfer;
  StartConversion(state, settings, FindFormatRow(rows, kFormatMp3), list, ItemSelection::Selected,
                  RunOutput::FilePerItem);
  ASSERT_EQ(Output(wma), "t.mp3");
  auto p = test::ProbeFile(OutPath("t.mp3"));
  EXPECT_EQ(p["format.tag.title"], "Custom Title");
  EXPECT_EQ(p["format.tag.artist"], "Custom Artist");
  EXPECT_EQ(p["format.tag.album"], "Custom Album");
  EXPECT_EQ(p["format.tag.genre"], "Jazz");
  EXPECT_EQ(p["format.tag.track"], "7");
  EXPECT_EQ(p["format.tag.composer"], "Writer");
  EXPECT_EQ(p["format.tag.copyright"], "(c) Us");
}

// An enumeration that finds no format at all.
class NoFormats : public WmCodecInfo {
 public:
  WmStatus GetCodecInfoCount(WmMajorType, uint32_t& count) override {
    count = 0;
    return WmStatus::kOk;
  }
  WmStatus GetCodecFormatCount(WmMajorType, uint32_t, uint32_t&) override {
    return WmStatus::kFailed;
  }
  WmStatus GetCodecFormatDesc(WmMajorType, uint32_t, uint32_t, WmStreamConfig&,
                              std::string&) override {
    return WmStatus::kFailed;
  }
};

TEST_F(WmaRun, NoFormatInTheListFailsEveryFile) {
  state.wmaFormats = MakeWmaFormats([] { return std::make_unique<NoFormats>(); });
  const int a = AddWav("a.wav", 44100, 2, 0.5);
  const int b = AddWav("b.wav", 8000, 1, 0.5);
  for (int id : {kFormatWma, kFormatWmv, kFormatAsf}) {
    Convert(id);
    EXPECT_EQ(Output(a), "Conversion Failure") << id;
    EXPECT_EQ(Output(b), "Conversion Failure") << id;
  }
  EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));
}

}  // namespace
}  // namespace sondrel
