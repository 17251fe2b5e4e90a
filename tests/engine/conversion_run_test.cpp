// The per-file run with scripted readers and a recording writer.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "decode/source_type.h"
#include "engine/conversion_run.h"
#include "engine/run_fixture.h"
#include "platform/atomic_output.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::FakeDecoderScript;

FakeDecoderScript Tone(int rate, int channels, int64_t frames) {
  FakeDecoderScript s;
  s.sampleRate = rate;
  s.channels = channels;
  s.frames = frames;
  return s;
}

FakeDecoderScript Constant(int rate, int channels, int64_t frames, int16_t level) {
  FakeDecoderScript s = Tone(rate, channels, frames);
  s.wave = FakeDecoderScript::Wave::Constant;  // left = level, right = -level
  s.amplitude = level;
  return s;
}

class ConversionRun : public test::RunFixture {};

TEST_F(ConversionRun, AutomaticAndManualParametersPerFamily) {
  const int mono22 = List(AddSource("mono22.wav", Tone(22050, 1, 22050)), kSourceWav);
  const int stereo48 = List(AddSource("stereo48.wav", Tone(48000, 2, 4800)), kSourceWav);
  {
    SCOPED_TRACE("MP3, automatic: source rate and channels kept, bit rate from the table");
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(mono22), "mono22.mp3");
    EXPECT_EQ(Writer(0).sampleRate, 22050);
    EXPECT_EQ(Writer(0).channels, 1);
    EXPECT_EQ(Writer(0).bitRate, 48000);
    const auto* params = std::get_if<FfmpegFormatParams>(&Writer(0).params);
    ASSERT_TRUE(params);
    EXPECT_EQ(params->muxerName, "mp3");
    EXPECT_EQ(params->codecId, kCodecMp3);
    EXPECT_EQ(Writer(1).sampleRate, 48000);
    EXPECT_EQ(Writer(1).channels, 2);
    EXPECT_EQ(Writer(1).bitRate, 192000);
  }
  logs.clear();
  {
    SCOPED_TRACE("MP3, manual: 32000 Hz, bit rate 100000 snapped to 96000, mono");
    FormatRow& mp3 = Row(kFormatMp3);
    mp3.AutoEncParam = 0;
    mp3.SampleRate = 30000;
    mp3.BitRate = 100000;
    mp3.Channels = 1;
    settings.MonoType = kMonoLeft;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Writer(1).sampleRate, 32000);
    EXPECT_EQ(Writer(1).bitRate, 96000);
    EXPECT_EQ(Writer(1).channels, 1);
    EXPECT_TRUE(Writer(1).right.empty());
    // 4800 frames at 48000 Hz become about 3200 at 32000 Hz.
    EXPECT_NEAR(static_cast<double>(Writer(1).left.size()), 3200.0, 200.0);
  }
  logs.clear();
  {
    SCOPED_TRACE("a stereo-only codec entry makes a mono source stereo (FLV with AAC)");
    FormatRow& flv = Row(kFormatFlv);
    flv.CodecID = kCodecAac;  // entry 5: 44100 Hz, stereo only
    ConvertAll(kFormatFlv);
    EXPECT_EQ(Writer(0).sampleRate, 44100);
    EXPECT_EQ(Writer(0).channels, 2);
    ASSERT_FALSE(Writer(0).left.empty());
    EXPECT_EQ(Writer(0).left, Writer(0).right) << "one channel written to both";
  }
  logs.clear();
  {
    SCOPED_TRACE("AMR narrow band: mono at 8000 Hz with the stored modes");
    settings.AMRMode = 3;
    settings.AMRDTX = 1;
    ConvertAll(kFormatAmr);
    const auto* params = std::get_if<AmrFormatParams>(&Writer(1).params);
    ASSERT_TRUE(params);
    EXPECT_EQ(params->narrowBand, 1);
    EXPECT_EQ(params->dtx, 1);
    EXPECT_EQ(params->nbMode, 3);
    EXPECT_EQ(Writer(1).sampleRate, -1) << "the AMR writer gets SetFormat only";
    EXPECT_NEAR(static_cast<double>(Writer(1).left.size()), 800.0, 100.0);
  }
  logs.clear();
  {
    SCOPED_TRACE("Windows Media with no format in the list fails every file");
    state->openerSetup->isMediaRuntimeLoaded = [] { return 1; };
    ConvertAll(kFormatWma);
    EXPECT_EQ(Output(mono22), "Conversion Failure");
    EXPECT_EQ(Output(stereo48), "Conversion Failure");
    EXPECT_TRUE(logs.empty());
    EXPECT_FALSE(fs::exists(OutPath("mono22.wma")));
  }
}

