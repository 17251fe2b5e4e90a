// The merge run with scripted readers and a recording writer.
#include <filesystem>

#include "decode/source_type.h"
#include "engine/merge_run.h"
#include "engine/run_fixture.h"
#include "platform/atomic_output.h"
#include "platform/paths.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::EncoderScript;
using test::FakeDecoderScript;

FakeDecoderScript Level(int rate, int channels, int64_t frames, int16_t level) {
  FakeDecoderScript s;
  s.sampleRate = rate;
  s.channels = channels;
  s.frames = frames;
  s.wave = FakeDecoderScript::Wave::Constant;  // left = level, right = -level
  s.amplitude = level;
  return s;
}

class MergeRun : public test::RunFixture {
 protected:
  void SetUp() override {
    fs::create_directories(out);
    frontend.saveAnswer = OutPath("all.mp3");
  }
};

TEST_F(MergeRun, MonoAndStereoAtTwoRatesBecomeOneStereoFile) {
  const int a = List(AddSource("a.wav", Level(22050, 1, 22050, 1000)), kSourceWav);
  const int b = List(AddSource("b.wav", Level(44100, 2, 44100, 2000)), kSourceWav);
  ConvertAll(kFormatMp3, true);
  EXPECT_EQ(frontend.saveRequests, (std::vector<std::string>{"mp3"}));
  ASSERT_EQ(logs.size(), 1u) << "one encoder for the run";
  test::EncoderLog& w = Writer(0);
  EXPECT_EQ(w.sampleRate, 44100);
  EXPECT_EQ(w.channels, 2);
  EXPECT_EQ(w.bitRate, 128000);
  EXPECT_TRUE(IsTemporaryOutputName(FileNameOf(w.path))) << w.path;  // renamed at the end
  EXPECT_TRUE(w.closed);
  EXPECT_EQ(Output(a), "all.mp3");
  EXPECT_EQ(Output(b), "all.mp3");
  EXPECT_EQ(Volume(b), "100.00%");
  // The mono part, doubled in rate (less what the filter holds back), comes
  // first on both channels; the stereo part follows unchanged.
  ASSERT_GT(w.left.size(), 44100u + 40000u);
  const size_t firstPart = w.left.size() - 44100;
  EXPECT_NEAR(static_cast<double>(firstPart), 44100.0, 2000.0);
  EXPECT_NEAR(w.left[firstPart / 2], 1000, 2);
  EXPECT_EQ(w.left[firstPart / 2], w.right[firstPart / 2]);
  EXPECT_EQ(w.left[firstPart + 10], 2000);
  EXPECT_EQ(w.right[firstPart + 10], -2000);
  EXPECT_EQ(frontend.shownInFolder, (std::vector<std::string>{OutPath("all.mp3")}));
}

TEST_F(MergeRun, RatesFromTheItemsBeforeTheFirstMidiFile) {
  state->loadDefaultSoundfont = [] { return 1; };
  {
    SCOPED_TRACE("a MIDI file first: 44100 Hz stereo");
    List(AddSource("a.mid", Level(44100, 2, 4410, 10)), kSourceMidi);
    List(AddSource("b.wav", Level(8000, 1, 800, 10)), kSourceWav);
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(logs.back()->sampleRate, 44100);
    EXPECT_EQ(logs.back()->channels, 2);
  }
  {
    SCOPED_TRACE("a MIDI file second: the first item's values");
    list = FileList();
    List(AddSource("c.wav", Level(16000, 1, 1600, 10)), kSourceWav);
    List(AddSource("d.mid", Level(44100, 2, 4410, 10)), kSourceMidi);
    List(AddSource("e.wav", Level(48000, 2, 4800, 10)), kSourceWav);
    frontend.saveAnswer = OutPath("two.mp3");
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(logs.back()->sampleRate, 16000);
    EXPECT_EQ(logs.back()->channels, 1);
  }
}

