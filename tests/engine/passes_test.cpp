// The two extra passes over a file (normalising scan, DTS preprocessing),
// their progress, and temporary file names.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "decode/source_type.h"
#include "engine/engine_state.h"
#include "engine/gain.h"
#include "engine/pass_progress.h"
#include "engine/preprocess_dts.h"
#include "engine/run_context.h"
#include "engine/scan_peaks.h"
#include "engine/temp_name.h"
#include "support/fake_decoder.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::FakeDecoder;
using test::FakeDecoderScript;

ReaderFactories AllReaders(ReaderFactories::Make make) {
  ReaderFactories f;
  f.bass = f.aiff = f.amr = f.au = f.vorbis = f.wma = f.ffmpeg = f.ffmpegProbe = make;
  return f;
}

ReaderFactories Fake(const FakeDecoderScript& script) {
  return AllReaders(test::FakeFactory(script, "fake", nullptr));
}

// A reader whose reported length is shorter than what it delivers, as MIDI
// and tracker modules may be.
class ShortLengthDecoder : public FakeDecoder {
 public:
  ShortLengthDecoder(FakeDecoderScript script, int64_t length)
      : FakeDecoder(std::move(script)), m_reported(length) {}
  int64_t GetLength() override { return m_reported; }

 private:
  int64_t m_reported;
};