TEST_F(ConversionRun, TrimAndLimit) {
  // One second of constant samples after a ramp-free tone: skip 250 ms, keep
  // 500 ms, all at the source rate.
  const int row = List(AddSource("a.wav", Tone(8000, 1, 16000)), kSourceWav);
  settings.EnableSkipLength = 1;
  settings.SkipLength = 250;
  settings.EnableConvertLength = 1;
  settings.ConvertLength = 500;
  ConvertAll(kFormatWav);
  EXPECT_EQ(Output(row), "a.wav");
  EXPECT_EQ(Writer(0).left.size(), 4000u);
  test::FakeDecoder reference(bassScripts.begin()->second);
  EXPECT_EQ(Writer(0).left[0], reference.SampleAt(2000, 0)) << "starts after the skip";
}

TEST_F(ConversionRun, MonoPickAndAverage) {
  const int row = List(AddSource("s.wav", Constant(44100, 2, 2000, 1001)), kSourceWav);
  FormatRow& wav = Row(kFormatWav);
  wav.AutoEncParam = 0;
  wav.Channels = 1;
  wav.SampleRate = 0;
  const std::pair<int, int16_t> cases[] = {{kMonoLeft, 1001}, {kMonoRight, -1001}, {kMonoMix, 0}};
  for (const auto& [monoType, expected] : cases) {
    SCOPED_TRACE(testing::Message() << "MonoType " << monoType);
    logs.clear();
    settings.MonoType = monoType;
    settings.TargetExistsOpt = kTargetOverwrite;
    ConvertAll(kFormatWav);
    EXPECT_EQ(Output(row), "s.wav");
    ASSERT_FALSE(Writer(0).left.empty());
    EXPECT_EQ(Writer(0).channels, 1);
    EXPECT_EQ(Writer(0).left[100], expected);
  }
}

TEST_F(ConversionRun, VolumeColumn) {
  FakeDecoderScript square = Tone(44100, 2, 44100);
  square.wave = FakeDecoderScript::Wave::Square;
  square.amplitude = 8192;
  const int row = List(AddSource("q.wav", square), kSourceWav);
  settings.TargetExistsOpt = kTargetOverwrite;
  {
    SCOPED_TRACE("normalise: the peak touches full scale");
    settings.VolumeType = kVolumeNormalize;
    ConvertAll(kFormatWav);
    EXPECT_EQ(Volume(row), "399.99%");  // 32767 / 8192
    EXPECT_EQ(*std::max_element(Writer(0).left.begin(), Writer(0).left.end()), 32767);
    EXPECT_EQ(frontend.Row(row, ListColumn::Output), "q.wav");
  }
  {
    SCOPED_TRACE("manual 100% applies nothing");
    settings.VolumeType = kVolumeManual;
    settings.Volume = 100;
    ConvertAll(kFormatWav);
    EXPECT_EQ(Volume(row), "100.00%");
    EXPECT_EQ(*std::max_element(Writer(1).left.begin(), Writer(1).left.end()), 8192);
  }
  {
    SCOPED_TRACE("manual 50%");
    settings.Volume = 50;
    ConvertAll(kFormatWav);
    EXPECT_EQ(Volume(row), "50.00%");
    EXPECT_EQ(*std::max_element(Writer(2).left.begin(), Writer(2).left.end()), 4096);
  }
  {
    SCOPED_TRACE("a file at full scale is not normalised");
    bassScripts.begin()->second.amplitude = 32767;
    ffmpegScripts.begin()->second.amplitude = 32767;
    settings.VolumeType = kVolumeNormalize;
    ConvertAll(kFormatWav);
    EXPECT_EQ(Volume(row), "100.00%");
  }
}

