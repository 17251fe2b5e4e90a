// sondrel-cli through its real binary, with the settings isolated in a
// temporary XDG_CONFIG_HOME and HOME.
#include <signal.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "encode/format_catalogue.h"
#include "support/audio_fixtures.h"
#include "support/small_fs.h"
#include "support/tag_files.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::Quoted;
using test::Result;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(Cli, UsageErrorsAndHelp) {
  const std::string wav = Wav("a.wav", 8000, 1, 0.1);
  EXPECT_EQ(Run({}).status, 2) << "no files";
  EXPECT_EQ(Run({"--frobnicate", wav}).status, 2);
  EXPECT_EQ(Run({"--format", "xyz", wav}).status, 2);
  EXPECT_EQ(Run({"--set", "NoSuchOption=1", wav}).status, 2);
  EXPECT_EQ(Run({"--set", "VolumeType=loud", wav}).status, 2);
  for (const char* jobs : {"65", "-1", "two"}) {
    EXPECT_EQ(Run({"--jobs", jobs, wav}).status, 2) << "--jobs " << jobs;
  }
  const Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--format", "--merge", "--jobs", "--set", "--save", "--list-formats",
                             "--probe", "--json", "--version", "Exit status"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  EXPECT_FALSE(fs::exists(dir.Path() / "config" / "sondrel")) << "nothing stored";
  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "sondrel-cli 3.0\n");
}

TEST_F(Cli, ListFormatsAndProbe) {
  const Result list = Run({"--list-formats"});
  EXPECT_EQ(list.status, 0);
  const std::vector<std::string> lines = Lines(list.out);
  EXPECT_EQ(lines.size(), 30u);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "1000\tmp3\t to MP3\tMP3\tLAME MP3 (MPEG audio layer 3)"),
            lines.end());

  const std::string wav = Wav("tone.wav", 22050, 2, 2.0);
  const std::string junk = dir.File("junk.mp3");
  test::WriteFileBytes(junk, "not audio at all");
  const Result probe = Run({"--probe", wav, junk});
  EXPECT_EQ(probe.status, 1) << "one file could not be read";
  // WAV is read by the audio engine: the bit rate is the file's bytes per second.
  EXPECT_EQ(probe.out, wav + "\t2000\t00:02\t706 kbps\t22050 Hz\tStereo\tNo cover\n");
  EXPECT_NE(probe.err.find("Failed to load the following files.\n\n" + junk + "\n"),
            std::string::npos)
      << probe.err;

  const std::string covered = dir.File("covered.flac");
  ASSERT_TRUE(test::WriteWithFfmpegWriter(covered, "flac", kCodecFlac, 22050, 2, 0,
                                          test::Tone16(2, 22050, 22050)));
  ASSERT_TRUE(test::AddFixtureCover(covered, test::FixtureCover(100)));
  const Result withCover = Run({"--probe", "--json", covered});
  EXPECT_NE(withCover.out.find("\"cover\": true}"), std::string::npos) << withCover.out;
}

TEST_F(Cli, AFolderStandsForItsFilesThroughTheFilters) {
  for (const char* sub : {"folder/sub", "folder/.hidden"}) fs::create_directories(dir.Path() / sub);
  const std::string a = Wav("folder/a.wav", 8000, 1, 0.5);
  const std::string b = Wav("folder/sub/b.wav", 8000, 1, 0.5);
  const std::string c = Wav("folder/.c.wav", 8000, 1, 0.5);
  const std::string d = Wav("folder/.hidden/d.wav", 8000, 1, 0.5);
  const std::string notes = dir.File("folder/notes.txt");
  test::WriteFileBytes(notes, "not audio");

  // Without filters every file is a candidate: notes.txt fails.
  const Result probe = Run({"--probe", "folder/"});
  EXPECT_EQ(probe.status, 1);
  std::vector<std::string> probed;
  for (const std::string& line : Lines(probe.out))
    probed.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(probed, (std::vector<std::string>{c, a, d, b}));
  EXPECT_NE(probe.err.find(notes), std::string::npos) << probe.err;

  std::vector<std::string> args = {"--format", "mp3",
                                   "--set",    "EnableExtFilter=1",
                                   "--set",    "FilterExts=wav",
                                   "--set",    "DoNotLoadHiddenFiles=1"};
  for (const std::string& option : OutputOptions()) args.push_back(option);
  args.push_back("folder/");
  const Result convert = Run(args);
  EXPECT_EQ(convert.status, 0) << convert.out << convert.err;
  EXPECT_EQ(Lines(convert.out).size(), 3u) << convert.out;
  std::vector<std::string> outputs;
  for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) {
    outputs.push_back(entry.path().filename().string());
  }
  std::sort(outputs.begin(), outputs.end());
  EXPECT_EQ(outputs, (std::vector<std::string>{"a.mp3", "b.mp3", "d.mp3"}))
      << "a hidden file is left out, a hidden folder is searched";
}

