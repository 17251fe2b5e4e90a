// Runs over damaged and odd sources: damage in the middle of a compressed
// file, a file cut off, a chained Ogg file whose links change rate, PCM named
// .dts and DTS carried in PCM, sources that are pipes, and the bounded loop
// that converts randomly damaged files under the sanitizers.
#include <sndfile.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "decode/source_type.h"
#include "platform/file.h"
#include "real_run_fixture.h"
#include "support/audio_fixtures.h"
#include "support/damaged_files.h"
#include "support/scoped_env.h"
#include "support/wm_fixtures.h"

// libsndfile (1.2.0) leaks the vorbis_info of an Ogg file whose headers it
// rejects (damaged Ogg files reach it as the audio engine's fallback); the
// fast unwinder stops inside libvorbis, so the suppression names the call.
extern "C" const char* __lsan_default_suppressions() { return "leak:vorbis_info_init\n"; }

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::Family;

class DamagedInputs : public test::RealRunFixture {
 protected:
  DamagedInputs() { test::EnsureAudioEngine(); }

  // Lists `path`, converts it to WAV and returns its output's length in
  // seconds; -1 when the item failed (then nothing may be at the target).
  double ConvertToWav(const std::string& path) {
    fs::remove_all(out);
    fs::create_directories(out);
    list = FileList{};
    const int row = Add(path);
    Convert(kFormatWav);
    const std::string target = (out / fs::path(path).stem()).string() + ".wav";
    if (Output(row) != fs::path(target).filename().string()) {
      EXPECT_FALSE(fs::exists(target)) << Output(row);
      return -1;
    }
    return test::ReadSound(target).Seconds();
  }
};

TEST_F(DamagedInputs, DamageInTheMiddleKeepsWhatDecodes) {
  struct Case {
    const char* name;
    Family family;
    bool cut;  // cut off at the midpoint instead of scribbled over
    double shortest, longest;
  };
  // ffmpeg decodes 19.6 to 19.9 s of the scribbled FLAC, MP3, WavPack and M4A.
  const Case cases[] = {
      {"FLAC scribbled", Family::Flac, false, 19.5, 20.0},
      {"MP3 scribbled", Family::Mp3, false, 19.5, 20.1},
      // Whole Ogg pages of about 0.2 s are lost: ffmpeg decodes 19.0 s.
      {"Ogg scribbled", Family::Ogg, false, 18.8, 20.0},
      {"WavPack scribbled", Family::WavPack, false, 19.5, 20.0},
      {"M4A scribbled", Family::M4a, false, 19.5, 20.0},
      {"FLAC cut off", Family::Flac, true, 9.5, 10.5},
      {"MP3 cut off", Family::Mp3, true, 9.5, 10.5},
      {"WavPack cut off", Family::WavPack, true, 9.5, 10.5},
  };
  std::mt19937 random(17);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path =
        dir.File(std::string(c.cut ? "cut" : "damaged") + test::ExtensionOf(c.family));
    ASSERT_TRUE(test::WriteFamilyFile(path, c.family, 20.0));
    std::string bytes = test::ReadFileBytes(path);
    if (c.cut) {
      bytes.resize(bytes.size() / 2);
    } else {
      test::Scribble(bytes, bytes.size() / 2, 4000, random);
    }
    test::WriteFileBytes(path, bytes);
    const double seconds = ConvertToWav(path);
    EXPECT_GE(seconds, c.shortest) << "ffmpeg decodes " << test::FfmpegSeconds(path);
    EXPECT_LE(seconds, c.longest);
  }
}

TEST_F(DamagedInputs, ChainedOggLinksAtAnotherRateKeepTheirLength) {
  const std::string first = dir.File("first.ogg");
  const std::string second = dir.File("second.ogg");
  ASSERT_TRUE(test::WriteWithFfmpegWriter(first, "ogg", kCodecVorbis, 44100, 2, 128000,
                                          test::Tone16(2, 3 * 44100, 44100)));
  ASSERT_TRUE(test::WriteWithFfmpegWriter(second, "ogg", kCodecVorbis, 8000, 1, 32000,
                                          test::Tone16(1, 3 * 8000, 8000)));
  const std::string chain = dir.File("chain.ogg");
  test::WriteFileBytes(chain, test::ReadFileBytes(first) + test::ReadFileBytes(second));
  const double seconds = ConvertToWav(chain);
  EXPECT_NEAR(seconds, 6.0, 0.1);
  EXPECT_EQ(test::ReadSound(dir.File("out/chain.wav")).rate, 44100);
}

