// Outputs that appear whole or not at all, on real files: a full disk, a
// cancelled run, two sources of one name, sources among the targets, a link
// as the merge output, and the mode of a new file.
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "encode/format_catalogue.h"
#include "engine/messages.h"
#include "real_run_fixture.h"
#include "support/audio_fixtures.h"
#include "support/small_fs.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

// A stereo WAV of tones under noise, which no codec packs small.
std::string NoisyWav(const std::string& path, double seconds, int rate = 44100) {
  const auto frames = static_cast<int64_t>(seconds * rate);
  std::vector<int16_t> samples = test::Tone16(2, frames, rate, 0.3);
  uint32_t seed = 12345;
  for (int16_t& s : samples) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<int16_t>(s + static_cast<int16_t>((seed >> 16) % 8000) - 4000);
  }
  EXPECT_TRUE(test::WriteSndfile16(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, samples));
  return path;
}

// Frames of a sound file read with libsndfile; -1 when it does not open.
int64_t FramesOf(const std::string& path) {
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return -1;
  sf_close(f);
  return info.frames;
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

class SafeOutput : public test::RealRunFixture {
 protected:
  void Restart() {
    list = FileList();
    frontend = test::MemoryFrontend();
  }
};

TEST_F(SafeOutput, AFullDiskFailsTheFileAndLeavesTheOldTargetAsItWas) {
  struct Case {
    const char* name;
    int format;
    bool merge;
    const char* target;
  };
  const Case cases[] = {
      {"FLAC", kFormatFlac, false, "x.flac"},
      {"M4A", kFormatM4a, false, "x.m4a"},
      {"FLAC, merged", kFormatFlac, true, "all.flac"},
      {"M4A, merged", kFormatM4a, true, "all.m4a"},
  };
  const std::string source = NoisyWav(dir.File("x.wav"), 3.0);
  settings.TargetExistsOpt = kTargetOverwrite;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    test::SmallFileSystem disk(dir.File(std::string("small-") + c.target), 40 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here";
    const std::string target = disk.Folder() + "/" + c.target;
    test::WriteFileBytes(target, "the old file");
    settings.DestSpecifiedFolder = disk.Folder();
    frontend.saveAnswer = target;
    const int row = Add(source);
    Convert(c.format, c.merge);
    EXPECT_EQ(Output(row), std::string(kConversionFailureStatus) + " (" + kWriteFailedNote + ")");
    EXPECT_TRUE(list.ItemAt(row)->targetPath.empty());
    EXPECT_EQ(test::ReadFileBytes(target), "the old file");
    EXPECT_EQ(test::FolderNames(disk.Folder()), std::vector<std::string>{c.target})
        << "no temporary left";
  }
}

TEST_F(SafeOutput, CancelLeavesNoTemporaryAndNoPartialFile) {
  struct Case {
    const char* name;
    bool merge;
  };
  const Case cases[] = {{"a file per item", false}, {"merged", true}};
  const std::string source = NoisyWav(dir.File("long.wav"), 6.0);
  settings.TargetExistsOpt = kTargetOverwrite;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    fs::remove_all(out);
    fs::create_directories(out);
    const std::string target = (out / (c.merge ? "all.flac" : "long.flac")).string();
    test::WriteFileBytes(target, "the old file");
    frontend.saveAnswer = target;
    frontend.onPump = [](test::MemoryFrontend& f) {
      if (f.pumps == 40 && !f.progress.empty()) f.progress.back().cancel = true;
    };
    const int row = Add(source);
    Convert(kFormatFlac, c.merge);
    EXPECT_EQ(Output(row), kCancelledStatus);
    EXPECT_EQ(test::ReadFileBytes(target), "the old file");
    EXPECT_EQ(test::FolderNames(out),
              std::vector<std::string>{fs::path(target).filename().string()});
  }
}