TEST_F(ConversionRun, Tags) {
  FakeDecoderScript tagged = Tone(44100, 2, 4410);
  tagged.hasTags = true;
  tagged.tags = {"T", "Ar", "Al", "1999", "Rock", "C", "7/12", "Co", "(c)"};
  const int a = List(AddSource("a.flac", tagged), kSourceFlac);
  const int b = List(AddSource("b.wav", Tone(44100, 2, 4410)), kSourceWav);
  const int c = List(AddSource("c.name.mp3", Tone(44100, 2, 4410)), kSourceMp3);
  {
    SCOPED_TRACE("custom tag, titles from the file names, tracks in run order");
    settings.ID3TagType = kTagCustom;
    settings.customTag.Artist = "Someone";
    settings.customTag.TrackNumType = kTrackSequence;
    list.Select(a);
    list.Select(c);
    StartConversion(*state, settings, &Row(kFormatMp3), list, ItemSelection::Selected,
                    RunOutput::FilePerItem);
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(Writer(0).tags[0], "a");
    EXPECT_EQ(Writer(0).tags[1], "Someone");
    EXPECT_EQ(Writer(0).track, 1);
    EXPECT_EQ(Writer(1).tags[0], "c.name");
    EXPECT_EQ(Writer(1).track, 2) << "the second file of the run, from row " << c;
    EXPECT_EQ(Output(b), "") << "not selected";
  }
  logs.clear();
  {
    SCOPED_TRACE("transfer: the reader's tags, track as a number; none without tags");
    settings.ID3TagType = kTagTransfer;
    ConvertAll(kFormatOgg);
    ASSERT_EQ(logs.size(), 3u);
    EXPECT_TRUE(Writer(0).tagsSet);
    EXPECT_EQ(Writer(0).tags,
              (std::vector<std::string>{"T", "Ar", "Al", "Rock", "1999", "C", "Co", "(c)"}));
    EXPECT_EQ(Writer(0).track, 7);
    EXPECT_FALSE(Writer(1).tagsSet);
    EXPECT_FALSE(Writer(2).tagsSet);
  }
  {
    SCOPED_TRACE("formats that never carry tags");
    settings.ID3TagType = kTagCustom;
    for (int id : {kFormatWav, kFormatAiff, kFormatAu, kFormatVoc, kFormatMmf, kFormatAmr,
                   kFormatAwb, kFormatFlv, kFormatSwf}) {
      logs.clear();
      ConvertAll(id);
      ASSERT_FALSE(logs.empty()) << id;
      EXPECT_FALSE(Writer(0).tagsSet) << id;
    }
  }
}

TEST_F(ConversionRun, TargetPolicies) {
  const std::string source = AddSource("song.mp3", Tone(44100, 2, 4410));
  const int row = List(source, kSourceMp3);
  fs::create_directories(out);
  test::WriteFileBytes(OutPath("song.mp3"), "old");
  {
    SCOPED_TRACE("rename");
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "song_1.mp3");
    EXPECT_EQ(Item(row).targetPath, OutPath("song_1.mp3"));
  }
  {
    SCOPED_TRACE("skip");
    settings.TargetExistsOpt = kTargetSkip;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Target exists and skipped");
    EXPECT_TRUE(Item(row).targetPath.empty());
    EXPECT_EQ(test::ReadFileBytes(OutPath("song.mp3")), "old");
  }
  {
    SCOPED_TRACE("overwrite of the source itself is refused, the source untouched");
    settings.TargetExistsOpt = kTargetOverwrite;
    settings.DestOutputFolderOpt = kOutputSameAsSource;
    const std::string before = test::ReadFileBytes(source);
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row),
              "Target file name is same as original file that can't be overwritten. Please output "
              "files to a custom folder.");
    EXPECT_EQ(test::ReadFileBytes(source), before);
  }
}