TEST_F(DamagedInputs, PcmNamedDtsIsConvertedAsWhatItIs) {
  // DTS made by ffmpeg's encoder, carried as the samples of a WAV file.
  const std::string stream = dir.File("stream.dts");
  ASSERT_TRUE(test::RunFfmpeg("-f lavfi -i sine=f=440:d=3:r=44100 -ac 2 -c:a dca -strict -2 " +
                              test::Quoted(stream)));
  std::string dts = test::ReadFileBytes(stream);
  dts.resize((dts.size() + 3) / 4 * 4, '\0');
  std::vector<int16_t> carried(dts.size() / 2);
  std::memcpy(carried.data(), dts.data(), dts.size());
  ASSERT_TRUE(test::WriteSndfile16(dir.File("dts-in-wav.dts"), SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                   44100, 2, carried));
  ASSERT_TRUE(test::WriteSndfile16(dir.File("riff.dts"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                                   test::Tone16(2, 3 * 44100, 44100)));
  struct Case {
    const char* name;
    std::string file;
  };
  const Case cases[] = {{"a WAV file renamed .dts", "riff.dts"},
                        {"DTS carried in a WAV file", "dts-in-wav.dts"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(ConvertToWav(dir.File(c.file)), 3.0, 0.1);
    // Both carry a tone below half scale; noise would reach full scale.
    const int peak = test::Peak(
        test::ReadSound(dir.File("out/" + c.file.substr(0, c.file.size() - 4) + ".wav")).samples);
    EXPECT_GT(peak, 2000);
    EXPECT_LT(peak, 17000);
  }
}

TEST_F(DamagedInputs, CdAudioWithDtsDecodingOnIsConvertedAsAudio) {
  const std::string cue =
      test::WriteCdImage(dir.Path().string(), "disc", {test::Tone16(2, 3 * 44100, 44100)});
  const std::string cda = dir.File("Track01.cda");
  test::WriteFileBytes(cda, test::CdaFile(1, 0, 3 * 75));
  test::ScopedEnv device("SONDREL_CD_DEVICE", cue.c_str());
  settings.EnableDTSForCDA = 1;
  EXPECT_NEAR(ConvertToWav(cda), 3.0, 0.05);
}

TEST_F(DamagedInputs, PipesAreNeverOpened) {
  for (const char* extension : {".aiff", ".au", ".amr", ".ogg", ".wma", ".flac", ".dts"}) {
    SCOPED_TRACE(extension);
    const std::string pipe = dir.File(std::string("pipe") + extension);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    FileItem item;
    EXPECT_FALSE(ProbeFile(state.opener, pipe, item));
    EXPECT_EQ(state.opener.SourceProblem(), kNotRegularFile);
  }
}

// Damaged copies of valid files of every family, converted one after the
// other through the whole run: a file reported as converted must decode
// cleanly with ffmpeg, a failed one must leave nothing. Runs
// SONDREL_DAMAGE_SECONDS seconds (a few files when unset).
TEST_F(DamagedInputs, RandomDamageNeverGivesABrokenOutput) {
  const Family families[] = {Family::Flac, Family::Mp3, Family::Ogg, Family::WavPack, Family::M4a};
  std::vector<std::string> originals;
  for (Family family : families) {
    originals.push_back(test::ReadFileBytes([&] {
      const std::string path = dir.File(std::string("valid") + test::ExtensionOf(family));
      EXPECT_TRUE(test::WriteFamilyFile(path, family, 2.0));
      return path;
    }()));
  }
  const char* limit = std::getenv("SONDREL_DAMAGE_SECONDS");
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::seconds(limit ? std::atoi(limit) : 0);
  const int formats[] = {kFormatWav, kFormatMp3, kFormatFlac, kFormatM4a};
  std::mt19937 random(limit ? static_cast<unsigned>(std::time(nullptr)) : 5u);
  int runs = 0, converted = 0;
  for (; runs < 10 || std::chrono::steady_clock::now() < until; ++runs) {
    const size_t which = random() % originals.size();
    std::string bytes = originals[which];
    const int hits = 1 + static_cast<int>(random() % 4);
    for (int h = 0; h < hits; ++h) {
      const size_t at = random() % bytes.size();
      test::Scribble(bytes, at, 1 + random() % 2000, random);
    }
    if (random() % 5 == 0) bytes.resize(random() % bytes.size());
    const std::string source = dir.File(std::string("run") + test::ExtensionOf(families[which]));
    test::WriteFileBytes(source, bytes);
    SCOPED_TRACE("run " + std::to_string(runs) + ", seed bytes kept in " + source);

    fs::remove_all(out);
    fs::create_directories(out);
    list = FileList{};
    FileItem item;
    if (!ProbeFile(state.opener, source, item)) continue;
    const int row = list.Add(item);
    const int format = formats[random() % std::size(formats)];
    Convert(format);
    std::vector<fs::path> outputs;
    for (const auto& entry : fs::directory_iterator(out)) outputs.push_back(entry.path());
    if (outputs.empty()) continue;  // failed, and nothing was left
    ++converted;
    ASSERT_EQ(outputs.size(), 1u);
    ASSERT_EQ(Output(row), outputs[0].filename().string()) << "a failed item left a file";
    ASSERT_EQ(test::FfmpegDecodeErrors(outputs[0].string()), "")
        << "converted from a damaged " << test::ExtensionOf(families[which]);
  }
  std::printf("damaged-stream runs: %d, converted: %d\n", runs, converted);
}

}  // namespace
}  // namespace sondrel
