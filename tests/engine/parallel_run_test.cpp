// The per-file run with several files converted at once: the same outputs
// and rows as one at a time on a mixed list of real files, outputs of one
// name kept apart, Cancel leaving nothing behind, and the progress window
// following the oldest unfinished file.
#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "decode/audio_engine.h"
#include "encode/format_catalogue.h"
#include "engine/messages.h"
#include "engine/parallel_items.h"
#include "platform/amr/amr.h"
#include "platform/audioengine/bass_midi.h"
#include "real_run_fixture.h"
#include "support/audio_fixtures.h"
#include "support/speech_signal.h"
#include "support/synth_fixtures.h"
#include "support/wm_fixtures.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

// What a run leaves: the rows' texts and every output file with its bytes.
struct RunRecord {
  std::map<int, std::string> output, volume;
  std::map<std::string, std::string> files;
};

std::string Tones(const std::string& path, int format, int rate, int channels, double seconds,
                  double amplitude) {
  const auto frames = static_cast<int64_t>(seconds * rate);
  EXPECT_TRUE(test::WriteSndfile16(path, format, rate, channels,
                                   test::Tone16(channels, frames, rate, amplitude)))
      << path;
  return path;
}

std::string AmrFile(const std::string& path) {
  const std::vector<int16_t> speech = test::SpeechLike(8000, 1.0);
  AmrEncodeHandle* amr = amrnbenc_init(path, 0, 7);
  EXPECT_TRUE(amr);
  for (size_t at = 0; amr && at + 160 <= speech.size(); at += 160) {
    amrnbenc_encode(amr, speech.data() + at);
  }
  EXPECT_TRUE(AmrEncodeFinish(amr));
  amrnbenc_quit(amr);
  return path;
}

class ParallelRun : public test::RealRunFixture {
 protected:
  void SetUp() override {
    if (!state.writers.ffmpeg) GTEST_SKIP() << "no FFmpeg writer in this build";
    test::EnsureAudioEngine();
    settings.BrowseOutputFolder = 0;
  }
  void TearDown() override { BASS_MIDI_StreamSetFonts(0, nullptr, 0); }

  // A soundfont for the MIDI files of the list.
  void InstallSoundfont() {
    const std::string font = dir.File("sine.sf2");
    test::WriteFileBytes(font, test::SineSoundfont());
    state.loadDefaultSoundfont = [font] {
      int soundFont = 0;
      LoadDefaultSoundfont(soundFont, {font});
      return soundFont;
    };
  }