TEST_F(Cli, ConvertsWithStoredAndOverriddenOptions) {
  const std::string a = Wav("a.wav", 44100, 2, 0.5);
  const std::string b = Wav("b.wav", 22050, 1, 0.5);
  std::vector<std::string> args = OutputOptions();
  for (const char* more : {"--set", "VolumeType=1", "--set", "Volume=50", "--format", "wav"}) {
    args.push_back(more);
  }
  args.push_back(a);
  args.push_back(b);
  const Result r = Run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, a + "\ta.wav\t50.00%\n" + b + "\tb.wav\t50.00%\n");
  std::error_code ec;
  EXPECT_GT(fs::file_size(Out("a.wav"), ec), 44100u);

  {
    SCOPED_TRACE("--save stores the overrides for the next run; skip policy fails the run");
    const Result saved = Run({"--set", "TargetExistsOpt=33", "--set", "OutputFormat=2000", "--set",
                              "DestOutputFolderOpt=399", "--set",
                              "DestSpecifiedFolder=" + (dir.Path() / "out").string(), "--save"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_TRUE(fs::exists(dir.Path() / "config" / "sondrel" / "sondrel.conf"));
    EXPECT_FALSE(fs::exists(dir.Path() / "home" / ".config" / "sondrel"));
    const Result skipped = Run({a});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_EQ(skipped.out, a + "\tTarget exists and skipped\t\n");
  }
}

// Names holding the result line's separators, and a link followed by "..".
TEST_F(Cli, ResultLinesKeepEveryName) {
  struct Case {
    const char* name;
    const char* field;  // the name as the tab-separated line shows it
    const char* json;   // and as a JSON string
  };
  const Case cases[] = {
      {"tab\there.wav", "tab\\there.wav", "\"tab\\there.wav\""},
      {"new\nline.wav", "new\\nline.wav", "\"new\\nline.wav\""},
      {"back\\slash \"q\".wav", "back\\\\slash \"q\".wav", "\"back\\\\slash \\\"q\\\".wav\""},
      {"caf\xc3\xa9.wav", "caf\xc3\xa9.wav", "\"caf\xc3\xa9.wav\""},
  };
  const std::string folder = dir.Path().string() + "/";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    Wav(c.name, 8000, 1, 0.2);
    std::vector<std::string> args = OutputOptions();
    args.insert(args.end(), {"--format", "wav", c.name});
    const Result line = Run(args);
    EXPECT_EQ(line.status, 0) << line.err;
    EXPECT_EQ(line.out, folder + c.field + "\t" + c.field + "\t100.00%\n");
    args.insert(args.end() - 1, {"--json", "--set", "TargetExistsOpt=22"});
    const Result json = Run(args);
    EXPECT_EQ(json.status, 0) << json.err;
    const std::string quoted = std::string(c.json);
    EXPECT_EQ(json.out, "{\"source\": \"" + folder + quoted.substr(1) + ", \"target\": \"" +
                            dir.Path().string() + "/out/" + quoted.substr(1) + ", \"status\": " +
                            quoted + ", \"volume\": \"100.00%\", \"converted\": true}\n");
  }

  // link -> real/deep: "link/../x.wav" is real/x.wav (mono), not ./x.wav (stereo).
  fs::create_directories(dir.Path() / "real" / "deep");
  fs::create_symlink(dir.Path() / "real" / "deep", dir.Path() / "link");
  Wav("real/x.wav", 8000, 1, 1.0);
  Wav("x.wav", 8000, 2, 1.0);
  const Result probe = Run({"--probe", "--json", "link/../x.wav"});
  EXPECT_EQ(probe.status, 0) << probe.err;
  EXPECT_EQ(probe.out, "{\"source\": \"" + folder +
                           "link/../x.wav\", \"type\": 2000, \"duration\": \"00:01\", "
                           "\"bitrate\": \"128 kbps\", \"samplerate\": \"8000 Hz\", "
                           "\"channels\": \"Mono\", \"cover\": false}\n");
}

