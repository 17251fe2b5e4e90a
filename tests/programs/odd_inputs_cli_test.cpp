// sondrel-cli on damaged and odd sources: what each gives, and the exit
// status that says so (0: every file converted, 1: a file failed and nothing
// is left at its target).
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "support/audio_fixtures.h"
#include "support/damaged_files.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::Family;

class OddInputs : public test::Cli {
 protected:
  // Converts `source` to WAV into the output folder.
  test::Result ToWav(const std::string& source) {
    fs::remove_all(dir.Path() / "out");
    fs::create_directories(dir.Path() / "out");
    std::vector<std::string> args = {"--format", "wav"};
    for (const std::string& option : OutputOptions()) args.push_back(option);
    args.push_back(source);
    return Run(args);
  }
  bool OutputFolderEmpty() const { return fs::is_empty(dir.Path() / "out"); }
};

TEST_F(OddInputs, DamagedFilesConvertToWhatDecodes) {
  struct Case {
    const char* name;
    Family family;
    double shortest, longest;
  };
  const Case cases[] = {
      {"FLAC", Family::Flac, 19.5, 20.0},
      {"MP3", Family::Mp3, 19.5, 20.1},
  };
  std::mt19937 random(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(std::string("song") + test::ExtensionOf(c.family));
    ASSERT_TRUE(test::WriteFamilyFile(path, c.family, 20.0));
    std::string bytes = test::ReadFileBytes(path);
    test::Scribble(bytes, bytes.size() / 2, 4000, random);
    test::WriteFileBytes(path, bytes);
    const test::Result result = ToWav(path);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const double seconds = test::ReadSound(Out("song.wav")).Seconds();
    EXPECT_GE(seconds, c.shortest);
    EXPECT_LE(seconds, c.longest);
  }
}

TEST_F(OddInputs, UnreadableSourcesFailWithTheirReason) {
  const std::string wav = Wav("locked.wav", 8000, 1, 0.5);
  ASSERT_EQ(chmod(wav.c_str(), 0), 0);
  // The superuser reads every file: the check runs as nobody then.
  if (geteuid() == 0) {
    fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
    for (const char* sub : {"config", "home", "out"}) {
      fs::permissions(dir.Path() / sub, fs::perms::all, fs::perm_options::add);
    }
    runAs = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  struct Case {
    const char* name;
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {{"no permission", wav, "Permission denied"}};
  for (const char* extension : {".aiff", ".au", ".amr", ".ogg", ".wma"}) {
    const std::string pipe = dir.File(std::string("pipe") + extension);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    cases.push_back({extension, pipe, "Not a regular file"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::Result probe = Run({"--probe", c.path});
    EXPECT_EQ(probe.status, 1);
    EXPECT_NE(probe.err.find(c.path + " (" + c.reason + ")"), std::string::npos) << probe.err;
    EXPECT_EQ(probe.err.find("send"), std::string::npos) << probe.err;
    const test::Result convert = ToWav(c.path);
    EXPECT_EQ(convert.status, 1);
    EXPECT_TRUE(OutputFolderEmpty());
  }
}

TEST_F(OddInputs, OddlyNamedAndChainedSourcesKeepTheirLength) {
  // A 3 s WAV file named .dts, and an Ogg file of a 44.1 kHz link followed by
  // an 8 kHz link (3 s each).
  const std::string riff = dir.File("riff.dts");
  fs::copy_file(Wav("riff.wav", 44100, 2, 3.0), riff);
  const std::string first = dir.File("first.ogg");
  const std::string second = dir.File("second.ogg");
  ASSERT_EQ(Run({"--format", "ogg", "--set", "DestOutputFolderOpt=399", "--set",
                 "DestSpecifiedFolder=" + dir.Path().string(), Wav("first.wav", 44100, 2, 3.0),
                 Wav("second.wav", 8000, 1, 3.0)})
                .status,
            0);
  const std::string chain = dir.File("chain.ogg");
  test::WriteFileBytes(chain, test::ReadFileBytes(first) + test::ReadFileBytes(second));
  struct Case {
    std::string source, output;
    double seconds;
  };
  const Case cases[] = {{riff, "riff.wav", 3.0}, {chain, "chain.wav", 6.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const test::Result result = ToWav(c.source);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const test::Sound sound = test::ReadSound(Out(c.output));
    EXPECT_NEAR(sound.Seconds(), c.seconds, 0.1);
    EXPECT_LT(test::Peak(sound.samples), 16384) << "a tone, not noise";
  }
}

}  // namespace
}  // namespace sondrel
