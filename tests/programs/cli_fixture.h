// sondrel-cli run through its real binary, with the settings isolated in a
// temporary XDG_CONFIG_HOME and HOME: the fixture of the command-line tests.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace sondrel::test {

struct Result {
  int status = -1;
  std::string out, err;
};

class Cli : public testing::Test {
 protected:
  Cli() {
    std::filesystem::create_directories(dir.Path() / "config");
    std::filesystem::create_directories(dir.Path() / "home");
    std::filesystem::create_directories(dir.Path() / "out");
  }

  Result Run(const std::vector<std::string>& args) {
    std::string command = "cd " + Quoted(dir.Path().string()) +
                          " && env XDG_CONFIG_HOME=" + Quoted(Config()) +
                          " HOME=" + Quoted(dir.File("home")) + " " + runAs + Quoted(SONDREL_CLI);
    for (const std::string& a : args) {
      command += ' ';
      command += Quoted(a);
    }
    command += " 2>" + Quoted(dir.File("stderr.txt"));
    const CommandResult run = RunCommand(command);
    return {run.status, run.out, ReadFileBytes(dir.File("stderr.txt"))};
  }

  // A stereo 16-bit WAV file of a tone.
  std::string Wav(const std::string& name, int rate, int channels, double seconds) {
    const std::string path = dir.File(name);
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_TRUE(f) << sf_strerror(nullptr);
    const int frames = static_cast<int>(rate * seconds);
    std::vector<short> samples(static_cast<size_t>(frames * channels));
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) {
        samples[static_cast<size_t>(i * channels + c)] =
            static_cast<short>(8000 * std::sin(2 * M_PI * (440.0 + 220 * c) * i / rate));
      }
    }
    sf_writef_short(f, samples.data(), frames);
    sf_close(f);
    return path;
  }

  std::string Config() const { return (dir.Path() / "config").string(); }
  std::string Out(const std::string& name) const { return (dir.Path() / "out" / name).string(); }
  std::vector<std::string> OutputOptions() const {
    return {"--set", "DestOutputFolderOpt=399", "--set",
            "DestSpecifiedFolder=" + (dir.Path() / "out").string()};
  }

  TempDir dir;
  // Put before the program on the command line (another user's identity).
  std::string runAs;
};

}  // namespace sondrel::test