  // 24 files of every kind of reader, with two of one name, one that is gone
  // by the time it is converted and one whose target exists already.
  void ListMixedFiles() {
    const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    fs::create_directories(dir.Path() / "one");
    fs::create_directories(dir.Path() / "two");
    const int rates[] = {8000, 11025, 22050, 32000, 44100};
    for (int i = 0; i < 5; ++i) {
      Add(Tones(dir.File("tone" + std::to_string(i) + ".wav"), wav, rates[i], 1 + i % 2,
                0.3 + 0.2 * i, 0.2 + 0.1 * i));
    }
    test::WriteFileBytes(dir.File("chord.mid"),
                         test::MidiFile(0, 480,
                                        {{{0, "\x90\x40\x50"},
                                          {0, "\x90\x47\x50"},
                                          {1440, std::string("\x80\x40\x00", 3)},
                                          {0, std::string("\x80\x47\x00", 3)}}}));
    Add(dir.File("chord.mid"));
    Add(Tones(dir.File("one/same.wav"), wav, 22050, 2, 0.8, 0.5));
    Add(Tones(dir.File("two/same.wav"), wav, 22050, 1, 0.4, 0.3));
    Add(Tones(dir.File("a.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 1.0, 0.6));
    Add(Tones(dir.File("b.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 1, 0.5, 0.9));
    Add(Tones(dir.File("c.aiff"), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 2, 0.7, 0.4));
    Add(Tones(dir.File("d.au"), SF_FORMAT_AU | SF_FORMAT_PCM_16, 8000, 1, 0.6, 0.4));
    Add(Tones(dir.File("e.ogg"), SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 0.8, 0.4));
    const std::vector<int16_t> music = test::Tone16(2, 44100, 44100, 0.4);
    ASSERT_TRUE(
        test::WriteWithFfmpegWriter(dir.File("f.mp3"), "mp3", kCodecMp3, 44100, 2, 128000, music));
    Add(dir.File("f.mp3"));
    ASSERT_TRUE(
        test::WriteWithFfmpegWriter(dir.File("g.m4a"), "ipod", kCodecAac, 44100, 2, 128000, music));
    Add(dir.File("g.m4a"));
    ASSERT_TRUE(test::WriteWmFixture(dir.File("h.wma"), test::WmFixture{}));
    Add(dir.File("h.wma"));
    Add(AmrFile(dir.File("i.amr")));
    test::WriteFileBytes(
        dir.File("j.mid"),
        test::MidiFile(0, 480, {{{0, "\x90\x45\x64"}, {960, std::string("\x80\x45\x00", 3)}}}));
    Add(dir.File("j.mid"));
    test::WriteFileBytes(dir.File("k.mod"), test::TinyMod("Tracker"));
    Add(dir.File("k.mod"));
    ASSERT_TRUE(test::WriteWav8(dir.File("l.wav"), 11025, 1, std::vector<uint8_t>(5000, 0xa0)));
    Add(dir.File("l.wav"));
    std::vector<int32_t> packed(22050 * 2);
    for (size_t i = 0; i < packed.size(); ++i) packed[i] = static_cast<int32_t>(i % 200) * 40;
    ASSERT_TRUE(test::WriteWavPack(dir.File("m.wv"), 22050, 2, 2, packed));
    Add(dir.File("m.wv"));
    Add(Tones(dir.File("gone.wav"), wav, 8000, 1, 0.5, 0.5));
    Add(Tones(dir.File("skipped.wav"), wav, 8000, 1, 0.5, 0.5));
    Add(Tones(dir.File("last.wav"), wav, 48000, 2, 1.2, 0.7));
    ASSERT_EQ(list.RowCount(), 24);
    fs::remove(dir.File("gone.wav"));
  }

  // Converts the whole list with `jobs` at once into a fresh output folder.
  RunRecord RunWith(int jobs, int format, const std::string& folder) {
    frontend = test::MemoryFrontend();
    out = dir.Path() / folder;
    fs::create_directories(out);
    settings.DestSpecifiedFolder = out.string();
    settings.Jobs = jobs;
    const std::string skipped =
        (out / "skipped").string() + (format == kFormatWav ? ".wav" : ".flac");
    test::WriteFileBytes(skipped, "there before");
    Convert(format);
    RunRecord record;
    for (int row = 0; row < list.RowCount(); ++row) {
      record.output[row] = frontend.Row(row, ListColumn::Output);
      record.volume[row] = frontend.Row(row, ListColumn::Volume);
    }
    for (const auto& entry : fs::directory_iterator(out)) {
      record.files[entry.path().filename().string()] = test::ReadFileBytes(entry.path().string());
    }
    return record;
  }
};

TEST_F(ParallelRun, FourAtOnceGiveWhatOneAtATimeGives) {
  struct Case {
    const char* name;
    int format;
    int volumeType;
  };
  const Case cases[] = {
      {"WAV, normalised", kFormatWav, kVolumeNormalize},
      {"FLAC with the sequence as track number", kFormatFlac, kVolumeManual},
  };
  InstallSoundfont();
  ListMixedFiles();
  settings.TargetExistsOpt = kTargetSkip;
  settings.ID3TagType = kTagCustom;
  settings.customTag.TrackNumType = kTrackSequence;
  settings.customTag.Artist = "Someone";
  settings.Volume = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.VolumeType = c.volumeType;
    const RunRecord one = RunWith(1, c.format, std::string("one-") + c.name);
    const RunRecord four = RunWith(4, c.format, std::string("four-") + c.name);
    EXPECT_EQ(four.output, one.output);
    EXPECT_EQ(four.volume, one.volume);
    std::vector<std::string> names, namesOne;
    for (const auto& [name, bytes] : four.files) names.push_back(name);
    for (const auto& [name, bytes] : one.files) namesOne.push_back(name);
    EXPECT_EQ(names, namesOne);
    for (const auto& [name, bytes] : one.files) {
      const auto it = four.files.find(name);
      ASSERT_TRUE(it != four.files.end()) << name;
      // The tracker reader dithers at random: its outputs differ in the
      // lowest bits from run to run, whatever the number of jobs.
      if (name.rfind("k.", 0) == 0) {
        if (c.format == kFormatWav) {
          EXPECT_EQ(it->second.size(), bytes.size()) << name;
        }
        continue;
      }
      EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
    const std::string ext = c.format == kFormatWav ? ".wav" : ".flac";
    // The two of one name in list order; the rows that did not convert.
    EXPECT_EQ(one.output.at(6), "same" + ext);
    EXPECT_EQ(one.output.at(7), "same_1" + ext);
    EXPECT_EQ(one.output.at(21),
              std::string(kConversionFailureStatus) + " (" + kSourceMissingNote + ")");
    EXPECT_EQ(one.output.at(22), kTargetSkippedText);
    EXPECT_EQ(one.files.size(), 23u) << "every file but the one that is gone";
  }
}

TEST_F(ParallelRun, TwoOfOneNameUnderEachPolicyAndJobCount) {
  struct Case {
    const char* name;
    int policy;
    bool existedBefore;
    std::vector<std::string> outputs;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"rename", kTargetRename, false, {"x.wav", "x_1.wav"}, {"x.wav", "x_1.wav"}},
      {"overwrite", kTargetOverwrite, false, {"x.wav", "x_1.wav"}, {"x.wav", "x_1.wav"}},
      {"overwrite, x.wav there",
       kTargetOverwrite,
       true,
       {"x.wav", "x_1.wav"},
       {"x.wav", "x_1.wav"}},
      {"skip", kTargetSkip, false, {"x.wav", "x_1.wav"}, {"x.wav", "x_1.wav"}},
      {"skip, x.wav there", kTargetSkip, true, {kTargetSkippedText, kTargetSkippedText}, {"x.wav"}},
  };
  fs::create_directories(dir.Path() / "a");
  fs::create_directories(dir.Path() / "b");
  // Different lengths: each output shows whose it is.
  const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  const std::string a = Tones(dir.File("a/x.wav"), wav, 8000, 1, 1.0, 0.5);
  const std::string b = Tones(dir.File("b/x.wav"), wav, 8000, 1, 2.0, 0.5);
  for (const int jobs : {1, 4}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(jobs) + " at once");
      list = FileList();
      frontend = test::MemoryFrontend();
      fs::remove_all(out);
      fs::create_directories(out);
      if (c.existedBefore) test::WriteFileBytes((out / "x.wav").string(), "before");
      settings.TargetExistsOpt = c.policy;
      settings.Jobs = jobs;
      Add(a);
      Add(b);
      Convert(kFormatWav);
      EXPECT_EQ((std::vector<std::string>{Output(0), Output(1)}), c.outputs);
      std::vector<std::string> files;
      for (const auto& entry : fs::directory_iterator(out)) {
        files.push_back(entry.path().filename().string());
      }
      std::sort(files.begin(), files.end());
      EXPECT_EQ(files, c.files);
      if (c.outputs[0] == "x.wav") {
        SF_INFO info{};
        SNDFILE* f = sf_open((out / "x.wav").c_str(), SFM_READ, &info);
        ASSERT_TRUE(f);
        sf_close(f);
        EXPECT_EQ(info.frames, 8000) << "the first listed file has the name";
      }
    }
  }
}

TEST_F(ParallelRun, CancelStopsEveryWorkerAndLeavesNoTemporary) {
  const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  for (int i = 0; i < 8; ++i) {
    Add(Tones(dir.File("long" + std::to_string(i) + ".wav"), wav, 44100, 2, 20.0, 0.5));
  }
  settings.Jobs = 4;
  settings.TargetExistsOpt = kTargetOverwrite;
  test::WriteFileBytes((out / "long0.flac").string(), "the old file");
  // Cancel once the first file is a tenth converted.
  frontend.onPump = [](test::MemoryFrontend& f) {
    if (f.progress.empty()) return;
    for (const std::string& text : f.progress.back().upperTexts) {
      if (text.rfind("[10%] Converting", 0) == 0) f.progress.back().cancel = true;
    }
  };
  Convert(kFormatFlac);
  // A row shows its output only when that file is complete; a cancelled or
  // unstarted row leaves nothing, and no hidden temporary remains.
  std::vector<std::string> expected;
  int cancelled = 0;
  for (int row = 0; row < 8; ++row) {
    const std::string name = "long" + std::to_string(row) + ".flac";
    if (Output(row) == name) {
      expected.push_back(name);
      EXPECT_GT(fs::file_size(out / name), 1000u) << name;
    } else {
      EXPECT_TRUE(Output(row).empty() || Output(row) == kCancelledStatus) << Output(row);
      cancelled += Output(row) == kCancelledStatus;
      if (row == 0) expected.push_back(name);
    }
  }
  EXPECT_EQ(Output(0), kCancelledStatus);
  EXPECT_GE(cancelled, 1);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(out)) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected) << "no temporary, no partial file";
  EXPECT_EQ(test::ReadFileBytes((out / "long0.flac").string()), "the old file");
  EXPECT_TRUE(frontend.shownInFolder.empty());
}

TEST_F(ParallelRun, TheWindowFollowsTheOldestUnfinishedFile) {
  const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  // The first file is long, the others short: they finish while it runs.
  Add(Tones(dir.File("first.wav"), wav, 44100, 2, 3.0, 0.5));
  for (int i = 0; i < 5; ++i) {
    Add(Tones(dir.File("short" + std::to_string(i) + ".wav"), wav, 8000, 1, 0.2, 0.5));
  }
  settings.Jobs = 2;
  settings.BrowseOutputFolder = 1;
  Convert(kFormatFlac);
  ASSERT_EQ(frontend.progress.size(), 1u);
  const test::MemoryProgress& window = frontend.progress[0];
  for (const std::string& text : window.upperTexts) {
    EXPECT_EQ(text.find("short"), std::string::npos) << text << " shown before first.wav ended";
    if (text == "[100%] Converting first.wav...") break;
  }
  EXPECT_EQ(window.lowerPos, 6) << "the run bar counts finished files";
  EXPECT_EQ(window.lowerText.rfind("Converting 6 of 6 file(s) to ", 0), 0u) << window.lowerText;
  EXPECT_EQ(frontend.shownInFolder, std::vector<std::string>{(out / "first.flac").string()});
}

TEST(JobCount, OneToSixtyFourAndNeverMoreThanTheItems) {
  struct Case {
    const char* name;
    int jobs, items, expected;
  };
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const Case cases[] = {
      {"one", 1, 10, 1},
      {"four", 4, 10, 4},
      {"fewer items", 8, 3, 3},
      {"no items", 4, 0, 1},
      {"at most 64", 100, 200, 64},
      {"0: the cores", 0, 1000, std::min(cores, 64)},
      {"negative: the cores", -3, 1000, std::min(cores, 64)},
  };
  for (const Case& c : cases) EXPECT_EQ(JobCount(c.jobs, c.items), c.expected) << c.name;
}

}  // namespace
}  // namespace sondrel