TEST_F(MergeRun, FailuresCancelAndTheOutputFile) {
  FakeDecoderScript cut = Level(44100, 2, 10 * 44100, 300);
  cut.failReadAfterFrames = 0;
  const int good = List(AddSource("good.wav", Level(44100, 2, 4410, 100)), kSourceWav);
  const int bad = List(AddSource("bad.wav", Level(44100, 2, 4410, 100)), kSourceWav);
  bassScripts[Item(bad).sourcePath] = cut;
  ffmpegScripts[Item(bad).sourcePath] = cut;
  {
    SCOPED_TRACE("a failed item leaves the samples before it");
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(Output(good), "all.mp3");
    EXPECT_EQ(Output(bad), "Conversion Failure");
    EXPECT_TRUE(Item(bad).targetPath.empty());
    EXPECT_EQ(Writer(0).left.size(), 4410u);
    EXPECT_TRUE(fs::exists(OutPath("all.mp3")));
  }
  struct Damage {
    const char* name;
    EncoderScript script;
  };
  const Damage damages[] = {{"a failed write", {false, 2000, false}},
                            {"a failed close", {false, -1, true}}};
  for (const Damage& d : damages) {
    SCOPED_TRACE(std::string(d.name) + ": no output, and every item failed");
    encoderScript = d.script;
    frontend.saveAnswer = OutPath("damaged.mp3");
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(Output(good), "Conversion Failure (Failed to write the output file)");
    EXPECT_EQ(Volume(good), "");
    EXPECT_EQ(Output(bad), d.script.closeFails
                               ? "Conversion Failure"
                               : "Conversion Failure (Failed to write the output file)");
    EXPECT_TRUE(Item(good).targetPath.empty());
    EXPECT_FALSE(fs::exists(OutPath("damaged.mp3")));
    encoderScript = {};
  }
  {
    SCOPED_TRACE("Cancel deletes the output");
    frontend.saveAnswer = OutPath("cancelled.mp3");
    frontend.onPump = [](test::MemoryFrontend& f) {
      if (!f.progress.empty() && f.pumps > 3) f.progress.back().cancel = true;
    };
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(Output(good), "Cancelled");
    EXPECT_FALSE(fs::exists(OutPath("cancelled.mp3")));
    frontend.onPump = nullptr;
  }
  {
    SCOPED_TRACE("the save dialog cancelled: nothing happens");
    logs.clear();
    frontend.saveAnswer.clear();
    ConvertAll(kFormatMp3, true);
    EXPECT_TRUE(logs.empty());
  }
  {
    SCOPED_TRACE("a source chosen as the output is refused and untouched");
    const std::string before = test::ReadFileBytes(Item(good).sourcePath);
    frontend.saveAnswer = Item(good).sourcePath;
    ConvertAll(kFormatMp3, true);
    EXPECT_TRUE(logs.empty());
    ASSERT_FALSE(frontend.messages.empty());
    EXPECT_EQ(frontend.messages.back().second, MessageIcon::Exclamation);
    EXPECT_EQ(test::ReadFileBytes(Item(good).sourcePath), before);
  }
  {
    SCOPED_TRACE("an encoder that does not open");
    encoderScript.openFails = true;
    frontend.saveAnswer = OutPath("x.mp3");
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(frontend.messages.back().first,
              "Failed to create file \"" + OutPath("x.mp3") + "\".");
    EXPECT_FALSE(fs::exists(OutPath("x.mp3")));
  }
  {
    SCOPED_TRACE("an output path that is a folder: refused, the folder stays");
    encoderScript = {};
    frontend.saveAnswer = out.string();
    ConvertAll(kFormatMp3, true);
    EXPECT_EQ(frontend.messages.back().first, "Failed to create file \"" + out.string() + "\".");
    EXPECT_TRUE(fs::is_directory(out));
  }
  {
    SCOPED_TRACE("nothing got in: no output left");
    encoderScript = {};
    list = FileList();
    List(AddSource("bad2.wav", cut), kSourceWav);
    frontend.saveAnswer = OutPath("empty.mp3");
    ConvertAll(kFormatMp3, true);
    EXPECT_FALSE(fs::exists(OutPath("empty.mp3")));
  }
  for (const auto& entry : fs::directory_iterator(out)) {
    EXPECT_FALSE(IsTemporaryOutputName(entry.path().filename().string())) << entry.path();
  }
}

TEST_F(MergeRun, OnlyTheCustomTag) {
  List(AddSource("a.flac", Level(44100, 2, 441, 1)), kSourceFlac);
  settings.ID3TagType = kTagCustom;
  settings.customTag.Title = "Ignored";
  settings.customTag.Album = "Album";
  settings.customTag.TrackNumType = kTrackSequence;
  ConvertAll(kFormatMp3, true);
  ASSERT_TRUE(Writer(0).tagsSet);
  EXPECT_EQ(Writer(0).tags[0], "") << "the title is the file name: none for a merge";
  EXPECT_EQ(Writer(0).tags[2], "Album");
  EXPECT_EQ(Writer(0).track, 0);

  settings.ID3TagType = kTagTransfer;
  frontend.saveAnswer = OutPath("b.mp3");
  ConvertAll(kFormatMp3, true);
  EXPECT_FALSE(Writer(1).tagsSet);
}

}  // namespace
}  // namespace sondrel