TEST_F(Cli, MergeIntoOneFile) {
  const std::string a = Wav("a.wav", 22050, 1, 0.5);
  const std::string b = Wav("b.wav", 44100, 2, 0.5);
  std::vector<std::string> args = {"--format", "wav", "--merge", Out("all.wav"), a, b};
  const Result r = Run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, a + "\tall.wav\t100.00%\n" + b + "\tall.wav\t100.00%\n");
  SF_INFO info = {};
  SNDFILE* f = sf_open(Out("all.wav").c_str(), SFM_READ, &info);
  ASSERT_TRUE(f);
  sf_close(f);
  EXPECT_EQ(info.samplerate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_NEAR(static_cast<double>(info.frames), 44100.0, 600.0);
}

TEST_F(Cli, AFullDiskFailsTheRunAndLeavesNothing) {
  test::SmallFileSystem disk(dir.File("small"), 40 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here";
  // Three seconds of two different tones: far more than 40 KiB as FLAC.
  const std::string wav = Wav("x.wav", 44100, 2, 3.0);
  {
    SCOPED_TRACE("a file per source");
    const Result r = Run({"--format", "flac", "--set", "DestOutputFolderOpt=399", "--set",
                          "DestSpecifiedFolder=" + disk.Folder(), wav});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, wav + "\tConversion Failure (Failed to write the output file)\t\n");
    EXPECT_TRUE(test::FolderNames(disk.Folder()).empty());
  }
  {
    SCOPED_TRACE("merged");
    const Result r = Run({"--format", "m4a", "--merge", disk.Folder() + "/all.m4a", wav, wav});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(test::FolderNames(disk.Folder()).empty());
  }
}

TEST_F(Cli, InterruptedRunsLeaveNoFileUnderATargetName) {
  struct Case {
    const char* name;
    int signal;
    int status;             // of the program
    bool temporaryAllowed;  // only after SIGKILL may the hidden file remain
  };
  const Case cases[] = {
      {"SIGTERM", SIGTERM, 1, false},
      {"SIGINT", SIGINT, 1, false},
      {"SIGKILL", SIGKILL, 128 + SIGKILL, true},
  };
  // Long enough that the run is still writing when the signal comes; with
  // four at once, four names of one file.
  const std::string wav = Wav("long.wav", 44100, 1, 240.0);
  std::vector<std::string> sources = {wav};
  for (int i = 1; i < 4; ++i) {
    sources.push_back(dir.File("long" + std::to_string(i) + ".wav"));
    fs::create_hard_link(wav, sources.back());
  }
  for (const int jobs : {1, 4}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(jobs) + " at once");
      fs::remove_all(dir.Path() / "out");
      fs::create_directories(dir.Path() / "out");
      std::vector<std::string> argv = {SONDREL_CLI, "--format", "mp3", "--jobs",
                                       std::to_string(jobs)};
      for (const std::string& o : OutputOptions()) argv.push_back(o);
      argv.insert(argv.end(), sources.begin(), sources.begin() + jobs);
      const pid_t pid = test::StartProgram(
          argv, dir.Path().string(), {"XDG_CONFIG_HOME=" + Config(), "HOME=" + dir.File("home")},
          dir.File("stdout.txt"), dir.File("stderr.txt"));
      ASSERT_GT(pid, 0);
      // Wait until the output is being written.
      bool writing = false;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
      while (!writing && std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) {
          std::error_code ec;
          if (entry.is_regular_file() && fs::file_size(entry.path(), ec) > 10000) writing = true;
        }
        if (!writing) usleep(10000);
      }
      ASSERT_TRUE(writing) << test::ReadFileBytes(dir.File("stderr.txt"));
      kill(pid, c.signal);
      EXPECT_EQ(test::WaitProgram(pid), c.status);
      std::string cancelled;
      for (int i = 0; i < jobs; ++i) {
        const std::string name = fs::path(sources[static_cast<size_t>(i)]).stem().string();
        EXPECT_FALSE(fs::exists(Out(name + ".mp3"))) << "no file under a target's name";
        cancelled += sources[static_cast<size_t>(i)] + "\tCancelled\t\n";
      }
      const std::vector<std::string> left = test::FolderNames(dir.Path() / "out");
      if (c.temporaryAllowed) {
        for (const std::string& name : left) {
          EXPECT_EQ(name.rfind(".long", 0), 0u) << name;
          EXPECT_NE(name.find(".mp3.sondrel-"), std::string::npos) << name;
        }
      } else {
        EXPECT_TRUE(left.empty()) << left.front();
        EXPECT_EQ(test::ReadFileBytes(dir.File("stdout.txt")), cancelled);
      }
    }
  }
}

}  // namespace
}  // namespace sondrel