TEST_F(ConversionRun, PerFileFailureTexts) {
  FakeDecoderScript noAudio;
  noAudio.openSucceeds = false;
  noAudio.hasAudio = 0;
  FakeDecoderScript halfway = Tone(44100, 2, 10 * 44100);
  halfway.failReadAfterFrames = 0;
  const int shortFile = List(AddSource("short.wav", Tone(44100, 2, 2 * 44100 + 22050)), kSourceWav);
  const int silent = List(AddSource("video.mp4", Tone(44100, 2, 100)), kSourceMp4);
  bassScripts[Item(silent).sourcePath] = noAudio;
  ffmpegScripts[Item(silent).sourcePath] = noAudio;
  const int empty = List(AddSource("empty.mp3", Tone(44100, 2, 100)), kSourceMp3);
  bassScripts[Item(empty).sourcePath] = halfway;
  ffmpegScripts[Item(empty).sourcePath] = halfway;
  const int gone = List(AddSource("gone.mp3", Tone(44100, 2, 100)), kSourceMp3);
  fs::remove(Item(gone).sourcePath);
  const int good = List(AddSource("good.mp3", Tone(44100, 2, 4410)), kSourceMp3);

  settings.EnableSkipLength = 1;
  settings.SkipLength = 2000;  // a file of 2.5 s counts as 2 whole seconds
  ConvertAll(kFormatMp3);
  EXPECT_EQ(Output(shortFile),
            "Conversion Failure (Length of the file is shorter than skipping length set at "
            "Options -> General)");
  EXPECT_EQ(frontend.outputColumnWidth, 500) << "widened for the note";
  EXPECT_EQ(Output(silent), "No audio in the file");
  EXPECT_EQ(Output(empty), "Conversion Failure");
  EXPECT_EQ(Output(gone), "Conversion Failure (The file no longer exists)");
  EXPECT_EQ(Output(good),
            "Conversion Failure (Length of the file is shorter than skipping length "
            "set at Options -> General)");
  for (const char* name : {"short.mp3", "video.mp3", "empty.mp3", "gone.mp3", "good.mp3"}) {
    EXPECT_FALSE(fs::exists(OutPath(name))) << name;
  }
  EXPECT_TRUE(frontend.shownInFolder.empty()) << "nothing converted, nothing to show";
  settings.EnableSkipLength = 0;
  ConvertAll(kFormatMp3);
  EXPECT_EQ(Output(good), "good.mp3");
  EXPECT_TRUE(fs::exists(OutPath("good.mp3")));
}

TEST_F(ConversionRun, RetryWithTheGeneralReader) {
  FakeDecoderScript broken = Tone(44100, 2, 4410);
  broken.failReadAfterFrames = 0;  // the type reader opens but delivers nothing
  const FakeDecoderScript fine = Tone(44100, 2, 4410);
  const int row = List(AddSource("x.mp3", broken, &fine), kSourceMp3);
  readerLog.clear();
  ConvertAll(kFormatWav);
  EXPECT_EQ(Output(row), "x.wav");
  EXPECT_EQ(readerLog, (std::vector<std::string>{"bass:open", "ffmpeg:open"}));
}

TEST_F(ConversionRun, BadOutputPlaces) {
  const int row = List(AddSource("a.wav", Tone(44100, 2, 4410)), kSourceWav);
  {
    SCOPED_TRACE("an output folder below a regular file");
    test::WriteFileBytes(dir.File("file"), "x");
    settings.DestSpecifiedFolder = dir.File("file") + "/sub";
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Failed to create folder \"" + dir.File("file") + "/sub\"");
  }
  {
    SCOPED_TRACE("a target that is a folder is left alone");
    settings.DestSpecifiedFolder = out.string();
    fs::create_directories(OutPath("a.mp3"));
    settings.TargetExistsOpt = kTargetOverwrite;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Failed to create file \"" + OutPath("a.mp3") + "\"");
    EXPECT_TRUE(fs::is_directory(OutPath("a.mp3")));
  }
  {
    SCOPED_TRACE("a write that fails halfway leaves nothing");
    settings.TargetExistsOpt = kTargetRename;
    encoderScript.failWriteAfterFrames = 2000;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Conversion Failure (Failed to write the output file)");
    EXPECT_FALSE(fs::exists(OutPath("a_1.mp3")));
  }
  {
    SCOPED_TRACE("a close that fails (the last flush on a full disk) leaves nothing");
    encoderScript = {};
    encoderScript.closeFails = true;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Conversion Failure (Failed to write the output file)");
    EXPECT_FALSE(fs::exists(OutPath("a_1.mp3")));
  }
  {
    SCOPED_TRACE("an encoder that does not open");
    encoderScript = {};
    encoderScript.openFails = true;
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(row), "Conversion Failure");
    EXPECT_FALSE(fs::exists(OutPath("a_1.mp3")));
  }
  for (const auto& entry : fs::directory_iterator(out)) {
    EXPECT_FALSE(IsTemporaryOutputName(entry.path().filename().string())) << entry.path();
  }
}

