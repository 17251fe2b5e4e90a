// The runs on real files: WAV sources written with libsndfile, converted by
// the program's own readers and writers, read back and compared.
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "decode/ffmpeg_decoder.h"
#include "encode/format_catalogue.h"
#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/settings.h"
#include "real_run_fixture.h"
#include "support/av_fixture.h"
#include "support/fake_decoder.h"
#include "support/memory_frontend.h"
#include "support/small_fs.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

// A WAV file whose channels carry tones of the given frequencies.
std::string WriteTones(const std::string& path, int rate, const std::vector<double>& freqs,
                       double seconds) {
  SF_INFO info = {};
  info.samplerate = rate;
  info.channels = static_cast<int>(freqs.size());
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_TRUE(f) << sf_strerror(nullptr);
  const int frames = static_cast<int>(rate * seconds);
  std::vector<short> data(static_cast<size_t>(frames) * freqs.size());
  for (int i = 0; i < frames; ++i) {
    for (size_t c = 0; c < freqs.size(); ++c) {
      data[static_cast<size_t>(i) * freqs.size() + c] =
          static_cast<short>(10000 * std::sin(2 * std::numbers::pi * freqs[c] * i / rate));
    }
  }
  sf_writef_short(f, data.data(), frames);
  sf_close(f);
  return path;
}

struct Wav {
  int rate = 0, channels = 0;
  std::vector<short> samples;  // interleaved
};

Wav ReadWav(const std::string& path) {
  Wav w;
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return w;
  w.rate = info.samplerate;
  w.channels = info.channels;
  w.samples.resize(static_cast<size_t>(info.frames * info.channels));
  sf_readf_short(f, w.samples.data(), info.frames);
  sf_close(f);
  return w;
}

class RealFiles : public test::RealRunFixture {
 protected:
  void SetUp() override {
    if (!state.writers.ffmpeg) GTEST_SKIP() << "no FFmpeg writer in this build";
  }
};

TEST_F(RealFiles, WavToWavIsExact) {
  const std::string source = WriteTones(dir.File("a.wav"), 32000, {500, 1500}, 1.0);
  const std::string before = test::ReadFileBytes(source);
  const int row = Add(source);
  Convert(kFormatWav);
  ASSERT_EQ(Output(row), "a.wav");
  const Wav in = ReadWav(source), result = ReadWav((out / "a.wav").string());
  EXPECT_EQ(result.rate, 32000);
  EXPECT_EQ(result.channels, 2);
  EXPECT_EQ(result.samples, in.samples);
  EXPECT_EQ(test::ReadFileBytes(source), before) << "the source is never touched";
}

TEST_F(RealFiles, MergeMonoAndStereoIntoStereoMp3) {
  const int a = Add(WriteTones(dir.File("a.wav"), 22050, {440}, 1.0));
  const int b = Add(WriteTones(dir.File("b.wav"), 44100, {1000, 2500}, 1.0));
  frontend.saveAnswer = (out / "both.mp3").string();
  Convert(kFormatMp3, true);
  ASSERT_EQ(Output(a), "both.mp3");
  ASSERT_EQ(Output(b), "both.mp3");

  FfmpegDecoder decoder;
  ASSERT_TRUE(decoder.Open(frontend.saveAnswer, 0));
  EXPECT_EQ(decoder.GetSampleRate(), 44100);
  EXPECT_EQ(decoder.GetOutputChannels(), 2);
  const test::DecodedAudio audio = test::ReadAll(decoder);
  ASSERT_NEAR(static_cast<double>(audio.left.size()), 88200.0, 5000.0);
  // Look at the middle of each half, away from the joint and the edges.
  auto slice = [](const std::vector<int16_t>& s, size_t from) {
    return std::vector<int16_t>(s.begin() + static_cast<long>(from),
                                s.begin() + static_cast<long>(from + 22050));
  };
  const auto firstL = slice(audio.left, 11025), firstR = slice(audio.right, 11025);
  const auto secondL = slice(audio.left, 55000), secondR = slice(audio.right, 55000);
  EXPECT_GT(test::ToneLevel(firstL, 440, 44100), 0.2) << "the mono part on the left";
  EXPECT_GT(test::ToneLevel(firstR, 440, 44100), 0.2) << "and on the right";
  EXPECT_LT(test::ToneLevel(firstL, 1000, 44100), 0.02);
  EXPECT_GT(test::ToneLevel(secondL, 1000, 44100), 0.2) << "the stereo part follows";
  EXPECT_GT(test::ToneLevel(secondR, 2500, 44100), 0.2);
  EXPECT_LT(test::ToneLevel(secondL, 440, 44100), 0.02);
}

// A small file system that fills up: a 64 KiB tmpfs where the tests may
// mount one (root with the capability); skipped elsewhere.
TEST_F(RealFiles, FullDiskLeavesNoPartialFileAndTheRunGoesOn) {
  const fs::path small = dir.Path() / "small";
  test::SmallFileSystem disk(small.string(), 64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here";
  settings.DestSpecifiedFolder = small.string();
  // One after the other: the tiny file is written once the big one is gone.
  settings.Jobs = 1;
  const int big = Add(WriteTones(dir.File("big.wav"), 44100, {440, 660}, 2.0));
  const int tiny = Add(WriteTones(dir.File("tiny.wav"), 8000, {440}, 0.5));
  Convert(kFormatWav);
  const std::string bigOut = Output(big);
  const std::string tinyOut = Output(tiny);
  const bool bigLeft = fs::exists(small / "big.wav");
  const bool tinyThere = fs::exists(small / "tiny.wav");
  EXPECT_EQ(bigOut, "Conversion Failure (Failed to write the output file)");
  EXPECT_FALSE(bigLeft) << "no partial output";
  EXPECT_EQ(tinyOut, "tiny.wav") << "the run goes on";
  EXPECT_TRUE(tinyThere);
}

}  // namespace
}  // namespace sondrel

namespace sondrel {
namespace {

// A WAV source whose reader gives no tags: the run reads its LIST/INFO chunk
// and carries the texts into the output.
TEST_F(RealFiles, WavInfoTagsTransferWhenTheReaderHasNone) {
  const std::string source = dir.File("tagged.wav");
  {
    SF_INFO info = {};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(source.c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(f);
    sf_set_string(f, SF_STR_TITLE, "Info Title");
    sf_set_string(f, SF_STR_ARTIST, "Info Artist");
    std::vector<short> silence(44100, 100);
    sf_writef_short(f, silence.data(), 44100);
    sf_close(f);
  }
  const int row = Add(source);
  test::FakeDecoderScript noTags;
  noTags.channels = 1;
  state.openerSetup->readers.bass = test::FakeFactory(noTags, "untagged", nullptr);
  settings.ID3TagType = kTagTransfer;
  Convert(kFormatMp3);
  ASSERT_EQ(Output(row), "tagged.mp3");
  FfmpegDecoder decoder;
  ASSERT_TRUE(decoder.Open((out / "tagged.mp3").string(), 0));
  TagInfo tags;
  ASSERT_TRUE(decoder.GetTags(tags));
  EXPECT_EQ(tags.title, "Info Title");
  EXPECT_EQ(tags.artist, "Info Artist");
}

}  // namespace
}  // namespace sondrel