TEST_F(SafeOutput, TwoSourcesOfOneNameIntoOneFolderUnderEachPolicy) {
  struct Case {
    const char* name;
    int policy;
    bool existedBefore;
    std::string first, second;  // Output texts
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"rename", kTargetRename, false, "x.wav", "x_1.wav", {"x.wav", "x_1.wav"}},
      {"overwrite", kTargetOverwrite, false, "x.wav", "x_1.wav", {"x.wav", "x_1.wav"}},
      {"overwrite, x.wav there", kTargetOverwrite, true, "x.wav", "x_1.wav", {"x.wav", "x_1.wav"}},
      {"skip", kTargetSkip, false, "x.wav", "x_1.wav", {"x.wav", "x_1.wav"}},
      {"skip, x.wav there", kTargetSkip, true, kTargetSkippedText, kTargetSkippedText, {"x.wav"}},
  };
  fs::create_directories(dir.Path() / "a");
  fs::create_directories(dir.Path() / "b");
  // One second and two seconds: each output shows whose it is.
  const std::string a = NoisyWav(dir.File("a/x.wav"), 1.0, 8000);
  const std::string b = NoisyWav(dir.File("b/x.wav"), 2.0, 8000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    fs::remove_all(out);
    fs::create_directories(out);
    if (c.existedBefore) test::WriteFileBytes((out / "x.wav").string(), "before");
    settings.TargetExistsOpt = c.policy;
    const int rowA = Add(a), rowB = Add(b);
    Convert(kFormatWav);
    EXPECT_EQ(Output(rowA), c.first);
    EXPECT_EQ(Output(rowB), c.second);
    EXPECT_EQ(test::FolderNames(out), c.files);
    if (c.first == "x.wav") {
      EXPECT_EQ(FramesOf((out / "x.wav").string()), 8000);
    }
    if (c.second == "x_1.wav") {
      EXPECT_EQ(FramesOf((out / "x_1.wav").string()), 16000);
    }
  }
}

TEST_F(SafeOutput, NoOutputIsWrittenOverASourceOfTheRun) {
  // x.flac and x.wav side by side, converted to WAV beside their sources.
  fs::create_directories(dir.Path() / "music");
  const std::string wav = NoisyWav(dir.File("music/x.wav"), 1.0, 8000);
  const std::string flac = dir.File("music/x.flac");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 2,
                                   test::Tone16(2, 4000, 8000)));
  const std::string wavBytes = test::ReadFileBytes(wav);
  settings.DestOutputFolderOpt = kOutputSameAsSource;
  settings.TargetExistsOpt = kTargetOverwrite;
  const int rowFlac = Add(flac), rowWav = Add(wav);
  Convert(kFormatWav);
  EXPECT_EQ(Output(rowFlac), "x_1.wav");
  EXPECT_EQ(Output(rowWav), kTargetIsSourceText);
  EXPECT_EQ(test::ReadFileBytes(wav), wavBytes) << "the source is untouched";
  EXPECT_EQ(FramesOf(dir.File("music/x_1.wav")), 4000);
}

TEST_F(SafeOutput, TheMergeOutputIsNeverASourceAndALinkThereIsReplaced) {
  const std::string a = NoisyWav(dir.File("a.wav"), 0.5, 8000);
  const std::string b = NoisyWav(dir.File("b.wav"), 0.5, 8000);
  const std::string aBytes = test::ReadFileBytes(a);
  {
    SCOPED_TRACE("the output is a source");
    Add(a);
    Add(b);
    frontend.saveAnswer = a;
    Convert(kFormatWav, true);
    ASSERT_EQ(frontend.messages.size(), 1u);
    EXPECT_EQ(frontend.messages[0].first, CreateFailedMessage(a, true));
    EXPECT_EQ(test::ReadFileBytes(a), aBytes);
  }
  {
    SCOPED_TRACE("a source that can no longer be read is still never the output");
    Restart();
    const std::string gone = NoisyWav(dir.File("gone.wav"), 0.5, 8000);
    Add(a);
    Add(gone);
    fs::remove(gone);
    frontend.saveAnswer = gone;
    Convert(kFormatWav, true);
    ASSERT_EQ(frontend.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(gone));
  }
  {
    SCOPED_TRACE("a link at the output is replaced, not written through");
    Restart();
    test::WriteFileBytes(dir.File("elsewhere.bin"), "keep me");
    const std::string link = (out / "all.wav").string();
    fs::create_symlink(dir.File("elsewhere.bin"), link);
    Add(a);
    Add(b);
    frontend.saveAnswer = link;
    Convert(kFormatWav, true);
    EXPECT_TRUE(frontend.messages.empty());
    EXPECT_EQ(test::ReadFileBytes(dir.File("elsewhere.bin")), "keep me");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(FramesOf(link), 8000);
  }
}

TEST_F(SafeOutput, NewFilesGetTheModeOfTheUmask) {
  const mode_t old = umask(022);
  const std::string source = NoisyWav(dir.File("m.wav"), 0.2, 8000);
  Add(source);
  Convert(kFormatWav);
  frontend.saveAnswer = (out / "all.flac").string();
  Convert(kFormatFlac, true);
  umask(old);
  EXPECT_EQ(ModeOf((out / "m.wav").string()), 0644u);
  EXPECT_EQ(ModeOf((out / "all.flac").string()), 0644u);
}

}  // namespace
}  // namespace sondrel