// Sets TMPDIR for one test.
class ScopedTmpDir {
 public:
  explicit ScopedTmpDir(const std::string& dir) {
    if (const char* old = std::getenv("TMPDIR")) m_old = old, m_had = true;
    setenv("TMPDIR", dir.c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (m_had) {
      setenv("TMPDIR", m_old.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  std::string m_old;
  bool m_had = false;
};

size_t CountFiles(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(PassProgress, GrowsOnlyAndEndsAtHundred) {
  test::MemoryFrontend frontend;
  auto window = frontend.CreateConvertProgress();
  {
    SCOPED_TRACE("a known length");
    PassProgress bar(*window, "Converting", "a.wav", 1000);
    const test::MemoryProgress& p = frontend.progress[0];
    EXPECT_EQ(p.upperText, "[0%] Converting a.wav...");
    EXPECT_EQ(p.upperRange, 200);
    bar.Update(5);  // 0%, pixel 1
    bar.Update(5);
    bar.Update(-7);
    bar.Update(500);
    bar.Update(400);  // going back changes nothing
    EXPECT_EQ(p.upperText, "[50%] Converting a.wav...");
    EXPECT_EQ(p.upperPos, 100);
    EXPECT_EQ(p.upperTexts.size(), 2u);
    EXPECT_EQ(p.upperMoves, 3);  // 0 at set-up, 1, 100
    bar.Finish();
    EXPECT_EQ(p.upperText, "[100%] Converting a.wav...");
    EXPECT_EQ(p.upperPos, 200);
  }
  {
    SCOPED_TRACE("length 0: the position is the percentage, capped");
    auto second = frontend.CreateConvertProgress();
    PassProgress bar(*second, "Normalizing", "b.mid", 0);
    const test::MemoryProgress& p = frontend.progress[1];
    bar.Update(42);
    EXPECT_EQ(p.upperText, "[42%] Normalizing b.mid...");
    bar.Update(100000);
    EXPECT_EQ(p.upperText, "[100%] Normalizing b.mid...");
    EXPECT_EQ(p.upperPos, 200);  // never past the bar's end
    const size_t texts = p.upperTexts.size();
    bar.Finish();
    EXPECT_EQ(p.upperTexts.size(), texts);  // 100% is not shown twice
  }
}

TEST(ScanPeaks, FindsThePeaksOfEveryChannel) {
  FakeDecoderScript script;
  script.wave = FakeDecoderScript::Wave::Constant;  // left +a, right -a
  script.amplitude = 12000;
  script.frames = 10000;  // 9 blocks
  test::MemoryFrontend frontend;
  EngineState state(frontend, Fake(script));
  FileItem item{"/music/song.wav", 2, 44100, 1411, 0, kSourceWav, ""};
  auto window = frontend.CreateConvertProgress();
  int hasAudio = 1, lowest = 1, highest = -1;
  ASSERT_TRUE(
      ScanPeaks(frontend, ItemJob(state.opener, item), 44100, *window, hasAudio, lowest, highest));
  EXPECT_EQ(lowest, -12000);
  EXPECT_EQ(highest, 12000);
  EXPECT_EQ(frontend.pumps, 3);  // blocks 0, 3 and 6
  EXPECT_EQ(frontend.progress[0].upperTexts.front(), "[0%] Normalizing song.wav...");
  EXPECT_EQ(frontend.progress[0].upperText, "[100%] Normalizing song.wav...");

  EXPECT_FLOAT_EQ(NormalizeGainFor(lowest, highest), 32767.0f / 12000);
}

TEST(ScanPeaks, FailuresCancelAndLength) {
  FileItem item{"/music/x.wav", 2, 44100, 0, 0, kSourceWav, ""};
  int hasAudio = 1, lowest = 0, highest = 0;
  {
    SCOPED_TRACE("sample rate 0");
    FakeDecoderScript script;
    script.sampleRate = 0;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(ScanPeaks(frontend, ItemJob(state.opener, item), 44100, *window, hasAudio, lowest,
                           highest));
    EXPECT_EQ(hasAudio, 0);
  }
  {
    SCOPED_TRACE("no reader opens it");
    FakeDecoderScript script;
    script.openSucceeds = false;
    script.hasAudio = 0;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    hasAudio = 1;
    EXPECT_FALSE(ScanPeaks(frontend, ItemJob(state.opener, item), 44100, *window, hasAudio, lowest,
                           highest));
    EXPECT_EQ(hasAudio, 0);
  }
  {
    SCOPED_TRACE("nothing to read");
    FakeDecoderScript script;
    script.frames = 0;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(ScanPeaks(frontend, ItemJob(state.opener, item), 44100, *window, hasAudio, lowest,
                           highest));
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 0);
  }
  {
    SCOPED_TRACE("Cancel on the second pump keeps the peaks found so far");
    FakeDecoderScript script;
    script.wave = FakeDecoderScript::Wave::Square;
    script.frames = 44100;
    test::MemoryFrontend frontend;
    frontend.onPump = [](test::MemoryFrontend& f) { f.progress[0].cancel = f.pumps >= 2; };
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(ScanPeaks(frontend, ItemJob(state.opener, item), 44100, *window, hasAudio, lowest,
                           highest));
    EXPECT_EQ(frontend.pumps, 2);
    EXPECT_EQ(highest, 16384);
    EXPECT_EQ(lowest, -16384);
    EXPECT_NE(frontend.progress[0].upperText, "[100%] Normalizing x.wav...");
  }
  {
    SCOPED_TRACE("MIDI stops at its length; a WAV reads to the end");
    FakeDecoderScript script;
    script.frequency = 1.0;  // rising for the first quarter second
    script.channels = 1;
    for (int type : {kSourceMidi, kSourceWav}) {
      test::MemoryFrontend frontend;
      EngineState state(frontend, AllReaders([script]() -> std::unique_ptr<Decoder> {
                          return std::make_unique<ShortLengthDecoder>(script, 2000);
                        }));
      auto window = frontend.CreateConvertProgress();
      FileItem source{"/music/x", 1, 44100, 0, 0, type, ""};
      ASSERT_TRUE(ScanPeaks(frontend, ItemJob(state.opener, source), 44100, *window, hasAudio,
                            lowest, highest));
      if (type == kSourceMidi) {
        EXPECT_LT(highest, 6000);  // two blocks: 0.05 s of a 1 Hz sine
      } else {
        EXPECT_GT(highest, 16000);
      }
    }
  }
}

TEST(PreprocessDts, WritesTheSamplesRawIntoAPrivateTemporaryFile) {
  test::TempDir dir;
  ScopedTmpDir tmp(dir.Path().string());
  FakeDecoderScript script;
  script.frames = 3000;
  test::MemoryFrontend frontend;
  EngineState state(frontend, Fake(script));
  FileItem copy{"/music/film.wav", 2, 44100, 0, 0, kSourceDts, ""};
  std::string temp;
  auto window = frontend.CreateConvertProgress();
  int hasAudio = 1;
  ASSERT_TRUE(PreprocessDts(frontend, ItemJob(state.opener, copy), *window, hasAudio, temp));

  ASSERT_EQ(fs::path(temp).parent_path(), dir.Path());
  EXPECT_EQ(fs::path(temp).extension(), ".dts");
  struct stat st;
  ASSERT_EQ(stat(temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::string bytes = test::ReadFileBytes(temp);
  ASSERT_EQ(bytes.size(), 3000u * 4);
  FakeDecoder reference(script);
  reference.Open("", 44100);
  const auto* samples = reinterpret_cast<const int16_t*>(bytes.data());
  for (int i = 0; i < 3000; i += 7) {
    ASSERT_EQ(samples[2 * i], reference.SampleAt(i, 0)) << i;
    ASSERT_EQ(samples[2 * i + 1], reference.SampleAt(i, 1)) << i;
  }
  EXPECT_EQ(frontend.pumps, 3);  // every block
  EXPECT_EQ(frontend.progress[0].upperText, "[100%] Preprocessing film.wav...");
  fs::remove(temp);
}

TEST(PreprocessDts, FailuresLeaveNoTemporaryFile) {
  test::TempDir dir;
  ScopedTmpDir tmp(dir.Path().string());
  FileItem copy{"/music/film.wav", 2, 44100, 0, 0, kSourceDts, ""};
  std::string temp;
  int hasAudio = 1;
  {
    SCOPED_TRACE("Cancel");
    FakeDecoderScript script;
    test::MemoryFrontend frontend;
    frontend.onPump = [](test::MemoryFrontend& f) { f.progress[0].cancel = true; };
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(PreprocessDts(frontend, ItemJob(state.opener, copy), *window, hasAudio, temp));
    EXPECT_TRUE(temp.empty());
    EXPECT_EQ(CountFiles(dir.Path()), 0u);
  }
  {
    SCOPED_TRACE("nothing decoded");
    FakeDecoderScript script;
    script.frames = 0;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(PreprocessDts(frontend, ItemJob(state.opener, copy), *window, hasAudio, temp));
    EXPECT_EQ(CountFiles(dir.Path()), 0u);
  }
  {
    SCOPED_TRACE("sample rate 0");
    FakeDecoderScript script;
    script.sampleRate = 0;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(PreprocessDts(frontend, ItemJob(state.opener, copy), *window, hasAudio, temp));
    EXPECT_EQ(hasAudio, 0);
    EXPECT_EQ(CountFiles(dir.Path()), 0u);
  }
  {
    SCOPED_TRACE("no temporary folder");
    ScopedTmpDir missing((dir.Path() / "missing").string());
    FakeDecoderScript script;
    test::MemoryFrontend frontend;
    EngineState state(frontend, Fake(script));
    auto window = frontend.CreateConvertProgress();
    EXPECT_FALSE(PreprocessDts(frontend, ItemJob(state.opener, copy), *window, hasAudio, temp));
    EXPECT_TRUE(temp.empty());
  }
}

TEST(MakeTempName, CreatesNewPrivateFilesAndNeverReusesAName) {
  test::TempDir dir;
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    std::string path;
    ASSERT_TRUE(MakeTempName(dir.Path().string(), "x", ".dts", path));
    EXPECT_TRUE(names.insert(path).second) << path;
    EXPECT_EQ(fs::path(path).parent_path(), dir.Path());
    EXPECT_EQ(fs::path(path).filename().string().substr(0, 1), "x");
    EXPECT_EQ(fs::path(path).extension(), ".dts");
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 0);
  }
  {
    SCOPED_TRACE("the folder from TMPDIR, with its trailing separator");
    ScopedTmpDir tmp(dir.Path().string() + "/");
    std::string path;
    ASSERT_TRUE(MakeTempName("", "", ".dts", path));
    EXPECT_EQ(fs::path(path).parent_path(), dir.Path());
    EXPECT_EQ(path.find("//"), std::string::npos);
  }
  {
    SCOPED_TRACE("a folder that is a file or missing");
    test::WriteFileBytes(dir.File("plain"), "x");
    std::string path = "unchanged";
    EXPECT_FALSE(MakeTempName(dir.File("plain"), "", ".dts", path));
    EXPECT_FALSE(MakeTempName(dir.File("missing/deeper"), "", ".dts", path));
    EXPECT_EQ(path, "unchanged");
  }
}

}  // namespace
}  // namespace sondrel