TEST_F(ConversionRun, CancelMidFileStopsTheRun) {
  const int first = List(AddSource("one.wav", Tone(44100, 2, 44100)), kSourceWav);
  const int second = List(AddSource("two.wav", Tone(44100, 2, 44100)), kSourceWav);
  const int third = List(AddSource("three.wav", Tone(44100, 2, 44100)), kSourceWav);
  frontend.rows[{third, ListColumn::Output}] = "earlier text";
  int pumps = 0;
  frontend.onPump = [&](test::MemoryFrontend& f) {
    // The first file takes about 40 blocks; cancel in the middle of the second.
    if (++pumps == 60) f.progress.back().cancel = true;
  };
  ConvertAll(kFormatWav);
  EXPECT_EQ(Output(first), "one.wav");
  EXPECT_EQ(Output(second), "Cancelled");
  EXPECT_EQ(Output(third), "earlier text");
  EXPECT_TRUE(fs::exists(OutPath("one.wav")));
  EXPECT_FALSE(fs::exists(OutPath("two.wav"))) << "no partial file";
  EXPECT_TRUE(Item(second).targetPath.empty());
  EXPECT_TRUE(frontend.shownInFolder.empty()) << "no folder after Cancel";
  EXPECT_TRUE(frontend.progress.back().closed);
}

TEST_F(ConversionRun, StartChecksQuestionsAndTheFolderShown) {
  {
    SCOPED_TRACE("empty list, no selection");
    ConvertAll(kFormatMp3);
    StartConversion(*state, settings, &Row(kFormatMp3), list, ItemSelection::Selected,
                    RunOutput::FilePerItem);
    ASSERT_EQ(frontend.messages.size(), 2u);
    EXPECT_EQ(frontend.messages[0].first, "There aren't files in list.");
    EXPECT_EQ(frontend.messages[1].first, "You should select a file at least.");
  }
  const int midi = List(AddSource("song.mid", Tone(44100, 2, 4410)), kSourceMidi);
  const int wav = List(AddSource("b.wav", Tone(44100, 2, 4410)), kSourceWav);
  {
    SCOPED_TRACE("no soundfont, answered No: the other files convert");
    ConvertAll(kFormatMp3);
    ASSERT_EQ(frontend.questions.size(), 1u);
    EXPECT_NE(frontend.questions[0].find("ct4mgm.sf2"), std::string::npos);
    EXPECT_EQ(Output(midi), "Failure. Requires file \"ct4mgm.sf2\".");
    EXPECT_EQ(Output(wav), "b.mp3");
    EXPECT_EQ(frontend.shownInFolder, (std::vector<std::string>{OutPath("b.mp3")}));
  }
  {
    SCOPED_TRACE("answered Yes: folder and download page, nothing converted");
    frontend.answerYes = true;
    logs.clear();
    ConvertAll(kFormatMp3);
    EXPECT_EQ(frontend.opened.size(), 2u);
    EXPECT_TRUE(logs.empty());
  }
  {
    SCOPED_TRACE("a soundfont found by the loader");
    state->loadDefaultSoundfont = [] { return 1; };
    ConvertAll(kFormatMp3);
    EXPECT_EQ(Output(midi), "song.mp3");
  }
  {
    SCOPED_TRACE("Windows Media without its runtime: the question, and the run ends");
    frontend.questions.clear();
    frontend.answerYes = false;
    logs.clear();
    ConvertAll(kFormatWmv);
    ASSERT_EQ(frontend.questions.size(), 1u);
    EXPECT_NE(frontend.questions[0].find("Windows Media Format"), std::string::npos);
    EXPECT_TRUE(logs.empty());
  }
}

}  // namespace
}  // namespace sondrel
